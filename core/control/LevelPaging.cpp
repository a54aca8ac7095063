#include "LevelPaging.h"

#include "LevelConversion.h"
#include "ReplyFields.h"

#include <QJsonArray>

namespace {

/// The reply's "idStart"; false for one no device sends (negative or absurdly large), whose array is ignored.
bool pageStart(const QJsonObject& o, int* idStart)
{
    *idStart = ReplyFields::number(o, "idStart", -1);
    return *idStart >= 0 && *idStart <= LevelPaging::kMaxIdStart;
}

bool outputReply(const QJsonObject& o)
{
    return ReplyFields::number(o, "inOrOut") != 0;
}

} // namespace

LevelPaging::LevelPaging(const QString& devId) : m_devId(devId) {}

void LevelPaging::setCounts(const int counts[SideCount])
{
    for (int s = 0; s < SideCount; ++s)
        m_levels[s] = QVector<int>(qBound(0, counts[s], kMaxChannels), kSilence);
    for (const Side side : {PhyIn, PhyOut}) {
        m_gains[physicalSlot(side)].resize(count(side));
        m_mutes[physicalSlot(side)].resize(count(side));
    }
}

void LevelPaging::setGains(Side side, const QVector<double>& gains)
{
    QVector<double>& own = m_gains[physicalSlot(side)];
    own = gains;
    own.resize(count(side));
}

void LevelPaging::setMutes(Side side, const QVector<int>& mutes)
{
    QVector<int>& own = m_mutes[physicalSlot(side)];
    own = mutes;
    own.resize(count(side));
}

bool LevelPaging::setGain(Side side, int index, double gain)
{
    if (!isPhysical(side) || index < 0 || index >= count(side))
        return false;
    m_gains[physicalSlot(side)][index] = gain;
    return true;
}

bool LevelPaging::setMute(Side side, int index, bool muted)
{
    if (!isPhysical(side) || index < 0 || index >= count(side))
        return false;
    m_mutes[physicalSlot(side)][index] = muted ? 1 : 0;
    return true;
}

// ---- Replies --------------------------------------------------------------------------------------------

LevelPaging::Outcome LevelPaging::handle(const QJsonObject& reply)
{
    Outcome out;
    const QString devId = ReplyFields::text(reply, "devId");
    if (!devId.isEmpty() && devId != m_devId)
        return out;
    const QString ops = ReplyFields::text(reply, "ops");
    if (ops == QLatin1String("getAllPhyLevel"))
        handleLevels(reply, false, &out);
    else if (ops == QLatin1String("getAllNetLevel"))
        handleLevels(reply, true, &out);
    else if (ops == QLatin1String("getVolumeDbBatchIn"))
        handleBatch(reply, true, &out);
    else if (ops == QLatin1String("getVolumeDbBatchOut"))
        handleBatch(reply, false, &out);
    else if (ops == QLatin1String("getAllPhyGain"))
        handlePhysical(reply, true, &out);
    else if (ops == QLatin1String("getAllPhyMute"))
        handlePhysical(reply, false, &out);
    return out;
}

void LevelPaging::handleLevels(const QJsonObject& o, bool network, Outcome* out)
{
    out->handled = true;
    const bool output = outputReply(o);
    const Side side = network ? (output ? NetOut : NetIn) : (output ? PhyOut : PhyIn);
    if (ReplyFields::failed(o)) {
        out->question = network ? NetLevelQuestion : PhyLevelQuestion;
        out->questionSide = side;
        return;
    }
    int idStart = 0;
    if (!pageStart(o, &idStart))
        return;
    QVector<int>& levels = m_levels[side];
    const QStringList values = ReplyFields::texts(o, "arr");
    int n = 0;
    for (; n < values.size() && idStart + n < levels.size(); ++n)
        levels[idStart + n] = LevelConversion::levelFromText(values.at(n), m_levelOffset);
    if (n > 0)
        out->changed.append({side, idStart, n});
    const int next = LevelConversion::nextPageStart(idStart, ReplyFields::number(o, "idNext"), levels.size());
    if (next >= 0)
        out->requests.append(
            {pageRequest(network ? QStringLiteral("getAllNetLevel") : QStringLiteral("getAllPhyLevel"), side, next)});
}

void LevelPaging::handleBatch(const QJsonObject& o, bool input, Outcome* out)
{
    out->handled = true;
    if (ReplyFields::failed(o))
        return;
    // The processor numbers its inputs (outputs) physical first, then network: the page's own order.
    const Side first = input ? PhyIn : PhyOut;
    const Side second = input ? NetIn : NetOut;
    const int physical = count(first);
    const int total = physical + count(second);
    int idStart = 0;
    if (!pageStart(o, &idStart))
        return;
    const QStringList values = ReplyFields::texts(o, "arr");
    int n = 0;
    for (; n < values.size() && idStart + n < total; ++n) {
        const int index = idStart + n;
        const int level = LevelConversion::levelFromText(values.at(n), m_levelOffset);
        if (index < physical)
            m_levels[first][index] = level;
        else
            m_levels[second][index - physical] = level;
    }
    const int end = idStart + n;
    if (idStart < physical && n > 0)
        out->changed.append({first, idStart, qMin(end, physical) - idStart});
    if (end > physical && n > 0) {
        const int from = qMax(idStart, physical) - physical;
        out->changed.append({second, from, end - physical - from});
    }
    const int next = LevelConversion::nextPageStart(idStart, ReplyFields::number(o, "idNext"), total);
    if (next >= 0)
        out->requests.append(batchRequest(input, next));
}

void LevelPaging::handlePhysical(const QJsonObject& o, bool gains, Outcome* out)
{
    out->handled = true;
    out->kind = gains ? Gains : Mutes;
    const Side side = outputReply(o) ? PhyOut : PhyIn;
    if (ReplyFields::failed(o)) {
        out->question = gains ? PhyGainQuestion : PhyMuteQuestion;
        out->questionSide = side;
        return;
    }
    int idStart = 0;
    if (!pageStart(o, &idStart))
        return;
    const int slot = physicalSlot(side);
    const QStringList values = ReplyFields::texts(o, "arr");
    int n = 0;
    for (; n < values.size() && idStart + n < count(side); ++n) {
        if (gains) {
            double gain = 0.0;
            if (LevelConversion::gainFromText(values.at(n), &gain))
                m_gains[slot][idStart + n] = gain;
        } else {
            m_mutes[slot][idStart + n] = values.at(n).trimmed().toInt() != 0 ? 1 : 0;
        }
    }
    if (n > 0)
        out->changed.append({side, idStart, n});
    out->physicalSide = side;
    out->gainOrMuteReply = true;
    // Later pages are asked for here; the side is stored in the detail record once its last page is in.
    const int next = LevelConversion::nextPageStart(idStart, ReplyFields::number(o, "idNext"), count(side));
    if (next >= 0)
        out->requests.append(
            {pageRequest(gains ? QStringLiteral("getAllPhyGain") : QStringLiteral("getAllPhyMute"), side, next)});
    else
        (gains ? out->gainsComplete : out->mutesComplete) = true;
}

// ---- Requests -------------------------------------------------------------------------------------------

QJsonObject LevelPaging::pageRequest(const QString& ops, Side side, int idStart) const
{
    return {{QStringLiteral("ops"), ops},
            {QStringLiteral("devId"), m_devId},
            {QStringLiteral("inOrOut"), isOutput(side) ? QStringLiteral("1") : QStringLiteral("0")},
            {QStringLiteral("idStart"), QString::number(idStart)}};
}

LevelPaging::Request LevelPaging::batchRequest(bool input, int idStart) const
{
    return {
        {{QStringLiteral("ops"), input ? QStringLiteral("getVolumeDbBatchIn") : QStringLiteral("getVolumeDbBatchOut")},
         {QStringLiteral("idStart"), QString::number(idStart)}},
        kBatchPort};
}

QVector<LevelPaging::Request> LevelPaging::retryRequests(Question question, Side side) const
{
    switch (question) {
    case PhyLevelQuestion:
    case NetLevelQuestion:
        if (m_batch)
            return {batchRequest(side == PhyIn || side == NetIn, 0)};
        return {{pageRequest(question == NetLevelQuestion ? QStringLiteral("getAllNetLevel")
                                                          : QStringLiteral("getAllPhyLevel"),
                             side, 0)}};
    case PhyGainQuestion:
        return {{pageRequest(QStringLiteral("getAllPhyGain"), side, 0)}};
    case PhyMuteQuestion:
        return {{pageRequest(QStringLiteral("getAllPhyMute"), side, 0)}};
    default:
        return {};
    }
}

QVector<LevelPaging::Request> LevelPaging::gainAndMuteRequests() const
{
    QVector<Request> out;
    for (const Side side : {PhyIn, PhyOut}) {
        if (count(side) == 0)
            continue;
        out.append({pageRequest(QStringLiteral("getAllPhyGain"), side, 0)});
        out.append({pageRequest(QStringLiteral("getAllPhyMute"), side, 0)});
    }
    return out;
}

#include "DspMatrixRequests.h"

#include "DspMatrix.h"
#include "MatrixGainCode.h"
#include "ReplyFields.h"

#include <QJsonArray>

#include <cmath>
#include <limits>

namespace {

const QString kDspTag = QStringLiteral("dspUiTag");

QJsonObject request(const char* ops, std::initializer_list<QPair<const char*, int>> numbers)
{
    QJsonObject o{{QStringLiteral("uiTag"), kDspTag}, {QStringLiteral("ops"), QLatin1String(ops)}};
    for (const auto& n : numbers)
        o.insert(QLatin1String(n.first), QString::number(n.second));
    return o;
}

QString flag(bool on)
{
    return on ? QStringLiteral("1") : QStringLiteral("0");
}

/// Untrusted integers: a whole number or nullopt.
std::optional<int> whole(const QJsonObject& o, const char* key)
{
    constexpr int kAbsent = std::numeric_limits<int>::min();
    const int v = ReplyFields::number(o, key, kAbsent);
    return v == kAbsent ? std::nullopt : std::optional<int>(v);
}

} // namespace

bool DspMatrixRequests::gainInRange(double db)
{
    return std::isfinite(db) && db >= kMinGainDb && db <= kMaxGainDb;
}

double DspMatrixRequests::quantised(double db)
{
    return MatrixGainCode::decode(MatrixGainCode::encode(db));
}

QJsonObject DspMatrixRequests::getMatrix(int outIndex)
{
    return request("getMatrix", {{"outIndex", outIndex}});
}

QJsonObject DspMatrixRequests::getMatrix(int outIndex, int idStart)
{
    return request("getMatrix", {{"outIndex", outIndex}, {"idStart", idStart}});
}

QJsonObject DspMatrixRequests::getMatrixBatch(int outIndex, int idStart)
{
    return request("getMatrixBatch", {{"outIndex", outIndex}, {"idStart", idStart}});
}

QJsonObject DspMatrixRequests::setMatrixMute(int outIndex, int inIndex, bool on, bool isBatch)
{
    QJsonObject o = request("setMatrixMute", {{"outIndex", outIndex}, {"inIndex", inIndex}});
    o.insert(QStringLiteral("mute"), flag(!on));
    o.insert(QStringLiteral("isBatch"), flag(isBatch));
    return o;
}

std::optional<QJsonObject> DspMatrixRequests::setMatrixGain(int outIndex, int inIndex, double db, bool isBatch)
{
    if (!gainInRange(db))
        return std::nullopt;
    QJsonObject o = request("setMatrixGain", {{"outIndex", outIndex}, {"inIndex", inIndex}});
    o.insert(QStringLiteral("val"), QString::number(MatrixGainCode::encode(db)));
    o.insert(QStringLiteral("isBatch"), flag(isBatch));
    return o;
}

QJsonObject DspMatrixRequests::setMatrixMode(int outIndex, bool share)
{
    QJsonObject o = request("setMatrixMode", {{"outIndex", outIndex}});
    o.insert(QStringLiteral("mode"), flag(share));
    return o;
}

QJsonObject DspMatrixRequests::setAllMatrixMode(bool share)
{
    return QJsonObject{{QStringLiteral("uiTag"), QStringLiteral("superMatrixUiTag")},
                       {QStringLiteral("ops"), QStringLiteral("setMatrixMode")},
                       {QStringLiteral("mode"), flag(share)}};
}

QString DspMatrixRequests::meterOps(Meter meter)
{
    switch (meter) {
    case Meter::PhyIn:
        return QStringLiteral("getAllPhyVolumeDbRx");
    case Meter::NetIn:
        return QStringLiteral("getAllVolumeDbRx");
    case Meter::PhyOut:
        return QStringLiteral("getAllPhyVolumeDbTx");
    case Meter::NetOut:
        break;
    }
    return QStringLiteral("getAllVolumeDbTx");
}

std::optional<DspMatrixRequests::Meter> DspMatrixRequests::meterOf(const QString& ops)
{
    for (Meter m : {Meter::PhyIn, Meter::NetIn, Meter::PhyOut, Meter::NetOut})
        if (ops == meterOps(m))
            return m;
    return std::nullopt;
}

QJsonObject DspMatrixRequests::meter(Meter meter, int idStart)
{
    QJsonObject o{{QStringLiteral("uiTag"), kDspTag}, {QStringLiteral("ops"), meterOps(meter)}};
    o.insert(QStringLiteral("idStart"), QString::number(idStart));
    return o;
}

std::optional<DspMatrixRequests::Page> DspMatrixRequests::applyPage(DspMatrix& matrix, const QJsonObject& reply)
{
    if (ReplyFields::failed(reply))
        return std::nullopt;
    const std::optional<int> out = whole(reply, "outIndex");
    const int start = whole(reply, "idStart").value_or(0);
    if (!out || *out < 0 || *out >= matrix.columns() || start < 0 || start >= matrix.rows())
        return std::nullopt;
    Page page;
    page.outIndex = *out;
    page.idStart = start;
    if (reply.contains(QLatin1String("mode")))
        matrix.setShare(*out, ReplyFields::text(reply, "mode") == QLatin1String("1"));
    const QStringList mutes = ReplyFields::texts(reply, "muteArr");
    const QStringList gains = ReplyFields::texts(reply, "gainArr");
    const int room = matrix.rows() - start;
    const int muteCount = qMin(mutes.size(), room);
    const int gainCount = qMin(gains.size(), room);
    for (int i = 0; i < muteCount; ++i)
        matrix.setOn(*out, start + i, mutes.at(i) == QLatin1String("0"));
    for (int i = 0; i < gainCount; ++i) {
        bool ok = false;
        const int code = gains.at(i).toInt(&ok);
        matrix.setGainDb(*out, start + i, ok ? MatrixGainCode::decode(code) : 0.0);
    }
    page.cells = qMax(muteCount, gainCount);
    page.idNext = whole(reply, "idNext").value_or(start + page.cells);
    return page;
}

double DspMatrixRequests::levelOf(const QString& text)
{
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return kSilenceDb;
    return qBound(kSilenceDb, std::round(v), 0.0);
}

int DspMatrixRequests::applyMeter(const QJsonObject& reply, int localIn, int netIn, int localOut, int netOut,
                                  QVector<double>& rowLevels, QVector<double>& columnLevels)
{
    const std::optional<Meter> m = meterOf(ReplyFields::text(reply, "ops"));
    const std::optional<int> start = whole(reply, "idStart");
    if (!m || ReplyFields::failed(reply) || !start || *start < 0)
        return 0;
    const bool input = *m == Meter::PhyIn || *m == Meter::NetIn;
    const bool phy = *m == Meter::PhyIn || *m == Meter::PhyOut;
    const int local = input ? localIn : localOut;
    const int count = phy ? local : (input ? netIn : netOut);
    const int offset = phy ? 0 : local;
    QVector<double>& levels = input ? rowLevels : columnLevels;
    const QStringList arr = ReplyFields::texts(reply, "arr");
    int written = 0;
    for (int i = 0; i < arr.size(); ++i) {
        const qint64 channel = qint64(*start) + i;
        const qint64 at = offset + channel;
        if (channel >= count || at >= levels.size())
            break;
        levels[int(at)] = levelOf(arr.at(i));
        ++written;
    }
    return written;
}

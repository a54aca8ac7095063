#include "SimDspNodes.h"

#include "SimAudioPath.h"
#include "SimCommandHandlers.h"
#include "SimDevice.h"
#include "SimDspCommands.h"
#include "SimDspConfig.h"
#include "SimLevels.h"
#include "SimNetwork.h"
#include "SimReply.h"

#include <QJsonArray>

#include <cmath>
#include <optional>

namespace {

using Replies = QVector<QJsonObject>;

enum NodeType
{
    AecNode = 2,
    AutomixerNode = 3
};

struct Member
{
    int chId = 0;
    bool bypass = false;
    bool preMute = false;
    bool postMute = false;
    bool alwaysOn = false;
};

QJsonObject answer(const SimRequest& req, QJsonObject reply)
{
    return SimReply::echo(req, SimReply::withTags(req, std::move(reply)), {"nodeId", "blockFlag"});
}

QJsonObject fail(const SimRequest& req, const QString& reason)
{
    return answer(req, SimReply::fail(req, reason));
}

/// The node the request names, with its type; nullopt when "nodeId" is not a node of the configuration.
std::optional<std::pair<int, int>> nodeOf(const SimRequest& req)
{
    const QJsonArray nodes = SimDspCommands::config(req).value(QLatin1String("nodeArr")).toArray();
    const std::optional<int> id = SimCommandHandlers::readInt(req.message, "nodeId");
    if (!id || *id < 0 || *id >= nodes.size())
        return std::nullopt;
    bool ok = false;
    const int type = nodes.at(*id).toObject().value(QLatin1String("type")).toString().toInt(&ok);
    return std::make_pair(*id, ok ? type : -1);
}

std::optional<quint64> readMask(const QJsonValue& v)
{
    const QString t = v.toString().trimmed();
    bool ok = false;
    const quint64 m =
        t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive) ? t.mid(2).toULongLong(&ok, 16) : t.toULongLong(&ok, 10);
    return ok ? std::optional<quint64>(m) : std::nullopt;
}

bool inRange(const QJsonValue& v, double min, double max, bool whole)
{
    bool ok = false;
    const double d = v.toString().toDouble(&ok);
    return ok && std::isfinite(d) && d >= min && d <= max && (!whole || d == std::floor(d));
}

bool isFlag(const QJsonValue& v)
{
    return v.toString() == QLatin1String("0") || v.toString() == QLatin1String("1");
}

/// Why the AEC object cannot be stored (empty when it can).
QString checkAec(const QJsonObject& obj, int inputs)
{
    for (auto it = obj.begin(); it != obj.end(); ++it) {
        const QString& k = it.key();
        bool good = false;
        if (k == QLatin1String("hasAec") || k == QLatin1String("hasAgc") || k == QLatin1String("hasAns")) {
            good = isFlag(it.value());
        } else if (k == QLatin1String("aecLevel") || k == QLatin1String("ansLevel")) {
            good = inRange(it.value(), 0, 10, true);
        } else if (k == QLatin1String("nearArr") || k == QLatin1String("farArr")) {
            const QJsonArray arr = it.value().toArray();
            good = it.value().isArray() && arr.size() == inputs;
            for (const QJsonValue& e : arr)
                good = good && isFlag(e);
        } else {
            return QStringLiteral("unknown key %1").arg(k);
        }
        if (!good)
            return QStringLiteral("invalid %1").arg(k);
    }
    return QString();
}

/// Why the automixer object cannot be stored (empty when it can).
QString checkAutomixer(const QJsonObject& obj, int inputs)
{
    static const QStringList millis = {QStringLiteral("duckAttackMs"), QStringLiteral("duckReleaseMs"),
                                       QStringLiteral("holdMs"), QStringLiteral("attackMs"),
                                       QStringLiteral("releaseMs")};
    static const QStringList levels = {QStringLiteral("duckDb"), QStringLiteral("decayDb"), QStringLiteral("trigDb")};
    for (auto it = obj.begin(); it != obj.end(); ++it) {
        const QString& k = it.key();
        bool good = false;
        if (k == QLatin1String("mode"))
            good = inRange(it.value(), 0, 1, true);
        else if (k == QLatin1String("slope"))
            good = inRange(it.value(), 0, 10, false);
        else if (levels.contains(k))
            good = inRange(it.value(), -120, 0, false);
        else if (millis.contains(k))
            good = inRange(it.value(), 0, 60000, true);
        else if (k == QLatin1String("chNumLimit"))
            good = inRange(it.value(), 1, SimDspNodes::kMaxMembers, true);
        else if (k == QLatin1String("nomAttenuate") || k == QLatin1String("leaveLastOn"))
            good = isFlag(it.value());
        else if (k == QLatin1String("maskArr")) {
            const QJsonArray arr = it.value().toArray();
            good = it.value().isArray() && arr.size() <= SimDspNodes::kMaxMembers;
            for (const QJsonValue& e : arr) {
                const std::optional<quint64> m = readMask(e);
                good = good && m && int((*m >> 21) & 0xFFFF) < inputs && (*m >> 37) == 0;
            }
        } else {
            return QStringLiteral("unknown key %1").arg(k);
        }
        if (!good)
            return QStringLiteral("invalid %1").arg(k);
    }
    return QString();
}

Replies setNodeData(const SimRequest& req)
{
    const auto node = nodeOf(req);
    if (!node || (node->second != AecNode && node->second != AutomixerNode))
        return {fail(req, QStringLiteral("out of range"))};
    const QJsonValue given = req.message.value(QLatin1String("obj"));
    if (!given.isObject())
        return {fail(req, QStringLiteral("invalid obj"))};
    QJsonObject& config = SimDspCommands::config(req);
    const int inputs = SimDspConfig::channelCount(config, true);
    const QString problem =
        node->second == AecNode ? checkAec(given.toObject(), inputs) : checkAutomixer(given.toObject(), inputs);
    if (!problem.isEmpty())
        return {fail(req, problem)};
    QJsonArray nodes = config.value(QLatin1String("nodeArr")).toArray();
    QJsonObject n = nodes.at(node->first).toObject();
    QJsonObject obj = n.value(QLatin1String("obj")).toObject();
    const QJsonObject g = given.toObject();
    for (auto it = g.begin(); it != g.end(); ++it)
        obj.insert(it.key(), it.value());
    n.insert(QStringLiteral("obj"), obj);
    nodes.replace(node->first, n);
    config.insert(QStringLiteral("nodeArr"), nodes);
    return {answer(req, SimReply::succ(req))};
}

/// The automixer node the poll names and its members; nullopt for anything else.
std::optional<QJsonObject> automixer(const SimRequest& req)
{
    const auto node = nodeOf(req);
    if (!node || node->second != AutomixerNode)
        return std::nullopt;
    return SimDspCommands::config(req)
        .value(QLatin1String("nodeArr"))
        .toArray()
        .at(node->first)
        .toObject()
        .value(QLatin1String("obj"))
        .toObject();
}

QVector<Member> members(const QJsonObject& obj)
{
    QVector<Member> out;
    for (const QJsonValue& e : obj.value(QLatin1String("maskArr")).toArray()) {
        if (out.size() >= SimDspNodes::kMaxMembers)
            break;
        const quint64 m = readMask(e).value_or(0);
        out.append({int((m >> 21) & 0xFFFF), bool((m >> 17) & 1), bool((m >> 18) & 1), bool((m >> 19) & 1),
                    bool((m >> 20) & 1)});
    }
    return out;
}

/// The processor input's level: physical inputs first, then network receive channels.
double inputLevel(const SimRequest& req, int input)
{
    const SimDevice& dev = req.network.device(req.deviceIndex);
    const qint64 now = req.network.nowMs();
    const int phy = SimLevels::count(dev, SimMeter::PhyRx);
    SimAudioPath path(req.network);
    if (input < phy)
        return path.level(req.deviceIndex, SimMeter::PhyRx, input, now);
    if (input - phy < SimLevels::count(dev, SimMeter::NetRx))
        return path.level(req.deviceIndex, SimMeter::NetRx, input - phy, now);
    return -INFINITY;
}

double number(const QJsonObject& obj, const char* key, double fallback)
{
    bool ok = false;
    const double v = obj.value(QLatin1String(key)).toString().toDouble(&ok);
    return ok ? v : fallback;
}

bool isOpen(const Member& m, double level, double trigDb)
{
    return !m.bypass && !m.preMute && (m.alwaysOn || level > trigDb);
}

Replies poll(const SimRequest& req, bool active)
{
    const std::optional<QJsonObject> obj = automixer(req);
    if (!obj)
        return {fail(req, QStringLiteral("out of range"))};
    const double trigDb = number(*obj, "trigDb", -50);
    const double duckDb = number(*obj, "duckDb", -30);
    QJsonArray arr;
    for (const Member& m : members(*obj)) {
        const double level = inputLevel(req, m.chId);
        const bool open = isOpen(m, level, trigDb);
        if (active)
            arr.append(open ? QStringLiteral("1") : QStringLiteral("0"));
        else
            arr.append(SimLevels::text(m.postMute || m.preMute ? -INFINITY : open ? level : level + duckDb));
    }
    QJsonObject r = answer(req, SimReply::succ(req));
    r.insert(QStringLiteral("arr"), arr);
    return {r};
}

} // namespace

void SimDspNodes::addTo(SimCommandHandlers& h)
{
    h.add(QStringLiteral("setNodeData"), SimDspCommands::change(setNodeData), SimServiceDsp);
    h.add(QStringLiteral("getAutomixActive"),
          SimDspCommands::dspOnly([](const SimRequest& req) { return poll(req, true); }), SimServiceDsp);
    h.add(QStringLiteral("getAutomixVolumeDbPost"),
          SimDspCommands::dspOnly([](const SimRequest& req) { return poll(req, false); }), SimServiceDsp);
}

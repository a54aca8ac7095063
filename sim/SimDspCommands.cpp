#include "SimDspCommands.h"

#include "SimAudioCommands.h"
#include "SimAudioPath.h"
#include "SimCommandHandlers.h"
#include "SimDspConfig.h"
#include "SimDspGain.h"
#include "SimDspGroups.h"
#include "SimDspMatrix.h"
#include "SimDspNodes.h"
#include "SimDspParams.h"
#include "SimLevels.h"
#include "SimNetwork.h"
#include "SimReply.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <cmath>

namespace {

using Replies = QVector<QJsonObject>;

constexpr double kPi = 3.14159265358979323846;

const QString kLockReason = QStringLiteral("LOCK_UCAST_MCAST");

QJsonObject succ(const SimRequest& req)
{
    return SimReply::withTags(req, SimReply::succ(req));
}

QJsonObject fail(const SimRequest& req, const QString& reason)
{
    return SimReply::withTags(req, SimReply::fail(req, reason));
}

SimDevice& deviceOf(const SimRequest& req)
{
    return req.network.device(req.deviceIndex);
}

QJsonObject& config(const SimRequest& req)
{
    SimDspConfig::current(deviceOf(req));
    return deviceOf(req).state().dsp.config;
}

struct Position
{
    int nodeId;
    int portIndex;
    int procIndex;
};

std::optional<Position> position(const QJsonObject& message)
{
    const auto node = SimCommandHandlers::readInt(message, "nodeId");
    const auto port = SimCommandHandlers::readInt(message, "portIndex");
    const auto proc = SimCommandHandlers::readInt(message, "procIndex");
    if (!node || !port || !proc)
        return std::nullopt;
    return Position{*node, *port, *proc};
}

QJsonObject withPosition(const SimRequest& req, QJsonObject reply)
{
    return SimReply::echo(req, std::move(reply), {"nodeId", "portIndex", "procIndex", "blockFlag"});
}

/// "0" or "1"; nullopt otherwise.
std::optional<QString> flagText(const QJsonValue& v)
{
    const QString t = v.toString();
    if (t == QLatin1String("0") || t == QLatin1String("1"))
        return t;
    return std::nullopt;
}

// ---- reads -------------------------------------------------------------------------------------------------

Replies getVersion(const SimRequest& req)
{
    const SimDeviceConfig& c = deviceOf(req).config();
    QJsonObject r = succ(req);
    r.insert(QStringLiteral("model"), c.model);
    r.insert(QStringLiteral("dspVer"), QStringLiteral("1.6.3-20260801"));
    r.insert(QStringLiteral("version"), c.dspVersion);
    r.insert(QStringLiteral("chNumIn"), QString::number(SimDspConfig::inputCount(c)));
    r.insert(QStringLiteral("chNumOut"), QString::number(SimDspConfig::outputCount(c)));
    r.insert(QStringLiteral("memory"), QStringLiteral("480000"));
    r.insert(QStringLiteral("funcList"),
             QStringLiteral("eq,delay,compress,fbe,hlpf,fir,limit,noisegate,expand,signalgen,aec,ducker,automixer"));
    return {r};
}

Replies getCustomStr(const SimRequest& req)
{
    QJsonObject r = succ(req);
    r.insert(QStringLiteral("str"), deviceOf(req).config().customStr);
    return {r};
}

Replies getVolumeDb(const SimRequest& req)
{
    const qint64 now = req.network.nowMs();
    const int i = req.deviceIndex;
    SimAudioPath path(req.network);
    QJsonObject r = succ(req);
    r.insert(QStringLiteral("inArr"),
             QJsonArray::fromStringList(path.texts(i, SimMeter::PhyRx, now) + path.texts(i, SimMeter::NetRx, now)));
    r.insert(QStringLiteral("outArr"),
             QJsonArray::fromStringList(path.texts(i, SimMeter::PhyTx, now) + path.texts(i, SimMeter::NetTx, now)));
    return {r};
}

/// Two cores around 30 %, each drifting a few percent over a 20 s period at its own phase.
Replies getCpuUsage(const SimRequest& req)
{
    const double t = double(req.network.nowMs() % 20000) / 20000.0;
    const int core0 = int(std::lround(32 + 4 * std::sin(2 * kPi * t)));
    const int core1 = int(std::lround(27 + 4 * std::sin(2 * kPi * t + 2.0)));
    QJsonObject r = succ(req);
    r.insert(QStringLiteral("main"), QString::number((core0 + core1) / 2));
    r.insert(QStringLiteral("arr"), QJsonArray{QString::number(core0), QString::number(core1)});
    return {r};
}

/// The level channel `index` of the processor's inputs (or outputs) shows in getVolumeDb: the physical channels
/// first, then the network ones. -infinity for silence or a channel the device does not have.
double channelLevel(const SimRequest& req, bool input, int index, qint64 now)
{
    const SimDevice& dev = deviceOf(req);
    const SimMeter phy = input ? SimMeter::PhyRx : SimMeter::PhyTx;
    const SimMeter net = input ? SimMeter::NetRx : SimMeter::NetTx;
    const int phyCount = SimLevels::count(dev, phy);
    SimAudioPath path(req.network);
    if (index < 0)
        return -INFINITY;
    if (index < phyCount)
        return path.level(req.deviceIndex, phy, index, now);
    if (index - phyCount < SimLevels::count(dev, net))
        return path.level(req.deviceIndex, net, index - phyCount, now);
    return -INFINITY;
}

/// The gain a block applies right now, linear: dynamics blocks follow their channel's level (the ducker its
/// reference channel's), every other block and a bypassed one give 1.
Replies getBorderProcStatus(const SimRequest& req)
{
    const std::optional<Position> p = position(req.message);
    const std::optional<QJsonObject> block =
        p ? SimDspConfig::block(config(req), p->nodeId, p->portIndex, p->procIndex) : std::nullopt;
    if (!block)
        return {withPosition(req, fail(req, QStringLiteral("out of range")))};
    const qint64 now = req.network.nowMs();
    // Chains live only on the input node (first) and the output node; a block found elsewhere is an output's.
    const bool input = p->nodeId == 0;
    const int refCh = SimCommandHandlers::readInt(block->value(QLatin1String("obj")).toObject(), "refCh").value_or(-1);
    const double gainDb =
        SimDspGain::gainDb(*block, channelLevel(req, input, p->portIndex, now), channelLevel(req, true, refCh, now));
    QJsonObject r = withPosition(req, succ(req));
    r.insert(QStringLiteral("obj"),
             QJsonObject{{QStringLiteral("gain"), QString::number(SimDspGain::linear(gainDb), 'f', 3)}});
    return {r};
}

// ---- block changes -----------------------------------------------------------------------------------------

Replies setBorderProc(const SimRequest& req)
{
    const std::optional<Position> p = position(req.message);
    const QJsonValue obj = req.message.value(QLatin1String("obj"));
    if (!p || !SimDspConfig::block(config(req), p->nodeId, p->portIndex, p->procIndex))
        return {withPosition(req, fail(req, QStringLiteral("out of range")))};
    if (!obj.isObject())
        return {withPosition(req, fail(req, QStringLiteral("invalid obj")))};
    const QString problem =
        SimDspParams::check(*SimDspConfig::block(config(req), p->nodeId, p->portIndex, p->procIndex), obj.toObject(),
                            SimDspConfig::channelCount(config(req), true));
    if (!problem.isEmpty())
        return {withPosition(req, fail(req, problem))};
    // Members the request leaves out keep their stored values.
    SimDspConfig::editBlock(config(req), p->nodeId, p->portIndex, p->procIndex, [&obj](QJsonObject& block) {
        QJsonObject params = block.value(QLatin1String("obj")).toObject();
        const QJsonObject given = obj.toObject();
        for (auto it = given.begin(); it != given.end(); ++it)
            params.insert(it.key(), it.value());
        block.insert(QStringLiteral("obj"), params);
    });
    return {withPosition(req, succ(req))};
}

Replies setBorderProcBypass(const SimRequest& req)
{
    const std::optional<Position> p = position(req.message);
    const std::optional<QString> val = flagText(req.message.value(QLatin1String("val")));
    QJsonObject r;
    if (!p || !SimDspConfig::block(config(req), p->nodeId, p->portIndex, p->procIndex))
        r = fail(req, QStringLiteral("out of range"));
    else if (!val)
        r = fail(req, QStringLiteral("invalid val"));
    else {
        SimDspConfig::editBlock(config(req), p->nodeId, p->portIndex, p->procIndex,
                                [&val](QJsonObject& block) { block.insert(QStringLiteral("bypass"), *val); });
        r = succ(req);
    }
    return {SimReply::echo(req, withPosition(req, r), {"val"})};
}

/// One band of an EQ block: "obj" replaces the band's members, "val" its bypass.
SimHandler eqBandSetter(bool bypass)
{
    return [bypass](const SimRequest& req) -> Replies {
        const std::optional<Position> p = position(req.message);
        const std::optional<int> band = SimCommandHandlers::readInt(req.message, "eqIndex");
        const std::optional<QJsonObject> block =
            p ? SimDspConfig::block(config(req), p->nodeId, p->portIndex, p->procIndex) : std::nullopt;
        const QJsonObject params = block ? block->value(QLatin1String("obj")).toObject() : QJsonObject();
        const int bands = params.value(QLatin1String("eqArr")).toArray().size();
        const std::optional<QString> val = flagText(req.message.value(QLatin1String("val")));
        const QJsonValue obj = req.message.value(QLatin1String("obj"));
        QJsonObject r;
        if (!block || block->value(QLatin1String("type")).toString() != QLatin1String("0") || !band || *band < 0 ||
            *band >= bands)
            r = fail(req, QStringLiteral("out of range"));
        else if (bypass ? !val : !obj.isObject())
            r = fail(req, bypass ? QStringLiteral("invalid val") : QStringLiteral("invalid obj"));
        else if (!bypass && !SimDspParams::checkBand(obj.toObject()).isEmpty())
            r = fail(req, SimDspParams::checkBand(obj.toObject()));
        else {
            SimDspConfig::editBlock(config(req), p->nodeId, p->portIndex, p->procIndex, [&](QJsonObject& b) {
                QJsonObject o = b.value(QLatin1String("obj")).toObject();
                const char* key = bypass ? "bypassArr" : "eqArr";
                QJsonArray arr = o.value(QLatin1String(key)).toArray();
                while (arr.size() < bands)
                    arr.append(QStringLiteral("0"));
                if (bypass) {
                    arr[*band] = *val;
                } else {
                    QJsonObject entry = arr[*band].toObject();
                    const QJsonObject given = obj.toObject();
                    for (auto it = given.begin(); it != given.end(); ++it)
                        entry.insert(it.key(), it.value());
                    arr[*band] = entry;
                }
                o.insert(QLatin1String(key), arr);
                b.insert(QStringLiteral("obj"), o);
            });
            r = succ(req);
        }
        return {SimReply::echo(req, withPosition(req, r), {"eqIndex", "val"})};
    };
}

// ---- channel changes ---------------------------------------------------------------------------------------

/// The accepted text of one channel value, or nullopt when the value is not one.
using ValueCheck = std::function<std::optional<QString>(const QJsonValue&)>;

/// "setMute", "setInverse", "setGain", "setGroupId": "inArr" and/or "outArr" of {"index","val"}, stored into the
/// channels' "commArr" member `key`. Every entry is checked before any is applied.
SimHandler channelSetter(const char* key, ValueCheck check)
{
    return [key, check](const SimRequest& req) -> Replies {
        struct Change
        {
            bool input;
            int index;
            QString value;
        };
        QVector<Change> changes;
        QString problem;
        bool any = false;
        for (bool input : {true, false}) {
            const QJsonValue list = req.message.value(input ? QLatin1String("inArr") : QLatin1String("outArr"));
            if (list.isUndefined())
                continue;
            any = true;
            if (!list.isArray()) {
                problem = QStringLiteral("invalid %1").arg(input ? QLatin1String("inArr") : QLatin1String("outArr"));
                break;
            }
            const int count = SimDspConfig::channelCount(config(req), input);
            for (const QJsonValue& e : list.toArray()) {
                const std::optional<int> index = SimCommandHandlers::readInt(e.toObject(), "index");
                const std::optional<QString> value = check(e.toObject().value(QLatin1String("val")));
                if (!index || *index < 0 || *index >= count)
                    problem = QStringLiteral("index out of range");
                else if (!value)
                    problem = QStringLiteral("invalid val");
                else
                    changes.append({input, *index, *value});
            }
        }
        if (!any)
            problem = QStringLiteral("no inArr or outArr");
        if (problem.isEmpty())
            for (const Change& c : changes)
                SimDspConfig::editChannel(config(req), c.input, c.index,
                                          [&](QJsonObject& ch) { ch.insert(QLatin1String(key), c.value); });
        const QJsonObject r = problem.isEmpty() ? succ(req) : fail(req, problem);
        return {SimReply::echo(req, r, {"inArr", "outArr"})};
    };
}

std::optional<QString> anyFlag(const QJsonValue& v)
{
    return flagText(v);
}

std::optional<QString> anyGain(const QJsonValue& v)
{
    const std::optional<double> db = SimReply::readDouble(QJsonObject{{QStringLiteral("v"), v}}, "v");
    if (!db)
        return std::nullopt;
    return QString::number(*db, 'g', 6);
}

std::optional<QString> anyGroup(const QJsonValue& v)
{
    const std::optional<int> g =
        SimReply::readIntIn(QJsonObject{{QStringLiteral("v"), v}}, "v", -1, SimDspConfig::kGroups - 1);
    if (!g)
        return std::nullopt;
    return QString::number(*g);
}

// ---- configuration (TCP) -----------------------------------------------------------------------------------

Replies getConfig(const SimRequest& req)
{
    QJsonObject r = succ(req);
    r.insert(QStringLiteral("config"), config(req));
    return {r};
}

/// "setConfig" stores the configuration at once; "setFactoryConfig" keeps it for the next start.
SimHandler configSetter(bool factory)
{
    return [factory](const SimRequest& req) -> Replies {
        const QJsonValue given = req.message.value(QLatin1String("config"));
        const QString problem = given.isObject() ? SimDspConfig::check(deviceOf(req).config(), given.toObject())
                                                 : QStringLiteral("invalid config");
        if (!problem.isEmpty())
            return {fail(req, problem)};
        SimDeviceState::Dsp& dsp = deviceOf(req).state().dsp;
        if (factory) {
            dsp.factoryConfig = given.toObject();
            dsp.factoryStoredAt = deviceOf(req).state().rebootCount;
            return {SimReply::echo(req, succ(req), {"sampleRate"})};
        }
        SimDspConfig::store(deviceOf(req), given.toObject());
        ++dsp.savedCount;
        return {succ(req)};
    };
}

Replies setBorderProcGroupIdBatch(const SimRequest& req)
{
    const QJsonValue list = req.message.value(QLatin1String("arr"));
    if (!list.isArray())
        return {fail(req, QStringLiteral("invalid arr"))};
    struct Change
    {
        Position at;
        int groupId;
    };
    QVector<Change> changes;
    for (const QJsonValue& e : list.toArray()) {
        const std::optional<Position> p = position(e.toObject());
        const std::optional<int> val = SimCommandHandlers::readInt(e.toObject(), "val");
        if (!p || !SimDspConfig::block(config(req), p->nodeId, p->portIndex, p->procIndex))
            return {fail(req, QStringLiteral("out of range"))};
        if (!val || *val < -1)
            return {fail(req, QStringLiteral("invalid val"))};
        changes.append({*p, *val});
    }
    for (const Change& c : changes)
        SimDspConfig::editBlock(config(req), c.at.nodeId, c.at.portIndex, c.at.procIndex, [&c](QJsonObject& block) {
            block.insert(QStringLiteral("groupId"), QString::number(c.groupId));
        });
    return {succ(req)};
}

} // namespace

SimHandler SimDspCommands::dspOnly(SimHandler handler)
{
    return [handler](const SimRequest& req) -> Replies {
        if (!deviceOf(req).config().hasDsp())
            return {};
        return handler(req);
    };
}

SimHandler SimDspCommands::change(SimHandler handler)
{
    return dspOnly([handler](const SimRequest& req) -> Replies {
        // The refusal names what it refuses, as every block and node reply does.
        if (deviceOf(req).dspLockMask() & 1u)
            return {SimReply::echo(
                req, fail(req, kLockReason),
                {"nodeId", "portIndex", "procIndex", "blockFlag", "eqIndex", "val", "outIndex", "inIndex"})};
        return handler(req);
    });
}

QJsonObject& SimDspCommands::config(const SimRequest& req)
{
    return ::config(req);
}

void SimDspCommands::addTo(SimCommandHandlers& h)
{
    SimDspMatrix::addTo(h);
    SimDspGroups::addTo(h);
    SimDspNodes::addTo(h);
    // The same names mean other things on other ports (the device version on 9994, amplifier gain on 9992).
    h.add(QStringLiteral("getVersion"), dspOnly(getVersion), SimServiceDsp);
    h.add(QStringLiteral("getCustomStr"), dspOnly(getCustomStr), SimServiceDsp);
    h.add(QStringLiteral("getVolumeDb"), dspOnly(getVolumeDb), SimServiceDsp);
    h.add(QStringLiteral("getCpuUsage"), dspOnly(getCpuUsage), SimServiceDsp);
    h.add(QStringLiteral("getBorderProcStatus"), dspOnly(getBorderProcStatus), SimServiceDsp);
    // The flat form without "obj" sets the cancellation stage, which every model has.
    h.add(QStringLiteral("setBorderProc"), SimAudioCommands::orCancelStage(change(setBorderProc)), SimServiceDsp);
    h.add(QStringLiteral("setBorderProcBypass"), change(setBorderProcBypass), SimServiceDsp);
    h.add(QStringLiteral("setBorderEq"), change(eqBandSetter(false)), SimServiceDsp);
    h.add(QStringLiteral("setBorderEqBypass"), change(eqBandSetter(true)), SimServiceDsp);
    h.add(QStringLiteral("setMute"), change(channelSetter("mute", anyFlag)), SimServiceDsp);
    h.add(QStringLiteral("setInverse"), change(channelSetter("inverse", anyFlag)), SimServiceDsp);
    h.add(QStringLiteral("setGain"), change(channelSetter("gainDb", anyGain)), SimServiceDsp);
    h.add(QStringLiteral("setGroupId"), change(channelSetter("groupId", anyGroup)), SimServiceDsp);

    h.add(QStringLiteral("getConfig"), dspOnly(getConfig), SimServiceDspTcp);
    h.add(QStringLiteral("setConfig"), change(configSetter(false)), SimServiceDspTcp);
    h.add(QStringLiteral("setFactoryConfig"), change(configSetter(true)), SimServiceDspTcp);
    h.add(QStringLiteral("setBorderProcGroupIdBatch"), change(setBorderProcGroupIdBatch), SimServiceDspTcp);
}

QVector<QByteArray> SimDspCommands::handleTcp(SimNetwork& network, int index, const QByteArray& message)
{
    SimDevice& dev = network.device(index);
    const QJsonDocument doc = QJsonDocument::fromJson(message);
    const QJsonObject request = doc.object();
    auto answer = [&](const QString& reason) {
        QJsonObject r{{QStringLiteral("ops"), request.value(QLatin1String("ops")).toString()},
                      {QStringLiteral("devId"), dev.devId()},
                      {QStringLiteral("result"), QStringLiteral("fail")},
                      {QStringLiteral("reason"), reason}};
        for (const char* key : {"uiTag", "cookie"})
            if (request.contains(QLatin1String(key)))
                r.insert(QLatin1String(key), request.value(QLatin1String(key)));
        return QVector<QByteArray>{QJsonDocument(r).toJson(QJsonDocument::Compact)};
    };
    if (!network.isAnswering(index))
        return {};
    if (!doc.isObject())
        return answer(QStringLiteral("invalid request"));
    // The controller puts the devId of the device it means in front of every request.
    if (request.value(QLatin1String("devId")).toString() != dev.devId())
        return answer(QStringLiteral("devId mismatch"));
    const SimServices tcp = SimServiceDspTcp | SimServiceDsp;
    const QString ops = request.value(QLatin1String("ops")).toString();
    if (!(network.handlers().servicesOf(ops) & tcp)) {
        dev.hear(ops);
        return answer(QStringLiteral("unknown ops"));
    }
    return network.handlers().handleDatagram(network, index, message, tcp);
}

#include "SimChannelCommands.h"

#include "SimAudioPath.h"
#include "SimLevels.h"
#include "SimNetwork.h"
#include "SimReply.h"

#include <QJsonArray>

#include <cmath>

const char* const SimChannelCommands::kAmpGainSteps[4] = {"20", "26", "32", "38"};

namespace {

using Replies = QVector<QJsonObject>;

/// A paged read of texts: ignored (as the name lists are) when idStart is not within the list.
Replies pageOf(const SimRequest& req, const QStringList& values)
{
    const std::optional<int> idStart = SimCommandHandlers::readInt(req.message, "idStart");
    if (!idStart || *idStart < 0 || *idStart > values.size())
        return {};
    return {
        SimReply::withTags(req, SimReply::page(SimReply::succ(req), values, *idStart, req.network.options().pageSize))};
}

SimHandler levelReader(SimMeter meter)
{
    return [meter](const SimRequest& req) -> Replies {
        return pageOf(req, SimAudioPath(req.network).texts(req.deviceIndex, meter, req.network.nowMs()));
    };
}

/// The processor's meters: its inputs are the physical inputs followed by the network receive channels, its
/// outputs the physical outputs followed by the network transmit channels.
SimHandler batchReader(SimSide side)
{
    return [side](const SimRequest& req) -> Replies {
        const SimDevice& dev = req.network.device(req.deviceIndex);
        if (!dev.config().hasDsp())
            return {};
        const qint64 now = req.network.nowMs();
        const bool rx = side == SimSide::Rx;
        SimAudioPath path(req.network);
        return pageOf(req, path.texts(req.deviceIndex, rx ? SimMeter::PhyRx : SimMeter::PhyTx, now) +
                               path.texts(req.deviceIndex, rx ? SimMeter::NetRx : SimMeter::NetTx, now));
    };
}

/// A gain as the device writes it: decimal text, "-inf" for a channel turned fully down.
QString gainText(double db)
{
    return std::isinf(db) && db < 0 ? QStringLiteral("-inf") : QString::number(db);
}

SimHandler gainReader(SimSide side)
{
    return [side](const SimRequest& req) -> Replies {
        QStringList texts;
        for (double g : req.network.device(req.deviceIndex).state().phyGain[int(side)])
            texts.append(gainText(g));
        return pageOf(req, texts);
    };
}

SimHandler muteReader(SimSide side)
{
    return [side](const SimRequest& req) -> Replies {
        QStringList texts;
        for (bool m : req.network.device(req.deviceIndex).state().phyMute[int(side)])
            texts.append(m ? QStringLiteral("1") : QStringLiteral("0"));
        return pageOf(req, texts);
    };
}

/// The channel id of a set request, or nullopt when it names no channel of `count`.
std::optional<int> channelId(const SimRequest& req, int count)
{
    const std::optional<int> id = SimCommandHandlers::readInt(req.message, "id");
    return id && *id >= 0 && *id < count ? id : std::nullopt;
}

SimHandler gainSetter(SimSide side)
{
    return [side](const SimRequest& req) -> Replies {
        QVector<double>& gains = req.network.device(req.deviceIndex).state().phyGain[int(side)];
        const std::optional<int> id = channelId(req, gains.size());
        // Limits are the controller's business; the device keeps any number it can read, and "-inf" (fully down).
        std::optional<double> val = SimReply::readDouble(req.message, "val");
        if (SimReply::text(req, "val").trimmed() == QLatin1String("-inf"))
            val = -INFINITY;
        QJsonObject r;
        if (!id)
            r = SimReply::fail(req, QStringLiteral("id out of range"));
        else if (!val)
            r = SimReply::fail(req, QStringLiteral("invalid val"));
        else {
            gains[*id] = *val;
            r = SimReply::succ(req);
        }
        return {SimReply::echo(req, r, {"id", "val"})};
    };
}

/// "0" or "1"; nullopt otherwise.
std::optional<bool> readFlag(const SimRequest& req, const char* key)
{
    const QString t = SimReply::text(req, key);
    if (t == QLatin1String("0") || t == QLatin1String("1"))
        return t == QLatin1String("1");
    return std::nullopt;
}

SimHandler muteSetter(SimSide side)
{
    return [side](const SimRequest& req) -> Replies {
        QVector<bool>& mutes = req.network.device(req.deviceIndex).state().phyMute[int(side)];
        const std::optional<int> id = channelId(req, mutes.size());
        const std::optional<bool> val = readFlag(req, "val");
        QJsonObject r;
        if (!id)
            r = SimReply::fail(req, QStringLiteral("id out of range"));
        else if (!val)
            r = SimReply::fail(req, QStringLiteral("invalid val"));
        else {
            mutes[*id] = *val;
            r = SimReply::succ(req);
        }
        return {SimReply::echo(req, r, {"id", "val"})};
    };
}

/// The amplifier's whole state, the same members in "getInfo" and "getPowerGainInfo".
QJsonObject withAmplifier(const SimDeviceState& st, QJsonObject r)
{
    QJsonArray steps;
    for (const char* s : SimChannelCommands::kAmpGainSteps)
        steps.append(QLatin1String(s));
    QJsonArray levels;
    QJsonArray power;
    QJsonArray applied;
    bool anyOn = false;
    for (int ch = 0; ch < st.ampGainLevel.size(); ++ch) {
        levels.append(QString::number(st.ampGainLevel[ch]));
        power.append(st.ampPower[ch] ? QStringLiteral("1") : QStringLiteral("0"));
        applied.append(st.ampPower[ch] ? QLatin1String(SimChannelCommands::kAmpGainSteps[st.ampGainLevel[ch]])
                                       : QLatin1String("-inf"));
        anyOn = anyOn || st.ampPower[ch];
    }
    r.insert(QStringLiteral("chNum"), QString::number(st.ampGainLevel.size()));
    r.insert(QStringLiteral("gainArr"), steps);
    r.insert(QStringLiteral("gainLev"), levels);
    r.insert(QStringLiteral("powerArr"), power);
    r.insert(QStringLiteral("powerGainArr"), applied);
    r.insert(QStringLiteral("powerOn"), anyOn ? QStringLiteral("1") : QStringLiteral("0"));
    return r;
}

/// Microphone gain (dB text) and phantom power ("0"/"1") of every physical input.
QJsonObject withMicInputs(const SimDeviceState& st, QJsonObject r)
{
    QJsonArray gains;
    QJsonArray power;
    for (int ch = 0; ch < st.micGain.size(); ++ch) {
        gains.append(gainText(st.micGain[ch]));
        power.append(st.phantom.value(ch) ? QStringLiteral("1") : QStringLiteral("0"));
    }
    r.insert(QStringLiteral("gainArr"), gains);
    r.insert(QStringLiteral("powerArr"), power);
    return r;
}

Replies getInfo(const SimRequest& req)
{
    const SimDevice& dev = req.network.device(req.deviceIndex);
    QJsonObject r = SimReply::succ(req);
    r.insert(QStringLiteral("model"), dev.config().model);
    r.insert(QStringLiteral("devName"), dev.config().name);
    r.insert(QStringLiteral("version"), dev.config().version);
    // The amplifier has no physical inputs; its "gainArr"/"powerArr" keep meaning gain steps and channel power.
    return {dev.config().isAmplifier() ? withAmplifier(dev.state(), r) : withMicInputs(dev.state(), r)};
}

Replies getPowerGainInfo(const SimRequest& req)
{
    const SimDevice& dev = req.network.device(req.deviceIndex);
    // Only an amplifier has the module that serves this port.
    if (!dev.config().isAmplifier())
        return {};
    return {SimReply::withTags(req, withAmplifier(dev.state(), SimReply::succ(req)))};
}

SimHandler amplifierOnly(SimHandler handler)
{
    return [handler](const SimRequest& req) -> Replies {
        if (!req.network.device(req.deviceIndex).config().isAmplifier())
            return {};
        return handler(req);
    };
}

/// "setGain" (a step index) and "setPower" ("0"/"1") of one amplifier channel.
SimHandler ampSetter(bool power)
{
    return [power](const SimRequest& req) -> Replies {
        SimDevice& dev = req.network.device(req.deviceIndex);
        SimDeviceState& st = dev.state();
        const std::optional<int> id = channelId(req, st.ampGainLevel.size());
        const std::optional<int> step = SimReply::readIntIn(req.message, "val", 0, 3);
        const std::optional<bool> on = readFlag(req, "val");
        QJsonObject r;
        if (!dev.config().isAmplifier())
            r = SimReply::fail(req, QStringLiteral("unsupported"));
        else if (!id)
            r = SimReply::fail(req, QStringLiteral("id out of range"));
        else if (power ? !on : !step)
            r = SimReply::fail(req, QStringLiteral("invalid val"));
        else {
            if (power)
                st.ampPower[*id] = *on;
            else
                st.ampGainLevel[*id] = *step;
            r = SimReply::succ(req);
        }
        return {SimReply::echo(req, r, {"id", "val"})};
    };
}

} // namespace

void SimChannelCommands::addTo(SimCommandHandlers& h)
{
    h.add(QStringLiteral("getAllPhyVolumeDbRx"), levelReader(SimMeter::PhyRx));
    h.add(QStringLiteral("getAllPhyVolumeDbTx"), levelReader(SimMeter::PhyTx));
    h.add(QStringLiteral("getAllVolumeDbRx"), levelReader(SimMeter::NetRx));
    h.add(QStringLiteral("getAllVolumeDbTx"), levelReader(SimMeter::NetTx));
    h.add(QStringLiteral("getVolumeDbBatchIn"), batchReader(SimSide::Rx), SimServiceDsp);
    h.add(QStringLiteral("getVolumeDbBatchOut"), batchReader(SimSide::Tx), SimServiceDsp);
    h.add(QStringLiteral("getAllPhyGainDbRx"), gainReader(SimSide::Rx));
    h.add(QStringLiteral("getAllPhyGainDbTx"), gainReader(SimSide::Tx));
    h.add(QStringLiteral("setPhyGainDbRx"), gainSetter(SimSide::Rx));
    h.add(QStringLiteral("setPhyGainDbTx"), gainSetter(SimSide::Tx));
    h.add(QStringLiteral("getAllPhyMuteRx"), muteReader(SimSide::Rx));
    h.add(QStringLiteral("getAllPhyMuteTx"), muteReader(SimSide::Tx));
    h.add(QStringLiteral("setPhyMuteRx"), muteSetter(SimSide::Rx));
    h.add(QStringLiteral("setPhyMuteTx"), muteSetter(SimSide::Tx));
    h.add(QStringLiteral("getInfo"), getInfo, SimServiceAmp);
    h.add(QStringLiteral("setGain"), ampSetter(false), SimServiceAmp);
    h.add(QStringLiteral("setPower"), ampSetter(true), SimServiceAmp);
    h.add(QStringLiteral("getPowerGainInfo"), getPowerGainInfo, SimServiceAmpModule | SimServiceAmpModule2);
    // The amplifier modules answer only on the amplifier; the second describes the same channels.
    h.add(QStringLiteral("getInfo"), amplifierOnly(getInfo), SimServiceAmpModule | SimServiceAmpModule2);
}

#include "SimAudioCommands.h"

#include "SimAudioPath.h"
#include "SimNetwork.h"
#include "SimReply.h"

namespace {

using Replies = QVector<QJsonObject>;

Replies setCancelStage(const SimRequest& req)
{
    SimDevice& dev = req.network.device(req.deviceIndex);
    SimDeviceState::Audio& audio = dev.state().audio;
    const std::optional<int> port = SimCommandHandlers::readInt(req.message, "portIndex");
    QJsonObject r;
    if (!port || *port < 0 || *port >= dev.config().phyChNumTx) {
        r = SimReply::fail(req, QStringLiteral("out of range"));
    } else {
        SimDeviceState::Audio::Cancel stage = audio.cancelOf(*port);
        const std::optional<int> max =
            req.message.contains(QLatin1String("maxNum"))
                ? SimReply::readIntIn(req.message, "maxNum", 1, SimAudioPath::kMaxCancelSamples)
                : std::optional<int>(stage.maxNum);
        const std::optional<int> delay = max ? SimReply::readIntIn(req.message, "delayNum", 0, *max) : std::nullopt;
        if (!max) {
            r = SimReply::fail(req, QStringLiteral("invalid maxNum"));
        } else if (!delay) {
            r = SimReply::fail(req, QStringLiteral("invalid delayNum"));
        } else {
            stage.delayNum = *delay;
            stage.maxNum = *max;
            audio.cancel.insert(*port, stage);
            r = SimReply::succ(req);
        }
    }
    return {SimReply::withTags(
        req, SimReply::echo(req, r, {"nodeId", "portIndex", "procIndex", "delayNum", "maxNum", "blockFlag"}))};
}

} // namespace

bool SimAudioCommands::isCancelStage(const QJsonObject& message)
{
    return !message.contains(QLatin1String("obj")) && message.contains(QLatin1String("delayNum"));
}

SimHandler SimAudioCommands::orCancelStage(SimHandler blockSetter)
{
    return [blockSetter](const SimRequest& req) -> Replies {
        if (isCancelStage(req.message))
            return setCancelStage(req);
        return blockSetter(req);
    };
}

void SimAudioCommands::addTo(SimCommandHandlers& h)
{
    h.add(QStringLiteral("setBorderProc"), setCancelStage, SimServiceCommand);
}

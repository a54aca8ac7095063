#include "SimGpioCommands.h"

#include "SimCommandHandlers.h"
#include "SimNetwork.h"
#include "SimReply.h"

namespace {

using Replies = QVector<QJsonObject>;

const char* const kWholeKeys[] = {"direction", "type",      "enable",    "triggerType", "channelDirection",
                                  "channelId", "programId", "inputChId", "outputChId"};

/// The index of a request, or nullopt when it names no entry.
std::optional<int> entryIndex(const SimRequest& req)
{
    return SimGpioCommands::readIndex(req.message);
}

QJsonObject stored(const SimRequest& req, int index)
{
    const QJsonObject& e = req.network.device(req.deviceIndex).state().gpio[index];
    return e.isEmpty() ? SimGpioCommands::defaultEntry() : e;
}

Replies setGpioInfo(const SimRequest& req)
{
    const std::optional<int> index = entryIndex(req);
    const QJsonValue given = req.message.value(QLatin1String("gpioInfo"));
    QJsonObject r;
    if (!index) {
        r = SimReply::fail(req, QStringLiteral("out of range"));
    } else {
        const QJsonObject entry =
            given.isObject() ? SimGpioCommands::merged(stored(req, *index), given.toObject()) : QJsonObject();
        if (entry.isEmpty()) {
            r = SimReply::fail(req, QStringLiteral("invalid gpioInfo"));
        } else {
            req.network.device(req.deviceIndex).state().gpio[*index] = entry;
            r = SimReply::succ(req);
            r.insert(QStringLiteral("gpioInfo"), entry);
        }
    }
    return {SimReply::echo(req, r, {"index"})};
}

Replies getGpioInfo(const SimRequest& req)
{
    const std::optional<int> index = entryIndex(req);
    if (!index)
        return {SimReply::echo(req, SimReply::fail(req, QStringLiteral("out of range")), {"index"})};
    QJsonObject r = SimReply::echo(req, SimReply::succ(req), {"index"});
    r.insert(QStringLiteral("gpioInfo"), stored(req, *index));
    return {r};
}

/// Drives a GPIO output high or low for a test: "isHigh" "0"/"1"; "index" may be left out (entry 0).
Replies testGpio(const SimRequest& req)
{
    const std::optional<int> index =
        req.message.contains(QLatin1String("index")) ? entryIndex(req) : std::optional<int>(0);
    const QString high = SimReply::text(req, "isHigh");
    QJsonObject r;
    if (!index)
        r = SimReply::fail(req, QStringLiteral("out of range"));
    else if (high != QLatin1String("0") && high != QLatin1String("1"))
        r = SimReply::fail(req, QStringLiteral("invalid isHigh"));
    else {
        req.network.device(req.deviceIndex).state().factory.testGpio.insert(*index, high == QLatin1String("1"));
        r = SimReply::succ(req);
    }
    return {SimReply::echo(req, r, {"index", "isHigh"})};
}

} // namespace

std::optional<int> SimGpioCommands::readIndex(const QJsonObject& message)
{
    const QJsonValue v = message.value(QLatin1String("index"));
    if (!v.isString())
        return SimReply::readIntIn(message, "index", 0, SimDeviceState::kGpioCount - 1);
    // The test page names an entry "GPIO_" and its number.
    QString text = v.toString();
    if (text.startsWith(QLatin1String("GPIO_")))
        text = text.mid(5);
    return SimReply::readIntIn(QJsonObject{{QStringLiteral("index"), text}}, "index", 0,
                               SimDeviceState::kGpioCount - 1);
}

QJsonObject SimGpioCommands::defaultEntry()
{
    QJsonObject e;
    for (const char* key : kWholeKeys)
        e.insert(QLatin1String(key), QStringLiteral("0"));
    e.insert(QStringLiteral("gainStep"), QStringLiteral("0"));
    e.insert(QStringLiteral("customCmd"), QString());
    return e;
}

QJsonObject SimGpioCommands::merged(const QJsonObject& stored, const QJsonObject& given)
{
    QJsonObject out = stored;
    for (const char* key : kWholeKeys) {
        if (!given.contains(QLatin1String(key)))
            continue;
        const std::optional<int> n = SimCommandHandlers::readInt(given, key);
        if (!n)
            return {};
        out.insert(QLatin1String(key), QString::number(*n));
    }
    if (given.contains(QLatin1String("gainStep"))) {
        const std::optional<double> step = SimReply::readDouble(given, "gainStep");
        if (!step)
            return {};
        out.insert(QStringLiteral("gainStep"), QString::number(*step));
    }
    if (given.contains(QLatin1String("customCmd"))) {
        const QJsonValue cmd = given.value(QLatin1String("customCmd"));
        if (!cmd.isString() || cmd.toString().toUtf8().size() > kMaxCustomCmdBytes)
            return {};
        out.insert(QStringLiteral("customCmd"), cmd.toString());
    }
    return out;
}

void SimGpioCommands::addTo(SimCommandHandlers& h)
{
    h.add(QStringLiteral("setGpioInfo"), setGpioInfo, SimServiceAmp);
    h.add(QStringLiteral("getGpioInfo"), getGpioInfo, SimServiceAmp);
    h.add(QStringLiteral("testGpio"), testGpio, SimServiceAmp);
}

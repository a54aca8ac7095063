#include "SimFactoryCommands.h"

#include "SimCommandHandlers.h"
#include "SimNetwork.h"
#include "SimReply.h"

#include <QRegularExpression>

namespace {

using Replies = QVector<QJsonObject>;

const QString kCpuName = QStringLiteral("cpuKHz");

SimDevice& deviceOf(const SimRequest& req)
{
    return req.network.device(req.deviceIndex);
}

/// A member given as text or as a number, as text; nullopt otherwise.
std::optional<QString> textOrNumber(const QJsonObject& message, const char* key)
{
    const QJsonValue v = message.value(QLatin1String(key));
    if (v.isString())
        return v.toString();
    if (v.isDouble())
        return QString::number(v.toDouble(), 'g', 15);
    return std::nullopt;
}

Replies resetFactory(const SimRequest& req)
{
    SimDevice& dev = deviceOf(req);
    // A locked device keeps its settings: the page refuses too, but an older controller may not ask.
    if (dev.lockMask() != 0 || dev.dspLockMask() != 0)
        return {SimReply::fail(req, QStringLiteral("locked"))};
    dev.resetToFactory();
    ++dev.state().factory.resets;
    return {SimReply::succ(req)};
}

Replies getOemData(const SimRequest& req)
{
    const SimDeviceConfig& c = deviceOf(req).config();
    const QString name = SimReply::text(req, "name");
    auto it = c.oemData.constFind(name);
    QJsonObject r;
    if (it != c.oemData.constEnd()) {
        r = SimReply::succ(req);
        r.insert(QStringLiteral("val"), it.value());
    } else if (name == kCpuName) {
        // Never set: the device runs at its own frequency.
        r = SimReply::succ(req);
        r.insert(QStringLiteral("val"), QStringLiteral("0"));
    } else {
        r = SimReply::fail(req, QStringLiteral("unknown name"));
    }
    r.insert(QStringLiteral("name"), name);
    return {r};
}

Replies setOemData(const SimRequest& req)
{
    SimDeviceConfig& c = deviceOf(req).editConfig();
    const QString name = SimReply::text(req, "name");
    const std::optional<QString> val = textOrNumber(req.message, "val");
    QJsonObject r;
    if (name.trimmed().isEmpty() || name.toUtf8().size() > SimFactoryCommands::kMaxOemNameBytes)
        r = SimReply::fail(req, QStringLiteral("invalid name"));
    else if (!val || val->toUtf8().size() > SimFactoryCommands::kMaxOemValueBytes ||
             (name == kCpuName && !SimFactoryCommands::cpuChoices().contains(*val)))
        r = SimReply::fail(req, QStringLiteral("invalid val"));
    else if (!c.oemData.contains(name) && c.oemData.size() >= SimFactoryCommands::kMaxOemEntries)
        r = SimReply::fail(req, QStringLiteral("too many entries"));
    else {
        c.oemData.insert(name, *val);
        r = SimReply::succ(req);
    }
    return {SimReply::echo(req, r, {"name", "val"})};
}

} // namespace

QStringList SimFactoryCommands::cpuChoices()
{
    return {QStringLiteral("Default"), QStringLiteral("0"),       QStringLiteral("408000"), QStringLiteral("600000"),
            QStringLiteral("816000"),  QStringLiteral("1008000"), QStringLiteral("1200000")};
}

bool SimFactoryCommands::isText(const QByteArray& datagram)
{
    return !datagram.trimmed().startsWith('{');
}

QByteArray SimFactoryCommands::handleText(SimNetwork& network, int index, const QByteArray& datagram)
{
    if (datagram.size() > kMaxTextBytes)
        return {};
    static const QRegularExpression ssh(QStringLiteral("^hostname=(\\S+)\\s+startSsh$"));
    const QRegularExpressionMatch m = ssh.match(QString::fromUtf8(datagram.trimmed()));
    if (!m.hasMatch())
        return {};
    SimDevice& dev = network.device(index);
    dev.hear(QStringLiteral("startSsh"));
    if (!network.isAnswering(index))
        return {};
    if (m.captured(1) != SimDeviceConfig::ipText(dev.ip()))
        return QByteArrayLiteral("startSsh fail: hostname mismatch");
    ++dev.state().factory.sshStarts;
    return QByteArrayLiteral("startSsh ok");
}

void SimFactoryCommands::addTo(SimCommandHandlers& h)
{
    h.add(QStringLiteral("resetFactory"), resetFactory, SimServiceFactory);
    // The older firmware's spelling.
    h.add(QStringLiteral("resetFacotry"), resetFactory, SimServiceFactory);
    h.add(QStringLiteral("getOemData"), getOemData, SimServiceFactory | SimServiceSettings);
    h.add(QStringLiteral("setOemData"), setOemData, SimServiceFactory | SimServiceSettings);
}

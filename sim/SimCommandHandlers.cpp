#include "SimCommandHandlers.h"

#include "SimAudioCommands.h"
#include "SimChannelCommands.h"
#include "SimDspCommands.h"
#include "SimDspPrograms.h"
#include "SimFactoryCommands.h"
#include "SimGpioCommands.h"
#include "SimLog.h"
#include "SimNetwork.h"
#include "SimReply.h"
#include "SimRouteCommands.h"
#include "SimSettingsCommands.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QRandomGenerator>

#include <algorithm>
#include <cmath>

namespace {

SimHandler tableReader(SimTable table)
{
    return [table](const SimRequest& req) -> QVector<QJsonObject> {
        const SimDevice& dev = req.network.device(req.deviceIndex);
        std::optional<int> idStart = SimCommandHandlers::readInt(req.message, "idStart");
        // A start beyond the table would make the controller believe it holds more ids than exist.
        if (!idStart || *idStart < 0 || *idStart > dev.tableCount(table)) {
            qCDebug(lcSim) << dev.devId() << "ignores" << SimDevice::opsForTable(table) << "with a bad idStart";
            return {};
        }
        return {dev.pageReply(table, *idStart, req.network.options().pageSize)};
    };
}

SimHandler nameReader(SimNameList list)
{
    return [list](const SimRequest& req) -> QVector<QJsonObject> {
        const SimDevice& dev = req.network.device(req.deviceIndex);
        std::optional<int> idStart = SimCommandHandlers::readInt(req.message, "idStart");
        if (!idStart || *idStart < 0 || *idStart > dev.names(list).size()) {
            qCDebug(lcSim) << dev.devId() << "ignores" << SimDevice::opsForNameList(list) << "with a bad idStart";
            return {};
        }
        return {dev.namePageReply(list, *idStart, req.network.options().pageSize)};
    };
}

QString text(const SimRequest& req, const char* key)
{
    return SimReply::text(req, key);
}

QJsonObject succ(const SimRequest& req)
{
    return SimReply::succ(req);
}

QJsonObject fail(const SimRequest& req, const QString& reason)
{
    return SimReply::fail(req, reason);
}

bool isDspRequest(const SimRequest& req)
{
    return text(req, "uiTag") == QLatin1String("dspUiTag");
}

QJsonObject withTags(const SimRequest& req, QJsonObject reply)
{
    return SimReply::withTags(req, std::move(reply));
}

/// Stands in for a password in an answer: shows whether one was given, never what it is.
QString hidden(const QString& password)
{
    return password.isEmpty() ? QString() : QStringLiteral("********");
}

QString joined(const QVector<int>& numbers)
{
    QStringList parts;
    for (int n : numbers)
        parts.append(QString::number(n));
    return parts.join(QLatin1Char(','));
}

QVector<QJsonObject> getLock(const SimRequest& req)
{
    const SimDevice& dev = req.network.device(req.deviceIndex);
    QJsonObject r = withTags(req, succ(req));
    r.insert(QStringLiteral("val"),
             SimDeviceConfig::maskText(isDspRequest(req) ? dev.dspLockMaskShown() : dev.lockMask()));
    return {r};
}

QVector<QJsonObject> setLock(const SimRequest& req)
{
    SimDevice& dev = req.network.device(req.deviceIndex);
    if (!dev.passwordMatches(text(req, "password")))
        return {withTags(req, fail(req, QStringLiteral("mismatch")))};
    std::optional<quint32> mask = SimDeviceConfig::parseMask(text(req, "val"));
    if (!mask)
        return {withTags(req, fail(req, QStringLiteral("bad val")))};
    if (isDspRequest(req))
        dev.setDspLockMask(*mask);
    else
        dev.setLockMask(*mask);
    QJsonObject r = withTags(req, succ(req));
    r.insert(QStringLiteral("val"), SimDeviceConfig::maskText(*mask));
    return {r};
}

QVector<QJsonObject> setPassword(const SimRequest& req)
{
    SimDevice& dev = req.network.device(req.deviceIndex);
    const QString oldPassword = text(req, "old");
    const QString newPassword = text(req, "new");
    QJsonObject r;
    if (!dev.passwordMatches(oldPassword)) {
        r = fail(req, QStringLiteral("mismatch"));
    } else if (newPassword.toUtf8().size() > 63) {
        r = fail(req, QStringLiteral("password too long"));
    } else {
        dev.setPassword(newPassword);
        r = succ(req);
    }
    // The controller only needs to know whether a new password was given; the texts never travel back.
    r.insert(QStringLiteral("old"), hidden(oldPassword));
    r.insert(QStringLiteral("new"), hidden(newPassword));
    if (req.message.contains(QLatin1String("isByself")))
        r.insert(QStringLiteral("isByself"), req.message.value(QLatin1String("isByself")));
    return {r};
}

QVector<QJsonObject> getVersion(const SimRequest& req)
{
    const SimDeviceConfig& c = req.network.device(req.deviceIndex).config();
    QJsonObject r = succ(req);
    r.insert(QStringLiteral("version"), c.version);
    r.insert(QStringLiteral("oemCode"), c.oemCode);
    r.insert(QStringLiteral("ptpPriority"), QString::number(c.ptpPriority));
    r.insert(QStringLiteral("ptpDomain"), QString::number(c.ptpDomain));
    r.insert(QStringLiteral("ptpDscp"), QString::number(c.ptpDscp));
    r.insert(QStringLiteral("sampleRateArr"), joined(c.sampleRates));
    r.insert(QStringLiteral("packetTimeDivArr"), joined(c.packetTimeDivs));
    return {r};
}

/// The memory figures of the device's system, in the form of its memory report; the free memory breathes a little
/// with the uptime.
QString memoryText(qint64 uptime)
{
    const qint64 total = 507904;
    const qint64 free = 231512 - (uptime % 64) * 16;
    return QStringLiteral("MemTotal:       %1 kB\nMemFree:        %2 kB\nMemAvailable:   %3 kB\nBuffers:        "
                          "10240 kB\nCached:         61440 kB\n")
        .arg(total)
        .arg(free)
        .arg(free + 71680);
}

QVector<QJsonObject> getDebugInfo(const SimRequest& req)
{
    const SimDevice& dev = req.network.device(req.deviceIndex);
    const int jitter = dev.temperatureJitter();
    const int temp =
        dev.temperatureBase() + (jitter > 0 ? QRandomGenerator::global()->bounded(-jitter, jitter + 1) : 0);
    QJsonObject r = succ(req);
    r.insert(QStringLiteral("devName"), dev.config().name);
    r.insert(QStringLiteral("model"), dev.config().model);
    r.insert(QStringLiteral("temp"), QString::number(temp));
    const qint64 uptime = dev.uptimeSeconds(req.network.nowMs());
    r.insert(QStringLiteral("uptime"), QString::number(uptime));
    r.insert(QStringLiteral("free"), memoryText(uptime));
    return {r};
}

QVector<QJsonObject> getIp(const SimRequest& req)
{
    const SimDeviceState& st = req.network.device(req.deviceIndex).state();
    QJsonObject r = succ(req);
    r.insert(QStringLiteral("fixedIp"), QString::number(st.fixedIp));
    r.insert(QStringLiteral("ip"), SimDeviceConfig::ipText(st.ip));
    r.insert(QStringLiteral("mask"), SimDeviceConfig::ipText(SimDeviceState::maskForPrefix(st.prefixLength)));
    r.insert(QStringLiteral("gw"), SimDeviceConfig::ipText(st.gateway));
    r.insert(QStringLiteral("dns"), SimDeviceConfig::ipText(st.dns));
    return {r};
}

QVector<QJsonObject> getCustomStr(const SimRequest& req)
{
    QJsonObject r = succ(req);
    r.insert(QStringLiteral("str"), req.network.device(req.deviceIndex).config().customStr);
    return {r};
}

} // namespace

SimCommandHandlers::SimCommandHandlers()
{
    for (int t = 0; t <= static_cast<int>(SimTable::ActiveMcast); ++t)
        add(SimDevice::opsForTable(static_cast<SimTable>(t)), tableReader(static_cast<SimTable>(t)));
    addDeviceCommands();
}

void SimCommandHandlers::addDeviceCommands()
{
    for (int l = 0; l <= static_cast<int>(SimNameList::PhyRx); ++l)
        add(SimDevice::opsForNameList(static_cast<SimNameList>(l)), nameReader(static_cast<SimNameList>(l)));
    // Locks live on 9995; the DSP's own lock on 8999, though two models take their DSP lock on 9995.
    add(QStringLiteral("getLock"), getLock, SimServiceLock | SimServiceDsp);
    add(QStringLiteral("setLock"), setLock, SimServiceLock | SimServiceDsp);
    add(QStringLiteral("setPassword"), setPassword, SimServiceSettings);
    // Device windows poll the version on the command port as a heartbeat.
    add(QStringLiteral("getVersion"), getVersion, SimServiceCommand | SimServiceSettings);
    add(QStringLiteral("getDebugInfo"), getDebugInfo, SimServiceSettings);
    add(QStringLiteral("getIp"), getIp, SimServiceSettings);
    add(QStringLiteral("getCustomStr"), getCustomStr, SimServiceCommand);
    SimSettingsCommands::addTo(*this);
    SimChannelCommands::addTo(*this);
    SimRouteCommands::addTo(*this);
    SimDspCommands::addTo(*this);
    SimDspPrograms::addTo(*this);
    SimGpioCommands::addTo(*this);
    SimAudioCommands::addTo(*this);
    SimFactoryCommands::addTo(*this);
}

void SimCommandHandlers::add(const QString& ops, SimHandler handler, SimServices services)
{
    QVector<Entry>& entries = m_handlers[ops];
    for (Entry& e : entries)
        e.services &= ~services;
    entries.erase(std::remove_if(entries.begin(), entries.end(), [](const Entry& e) { return !e.services; }),
                  entries.end());
    entries.append(Entry{std::move(handler), services});
}

SimServices SimCommandHandlers::servicesOf(const QString& ops) const
{
    SimServices all;
    for (const Entry& e : m_handlers.value(ops))
        all |= e.services;
    return all;
}

std::optional<int> SimCommandHandlers::readInt(const QJsonObject& message, const char* key)
{
    const QJsonValue v = message.value(QLatin1String(key));
    if (v.isString()) {
        bool ok = false;
        int n = v.toString().toInt(&ok, 10);
        return ok ? std::optional<int>(n) : std::nullopt;
    }
    if (v.isDouble()) {
        double d = v.toDouble();
        if (std::floor(d) == d && std::fabs(d) < 2147483647.0)
            return static_cast<int>(d);
    }
    return std::nullopt;
}

QVector<QByteArray> SimCommandHandlers::handleDatagram(SimNetwork& network, int deviceIndex, const QByteArray& datagram,
                                                       SimServices services) const
{
    QJsonParseError pe;
    const QJsonDocument doc = QJsonDocument::fromJson(datagram, &pe);
    if (pe.error != QJsonParseError::NoError || !doc.isObject()) {
        qCDebug(lcSim) << "ignored a datagram that is not a JSON object," << datagram.size() << "bytes";
        return {};
    }
    const QJsonObject message = doc.object();
    const QString ops = message.value(QLatin1String("ops")).toString();
    network.device(deviceIndex).hear(ops);
    if (!network.isAnswering(deviceIndex))
        return {};
    auto it = m_handlers.constFind(ops);
    if (it == m_handlers.constEnd()) {
        qCDebug(lcSim) << "ignored unknown ops" << ops;
        return {};
    }
    const Entry* entry = nullptr;
    for (const Entry& e : *it)
        if (e.services & services) {
            entry = &e;
            break;
        }
    if (!entry) {
        qCDebug(lcSim) << "ignored" << ops << "on a port that does not serve it";
        return {};
    }
    QVector<QByteArray> out;
    for (const QJsonObject& reply : entry->handler({network, deviceIndex, message, services}))
        out.append(QJsonDocument(reply).toJson(QJsonDocument::Compact));
    return out;
}

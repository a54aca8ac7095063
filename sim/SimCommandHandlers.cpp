#include "SimCommandHandlers.h"

#include "SimLog.h"
#include "SimNetwork.h"

#include <QJsonDocument>

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

} // namespace

SimCommandHandlers::SimCommandHandlers()
{
    for (int t = 0; t <= static_cast<int>(SimTable::ActiveMcast); ++t)
        add(SimDevice::opsForTable(static_cast<SimTable>(t)), tableReader(static_cast<SimTable>(t)));
}

void SimCommandHandlers::add(const QString& ops, SimHandler handler)
{
    m_handlers.insert(ops, std::move(handler));
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

QVector<QByteArray> SimCommandHandlers::handleDatagram(SimNetwork& network, int deviceIndex,
                                                       const QByteArray& datagram) const
{
    QJsonParseError pe;
    const QJsonDocument doc = QJsonDocument::fromJson(datagram, &pe);
    if (pe.error != QJsonParseError::NoError || !doc.isObject()) {
        qCDebug(lcSim) << "ignored a datagram that is not a JSON object," << datagram.size() << "bytes";
        return {};
    }
    const QJsonObject message = doc.object();
    const QString ops = message.value(QLatin1String("ops")).toString();
    auto it = m_handlers.constFind(ops);
    if (it == m_handlers.constEnd()) {
        qCDebug(lcSim) << "ignored unknown ops" << ops;
        return {};
    }
    QVector<QByteArray> out;
    for (const QJsonObject& reply : (*it)({network, deviceIndex, message}))
        out.append(QJsonDocument(reply).toJson(QJsonDocument::Compact));
    return out;
}

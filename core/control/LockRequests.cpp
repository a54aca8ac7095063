#include "LockRequests.h"

#include "DeviceRequests.h"
#include "ModelTable.h"

bool LockRequests::handles(const QString& ops)
{
    return ops == QLatin1String("setLock") || ops == QLatin1String("setPassword");
}

DeviceRequest LockRequests::forMessage(const QJsonObject& message, const DevDetail_t& device)
{
    DeviceRequest out;
    const QString ops = message.value(QStringLiteral("ops")).toString();
    if (!handles(ops) || device.isEmpty())
        return out;
    QJsonObject body = message;
    body.remove(QStringLiteral("devId"));
    body.remove(QStringLiteral("TAG"));
    int port = DeviceRequests::kServicePort;
    if (ops == QLatin1String("setLock")) {
        port = body.value(QStringLiteral("uiTag")).toString() == QLatin1String("dspUiTag")
                   ? ModelTable::instance().dspLockPort(device.model)
                   : DeviceRequests::kLockPort;
    }
    if (port <= 0 || port > 65535)
        return out;
    out.body = DeviceRequests::compose(body);
    out.ip = device.ip;
    out.port = static_cast<uint16_t>(port);
    return out;
}

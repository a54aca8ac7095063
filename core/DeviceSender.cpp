#include "DeviceSender.h"

#include "CommandTranslator.h"
#include "DevDetailStore.h"
#include "DevManager.h"
#include "PendingRequests.h"

namespace DeviceSender {

bool send(const QByteArray& bytes, uint32_t ip, uint16_t port)
{
    if (bytes.isEmpty() || port == 0)
        return false;
    if (libCallUser_sendUdp(bytes.constData(), bytes.size(), ip, port) != bytes.size())
        return false;
    // Remembered so that the reply that changes the registry is known to answer it.
    PendingRequests::instance().noteSent(bytes, ip);
    return true;
}

bool send(const DeviceRequest& request)
{
    return request.isValid() && send(request.body, request.ip, request.port);
}

bool sendToDevice(const QString& msg, const QString& devId)
{
    const DevDetail_t detail = DevDetailStore::instance().getDevDetail(devId, "DeviceSender::sendToDevice", __LINE__);
    if (detail.isEmpty() || detail.port <= 0 || detail.port > 65535)
        return false;
    return send(msg.toUtf8(), detail.ip, static_cast<uint16_t>(detail.port));
}

} // namespace DeviceSender

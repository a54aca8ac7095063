#pragma once
#include <QByteArray>
#include <QString>
#include <cstdint>

struct DeviceRequest;

/// The one way a window, a page or a worker sends a datagram to a device. Thread-safe: it ends
/// in the network thread's locked socket write, so level pollers may call it from their thread.
namespace DeviceSender {

/// Sends `bytes` to ip:port. False when the network thread is not receiving or the write failed.
/// Requests whose replies change the registry are noted in PendingRequests.
bool send(const QByteArray& bytes, uint32_t ip, uint16_t port);

/// Sends a translated command message to the address and service port it names.
bool send(const DeviceRequest& request);

/// Sends `msg` to the device's own command port, as held in the device detail store.
/// False when the device is unknown or has no valid port.
bool sendToDevice(const QString& msg, const QString& devId);

} // namespace DeviceSender

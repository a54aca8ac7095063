#pragma once
#include "DevDetail.h"

#include <QByteArray>
#include <QJsonObject>
#include <QVector>
#include <cstdint>

/// Device requests the shell composes itself: the first requests to a newly listed device. (Command
/// messages of the windows go through CommandTranslator.) Widget-free; sending goes through libCallUser_sendUdp.
class DeviceRequests
{
public:
    static constexpr uint16_t kLockPort = 9995;
    static constexpr uint16_t kDspPort = 8999;
    static constexpr uint16_t kServicePort = 9994;

    /// One datagram and where it goes.
    struct Request
    {
        QByteArray bytes;
        uint32_t ip = 0; ///< host order
        uint16_t port = 0;
    };

    /// The wire form: compact JSON, keys in ascending order, every scalar as text (numbers in decimal,
    /// booleans as "1"/"0"). Objects and arrays are kept as they are.
    static QByteArray compose(const QJsonObject& request);
    /// One scalar as the devices read it: strings as they are, numbers in decimal, booleans "1"/"0",
    /// null and absent values "". Objects and arrays are returned unchanged.
    static QJsonValue asText(const QJsonValue& value);

    /// The first requests to a device just listed, in sending order: device lock, DSP lock, password state,
    /// first page of receive channel names, version, debug information, OEM type, address settings, custom
    /// string. A command port outside 1..65535 drops the two requests meant for it.
    static QVector<Request> firstRequests(uint32_t ip, int commandPort);

    /// Sends each request; returns how many were sent whole (a stopped network thread sends none).
    static int sendAll(const QVector<Request>& requests);
};

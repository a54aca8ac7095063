#pragma once
#include "DevDetail.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <functional>

/// A device request ready to send: one datagram to one address and port.
struct DeviceRequest
{
    QByteArray body;
    uint32_t ip = 0; ///< host order
    uint16_t port = 0;
    bool isValid() const { return port != 0 && !body.isEmpty(); }
};

/// Translates a window's command message into its device request (compact JSON with sorted
/// keys, every scalar as text) and the service port of the command.
class CommandTranslator
{
public:
    /// Gives the detail (address, command port) of a devId; an empty detail when unknown.
    using DetailLookup = std::function<DevDetail_t(const QString& devId)>;

    explicit CommandTranslator(DetailLookup lookup);

    /// The request for a command message; invalid (nothing to send) when the message is not a
    /// JSON object, names an unknown command, or names a device that isn't listed ("setIp" aside).
    DeviceRequest translate(const QString& message) const;

private:
    DetailLookup m_lookup;
};

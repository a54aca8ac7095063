#pragma once
#include <QString>
#include <cstdint>

/// What the user interface must hear of one datagram of the device multicast socket.
struct McastForward
{
    enum Kind
    {
        None,       ///< announcements and route notifications: the registry handled them
        ClockEvent, ///< `text` is the "clockEvent" message to forward
        Blink       ///< `text` is the devId that asked to be identified
    };
    Kind kind = None;
    QString text;
    QString event; ///< a clock event's "event" (its kind)
};

/// Turns a device multicast datagram (NUL-terminated behind `length`) into what the user
/// interface receives: clock events forwarded with "ops" "clockEvent" and the sender's
/// "remoteIp", identify requests ("devReqGuiBlink") as a blink of the devId.
McastForward forwardMcastDatagram(const char* data, int length, uint32_t srcIp);

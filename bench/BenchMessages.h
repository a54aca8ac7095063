#pragma once
// Datagrams of a simulated device population, formatted the way the devices send them.

#include <QByteArray>
#include <cstdint>

/// Builds announcements, table replies and SAP packets of simulated device number `index`
/// (0..1023). Every returned QByteArray is NUL-terminated behind its data, which is what the
/// registry's entry points expect of a received datagram.
class BenchMessages
{
public:
    /// Announced counts of one device.
    struct Shape
    {
        int chNumRx = 64;
        int chNumTx = 64;
        int ucastNumRx = 8;
        int ucastNumTx = 8;
        int mcastNumRx = 8;
        int mcastNumTx = 4;
    };

    /// Host-order address of device `index`, inside 10.77.0.0/16.
    static uint32_t deviceIp(int index);
    /// Inverse of deviceIp; -1 for an address that no simulated device has.
    static int deviceIndex(uint32_t ip);
    static QByteArray devId(int index);

    /// The "iAmVeranto" announcement of device `index`.
    static QByteArray announcement(int index, const Shape& shape);
    /// The device's reply to one synchronisation request, or an empty array for any other request.
    /// Pages are sized as a device would to stay within one Ethernet frame.
    static QByteArray tableReply(int index, const Shape& shape, const QByteArray& request);
    /// A SAP announcement (IPv4 origin, no authentication) of the first multicast transmit
    /// stream of device `index`, with the SDP a device sends for 8 channels of L24 at 48 kHz.
    static QByteArray sapAnnouncement(int index);
};

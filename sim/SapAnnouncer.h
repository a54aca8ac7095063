#pragma once

#include "SimDevice.h"

#include <QByteArray>
#include <QString>
#include <QVector>

/// Builds the SAP announcements (RFC 2974) with AES67 SDP (RFC 4566) of a device's multicast streams.
class SapAnnouncer
{
public:
    /// The complete SDP text of one transmit stream of `device`; lines end in CRLF.
    static QByteArray sdpText(const SimDevice& device, const SimTxStream& stream);
    /// One SAP announcement packet: IPv4 header without authentication, "application/sdp", NUL, SDP.
    static QByteArray packet(quint32 originIp, const QByteArray& sdp);
    /// The SAP deletion of a stream last announced with `sdp`: same hash and origin, message type deletion,
    /// and only the origin line as payload, so receivers can match it to the announcement.
    static QByteArray deletionPacket(quint32 originIp, const QByteArray& sdp);
    /// Announcements of every multicast transmit stream the device currently sends.
    static QVector<QByteArray> packetsFor(const SimDevice& device);
    /// Packet time in milliseconds as SDP writes it ("1", "0.125").
    static QString ptimeText(int frames, int sampleRate);

private:
    static QByteArray frame(bool deletion, quint32 originIp, const QByteArray& hashed, const QByteArray& payload);
};

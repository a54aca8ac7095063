#pragma once

#include <QString>
#include <QtGlobal>

#include <array>

/// Slots per stream: a stream carries at most this many channels.
constexpr int kSimStreamSlots = 8;

/// Largest datagram a device sends: one Ethernet frame's UDP payload, so replies are never fragmented.
constexpr int kSimMaxDatagramBytes = 1472;

/// The description of one stream as devices exchange it ("sdp" object on the wire).
struct SimSdp
{
    quint32 srcIp = 0;
    quint32 dstIp = 0;
    quint16 dstPort = 0;
    quint8 chNum = 0;
    quint8 sampleByteNum = 0;
    quint32 rtpTsOffset = 0;

    bool isEmpty() const { return srcIp == 0 && dstIp == 0 && dstPort == 0; }
    bool sameFlow(const SimSdp& o) const { return srcIp == o.srcIp && dstIp == o.dstIp && dstPort == o.dstPort; }
};

/// Where one RTP channel of a receiver comes from; unused when srcDevId is empty.
struct SimRtpChannel
{
    QString srcDevId;
    int srcChId = -1;
    /// Fed by a multicast stream: the tables then name no source device, as a receiver cannot know it.
    bool multicast = false;

    bool isUsed() const { return !srcDevId.isEmpty(); }
};

/// One receive stream slot (unicast or multicast).
struct SimRxStream
{
    bool used = false;
    SimSdp sdp;
    std::array<int, kSimStreamSlots> rtpChIds = emptySlots();
    bool active = false;

    static std::array<int, kSimStreamSlots> emptySlots()
    {
        std::array<int, kSimStreamSlots> a;
        a.fill(-1);
        return a;
    }
};

/// One transmit stream slot (unicast or multicast).
struct SimTxStream
{
    bool used = false;
    SimSdp sdp;
    std::array<int, kSimStreamSlots> srcChIds = SimRxStream::emptySlots();
    QString name;
    /// Bumped on every change so SAP receivers see a new version of the announcement.
    int version = 1;
};

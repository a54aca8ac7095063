#pragma once
#include <QString>

/// A multicast receive route, stored on the receiving device: one channel of a stream to one of our receive
/// channels, with the stream's description ("sdpInfo") as it was when the route was made.
struct OfflineMcastRoute
{
    QString mcastName;
    QString srcDevId;
    int srcChId = 0; ///< 0-based channel of the sender
    int dstChId = 0; ///< 0-based receive channel
    QString srcIp;
    QString dstIp;
    int dstPort = 0;
    int chNum = 0;
    int sampleByteNum = 3;
    qint64 rtpTsOffset = 0;

    bool operator==(const OfflineMcastRoute& o) const
    {
        return mcastName == o.mcastName && srcDevId == o.srcDevId && srcChId == o.srcChId && dstChId == o.dstChId &&
               srcIp == o.srcIp && dstIp == o.dstIp && dstPort == o.dstPort && chNum == o.chNum &&
               sampleByteNum == o.sampleByteNum && rtpTsOffset == o.rtpTsOffset;
    }
};

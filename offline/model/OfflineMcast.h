#pragma once
#include <QString>
#include <QVector>

/// One multicast transmit stream of the offline design: kept on its sending device and in the design's global
/// stream list at once.
struct OfflineMcast
{
    QString name;  ///< unique in the design; multicast routes refer to it
    QString dstIp; ///< destination address text ("239.69.0.1")
    int dstPort = 5004;
    int sampleRate = 48000;
    int chNum = 0;
    QString srcDevId;           ///< the sending device
    QVector<int> srcChannels;   ///< 0-based transmit channels of the sender, in stream order
    bool customAddress = false; ///< true when the user chose the address; false when it was assigned

    bool operator==(const OfflineMcast& o) const
    {
        return name == o.name && dstIp == o.dstIp && dstPort == o.dstPort && sampleRate == o.sampleRate &&
               chNum == o.chNum && srcDevId == o.srcDevId && srcChannels == o.srcChannels &&
               customAddress == o.customAddress;
    }
    bool operator!=(const OfflineMcast& o) const { return !(*this == o); }
};

#pragma once
#include "OfflineChannelData.h"
#include "OfflineDevListInfo.h"
#include "OfflineGpio.h"
#include "OfflineMcast.h"

#include <QString>
#include <QVector>

/// The settings of one offline device ("devDetail"). The defaults are the values a new device starts with and an
/// export writes for a group it leaves out.
struct OfflineDevDetail
{
    QString devId;
    QString devName;
    int sampleRate = 48000;
    double delayMs = 5;
    int ptpDscp = 46;
    int dscp = 34;
    int ptpPriority = 128;
    int sampleBitDepth = 24;
    int sampleByteNum = 3;
    double packetTime = 0.25; ///< milliseconds
    int pFrameNum = 12;
    int isFixIp = 0;
    QString ipAndMask; ///< "fixIpStr" members
    QString dns;
    QString gateway;
    QString xebIp;
    QString xeuIp;
    QString xServerStr;
    QString version;
    QString subVersion;
    QString model;
    QString devModel;
    QString oemModel;
    QString customType;
    int chNumRx = 0;
    int chNumTx = 0;
    int phyChNumRx = 0;
    int phyChNumTx = 0;
    int usbInNum = 0;
    int usbOutNum = 0;
    int canGpio = 0;
    OfflineDevListInfo devListInfo;
    QVector<OfflineGpio> gpioInfoList;
    OfflineChannelData channelData;
    QVector<OfflineMcast> mcastList; ///< the device's own transmit streams

    bool operator==(const OfflineDevDetail& o) const;
    bool operator!=(const OfflineDevDetail& o) const { return !(*this == o); }
};

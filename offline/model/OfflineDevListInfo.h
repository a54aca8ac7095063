#pragma once
#include <QString>
#include <QStringList>

/// What the device's type offers ("devListInfo"): channel counts, identity and the selectable rates and packet times.
struct OfflineDevListInfo
{
    int chNumRx = 0;
    int chNumTx = 0;
    int phyChNumRx = 0;
    int phyChNumTx = 0;
    int usbInNum = 0;
    int usbOutNum = 0;
    QString model;
    QString oemModel;
    QString iconUrl;
    QString version;
    QString type;
    QStringList sampleRateList;
    QStringList packetTimeList;

    bool operator==(const OfflineDevListInfo& o) const
    {
        return chNumRx == o.chNumRx && chNumTx == o.chNumTx && phyChNumRx == o.phyChNumRx &&
               phyChNumTx == o.phyChNumTx && usbInNum == o.usbInNum && usbOutNum == o.usbOutNum && model == o.model &&
               oemModel == o.oemModel && iconUrl == o.iconUrl && version == o.version && type == o.type &&
               sampleRateList == o.sampleRateList && packetTimeList == o.packetTimeList;
    }
};

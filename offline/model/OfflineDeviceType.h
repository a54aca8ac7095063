#pragma once
#include <QString>
#include <QStringList>

/// One device type of the catalogue, as its "config.dt" describes it: what a new offline device of the type
/// starts from. The catalogue fills it; the offline model makes devices of it.
struct OfflineDeviceType
{
    QString category; ///< the category's folder name
    QString dir;      ///< the type's folder inside the category folder
    QString iconPath; ///< the type's icon (PNG), empty when it has none
    QString devModel; ///< "devModel": the model text, as the model table knows it
    QString version;  ///< "version"
    QString oemModel; ///< "oemModel"
    QString chBrand;  ///< "chBrand"
    QString enBrand;  ///< "enBrand"
    QString chDescribe;
    QString enDescribe;
    int chNumRx = 0;
    int chNumTx = 0;
    int phyChNumRx = 0;
    int phyChNumTx = 0;
    int usbInNum = 0;
    int usbOutNum = 0;
    QStringList sampleRateList; ///< the rates the type offers (texts such as "48000")
    QStringList packetTimeList; ///< the packet times it offers (texts such as "0.25")
};

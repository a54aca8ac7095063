#pragma once
#include "OfflineMcast.h"
#include "OfflineMcastRoute.h"
#include "OfflineUcastRoute.h"

#include <QString>
#include <QStringList>
#include <QVector>

#include <cstdint>

class DevDetailStore;

/// What the registry and the detail store know of one online device, copied out under their locks so that a
/// worker thread can use it without touching either again. The archive's read-out starts from it and adds what
/// only the device's replies tell.
struct OnlineDeviceFacts
{
    QString devId;
    QString name;
    QString model;
    uint32_t ip = 0; ///< host order
    int port = 0;    ///< command port
    int chNumRx = 0;
    int chNumTx = 0;
    int phyChNumRx = 0;
    int phyChNumTx = 0;
    int sampleRate = 0;
    int sampleByteNum = 0;
    int pFrameNum = 0;
    int dscp = 0;
    int delayUs = 0;
    QString firmwareVersion;
    QString firmwareBuild;
    QString oemCode;
    QStringList sampleRates;    ///< as reported ("48000", ...)
    QStringList packetTimeDivs; ///< as reported
    QStringList rxChNames;
    QStringList txChNames;
    QStringList phyRxChNames;
    QStringList phyTxChNames;
    QVector<double> phyRxGains; ///< what the detail store holds; the read-out asks the device again
    QVector<double> phyTxGains;
    QVector<int> phyRxMutes;
    QVector<int> phyTxMutes;
    int ptpPriority = 0; ///< 0 when not yet known
    int ptpDscp = 0;
    int isFixedIp = 0;
    QString fixedIp; ///< "a.b.c.d" or "a.b.c.d/len", as the store holds it
    QString gateway;
    QString dns;
    uint32_t dspIp = 0;  ///< the processor's address: its own for models that have one, else the device's
    bool hasDsp = false; ///< the model table lists a processor with a TCP service (not the sound-card model)
    int usbInNum = 0;    ///< computer-link channels of the model, when the model table lists them
    int usbOutNum = 0;
    QVector<OfflineUcastRoute> ucastRoutes; ///< routes the device receives now, 0-based channels
    QVector<OfflineMcastRoute> mcastRoutes; ///< multicast receive routes now, with the stream's description
    QVector<OfflineMcast> txStreams;        ///< the device's multicast transmit streams now

    bool isEmpty() const { return devId.isEmpty(); }

    /// Every listed device (or only those named in `devIds`, in that order; unknown ones are left out), read
    /// from `store` and the live registry under their locks. Callable from any thread.
    static QVector<OnlineDeviceFacts> collect(const DevDetailStore& store, const QStringList& devIds = QStringList());
};

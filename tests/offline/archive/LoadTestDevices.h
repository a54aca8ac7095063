#pragma once
#include "OfflineDevice.h"
#include "OnlineDeviceFacts.h"

#include <QJsonArray>
#include <QJsonObject>

/// Small devices for the load tests: an archive device and the facts of an online device of the same shape.
namespace LoadTestDevices {

inline OfflineDevice archive(const QString& devId, const QString& model = QStringLiteral("M-8"), int rx = 4, int tx = 4,
                             int phyRx = 2, int phyTx = 2)
{
    OfflineDevice dev;
    OfflineDevDetail& d = dev.detail();
    d.devId = devId;
    d.devName = QStringLiteral("name-") + devId;
    d.model = model;
    d.chNumRx = rx;
    d.chNumTx = tx;
    d.phyChNumRx = phyRx;
    d.phyChNumTx = phyTx;
    OfflineChannelData& c = d.channelData;
    for (int i = 0; i < rx; ++i)
        c.rxChNameList << QStringLiteral("NetIn%1").arg(i + 1);
    for (int i = 0; i < tx; ++i)
        c.txChNameList << QStringLiteral("NetOut%1").arg(i + 1);
    for (int i = 0; i < phyRx; ++i)
        c.phyRxChNameList << QStringLiteral("AnalogIn%1").arg(i + 1);
    for (int i = 0; i < phyTx; ++i)
        c.phyTxChNameList << QStringLiteral("AnalogOut%1").arg(i + 1);
    c.rxPhyGainList.fill(0.0, phyRx);
    c.txPhyGainList.fill(0.0, phyTx);
    c.rxPhyMuteArray.fill(0, phyRx);
    c.txPhyMuteArray.fill(0, phyTx);
    return dev;
}

inline OnlineDeviceFacts facts(const QString& devId, const QString& model = QStringLiteral("M-8"), int rx = 4,
                               int tx = 4, int phyRx = 2, int phyTx = 2)
{
    OnlineDeviceFacts f;
    f.devId = devId;
    f.name = QStringLiteral("online-") + devId;
    f.model = model;
    f.ip = (192u << 24) | (168u << 16) | (1u << 8) | uint32_t(qHash(devId) % 200 + 10);
    f.port = 9990;
    f.chNumRx = rx;
    f.chNumTx = tx;
    f.phyChNumRx = phyRx;
    f.phyChNumTx = phyTx;
    f.sampleRate = 48000;
    f.sampleByteNum = 3;
    f.pFrameNum = 12;
    f.dscp = 34;
    f.delayUs = 5000;
    return f;
}

/// True when every scalar of `o` (nested objects and arrays too) is text, as devices expect.
inline bool allText(const QJsonValue& v)
{
    if (v.isObject()) {
        const QJsonObject o = v.toObject();
        for (auto it = o.begin(); it != o.end(); ++it)
            if (!allText(it.value()))
                return false;
        return true;
    }
    if (v.isArray()) {
        for (const QJsonValue& e : v.toArray())
            if (!allText(e))
                return false;
        return true;
    }
    return v.isString();
}

} // namespace LoadTestDevices

#pragma once
#include "CDeviceDspData.h"
#include "DspDefaultConfig.h"
#include "OfflineData.h"
#include "OfflineDeviceType.h"

/// Designs for the tests of the offline model: every kind of content a design can hold.
namespace OfflineTestDesign {

inline OfflineDeviceType type(const QString& model, int rx = 8, int tx = 8, int phyRx = 4, int phyTx = 4)
{
    OfflineDeviceType t;
    t.category = QStringLiteral("stagebox");
    t.dir = model;
    t.devModel = model;
    t.version = QStringLiteral("3.2.1");
    t.oemModel = model + QStringLiteral("-OEM");
    t.chNumRx = rx;
    t.chNumTx = tx;
    t.phyChNumRx = phyRx;
    t.phyChNumTx = phyTx;
    t.sampleRateList = QStringList{QStringLiteral("44100"), QStringLiteral("48000"), QStringLiteral("96000")};
    t.packetTimeList = QStringList{QStringLiteral("0.125"), QStringLiteral("0.25"), QStringLiteral("1")};
    return t;
}

/// Models cycling through processor and plain devices.
inline QString modelOf(int i)
{
    static const char* const models[] = {"MRD-P64", "MRD-A16", "MRD-M8", "MRA-4"};
    return QLatin1String(models[i % 4]);
}

/// `count` devices with non-default settings everywhere, unicast routes from each device to the next, one stream
/// per device received by the next device, and two processor configurations on processor models.
inline void build(OfflineData& data, int count, int channels = 8)
{
    for (int i = 0; i < count; ++i) {
        const QString model = modelOf(i);
        auto dev = OfflineDevice::fromType(type(model, channels, channels, channels / 2, channels / 2),
                                           data.newDeviceId(model), QStringLiteral("台 \"%1\" \\ stage").arg(i));
        OfflineDevDetail& d = dev->detail();
        d.sampleRate = 96000;
        d.delayMs = 2.5;
        d.ptpDscp = 40 + i % 8;
        d.dscp = 26;
        d.ptpPriority = 100 + i % 50;
        d.sampleBitDepth = 32;
        d.sampleByteNum = 4;
        d.packetTime = 1;
        d.pFrameNum = 48;
        d.isFixIp = 1;
        d.ipAndMask = QStringLiteral("192.168.1.%1/24").arg(i % 250 + 1);
        d.dns = QStringLiteral("192.168.1.254");
        d.gateway = QStringLiteral("192.168.1.1");
        d.xebIp = QStringLiteral("10.0.0.%1").arg(i % 250);
        d.xServerStr = QStringLiteral("srv");
        d.subVersion = QStringLiteral("b%1").arg(i);
        d.customType = QStringLiteral("custom");
        d.canGpio = 1;
        d.gpioInfoList.append(OfflineGpio{1, 1, 2, QStringLiteral("cmd %1").arg(i), 1, 3, 4, 5, 2, 7, 1});
        OfflineChannelData& c = d.channelData;
        c.rxChNameList[0] = QStringLiteral("话筒 %1").arg(i);
        c.txChNameList.last() = QStringLiteral("Out \"last\"");
        for (int k = 0; k < c.rxPhyGainList.size(); ++k)
            c.rxPhyGainList[k] = -0.5 * (k + i % 7);
        c.txPhyGainList[0] = 6;
        c.rxPhyMuteArray[0] = 1;
        c.txPhyMuteArray.last() = 1;
        if (dev->hasDsp()) {
            auto second = std::make_unique<CDeviceDspData>();
            second->parse(DspDefaultConfig::reply(2, 3, 96000), QString(), true);
            dev->addDspConfig(QStringLiteral("Show %1").arg(i), std::move(second));
            dev->setDspCurrentId(1);
        }
        data.addDevice(std::move(dev));
    }
    const QStringList ids = data.deviceIds();
    for (int i = 0; i < ids.size(); ++i) {
        OfflineMcast m;
        m.name = QStringLiteral("S%1").arg(i);
        m.dstIp = QStringLiteral("239.69.%1.%2").arg(i / 250).arg(i % 250 + 1);
        m.dstPort = 5004;
        m.sampleRate = 96000;
        m.chNum = 2;
        m.srcDevId = ids[i];
        m.srcChannels = QVector<int>{0, 1};
        m.customAddress = i % 2 == 0;
        data.addMcast(m);
        if (ids.size() < 2)
            continue;
        const QString next = ids[(i + 1) % ids.size()];
        data.addRoute(next, OfflineUcastRoute{ids[i], 1, 2});
        data.updateDevice(next, [&](OfflineDevice& dev) {
            dev.mcastRoutes().append(OfflineMcastRoute{m.name, ids[i], 1, 3, QStringLiteral("192.168.1.9"), m.dstIp,
                                                       5004, 2, 4, 4294967295LL});
        });
    }
    data.setGuiVersion(QStringLiteral("3.0.7"));
}

} // namespace OfflineTestDesign

#include "ArchiveDiff.h"
#include "CDeviceDspData.h"
#include "LoadTestDevices.h"

#include <gtest/gtest.h>

#include <functional>

using namespace LoadTestDevices;

namespace {

OfflineDevice withRoutesAndStreams(const QString& devId)
{
    OfflineDevice d = archive(devId);
    d.ucastRoutes().append(OfflineUcastRoute{QStringLiteral("S"), 1, 0});
    OfflineMcast s;
    s.name = QStringLiteral("Stage-1");
    s.dstIp = QStringLiteral("239.69.1.2");
    s.srcDevId = devId;
    s.srcChannels = {0, 1};
    s.chNum = 2;
    d.detail().mcastList.append(s);
    OfflineMcastRoute r;
    r.mcastName = QStringLiteral("Band");
    r.srcChId = 1;
    r.dstChId = 2;
    d.mcastRoutes().append(r);
    return d;
}

} // namespace

TEST(ArchiveDiff, EachChangedValueIsListedOnceUnderItsCategoryAndOnlyWhenChosen)
{
    using C = ArchiveCategory;
    struct Case
    {
        const char* what;
        C category;
        std::function<void(OfflineDevice&)> edit;
        QString online;
        QString archive;
    };
    const Case cases[] = {
        {"gpio 1", C::DeviceInfo, [](OfflineDevice& d) { d.detail().gpioInfoList[0].programId = 3; }, {}, {}},
        {"devName", C::DeviceName, [](OfflineDevice& d) { d.detail().devName = "Hall"; }, "name-A", "Hall"},
        {"rxChName 3", C::ChannelNames, [](OfflineDevice& d) { d.detail().channelData.rxChNameList[2] = "Vox"; },
         "NetIn3", "Vox"},
        {"phyTxChName 2", C::ChannelNames, [](OfflineDevice& d) { d.detail().channelData.phyTxChNameList[1] = "Sub"; },
         "AnalogOut2", "Sub"},
        {"phyGainRx 2", C::ChannelGains, [](OfflineDevice& d) { d.detail().channelData.rxPhyGainList[1] = -6.5; }, "0",
         "-6.5"},
        {"phyGainTx 1", C::ChannelGains, [](OfflineDevice& d) { d.detail().channelData.txPhyGainList[0] = -90; }, "0",
         "-60"},
        {"phyMuteTx 2", C::ChannelGains, [](OfflineDevice& d) { d.detail().channelData.txPhyMuteArray[1] = 1; }, "0",
         "1"},
        {"sampleRate", C::DeviceParams, [](OfflineDevice& d) { d.detail().sampleRate = 96000; }, "48000", "96000"},
        {"packetTime", C::DeviceParams, [](OfflineDevice& d) { d.detail().packetTime = 1; }, "0.25", "1"},
        {"sampleByteNum", C::SampleDepth, [](OfflineDevice& d) { d.detail().sampleByteNum = 4; }, "3", "4"},
        {"delayUs", C::NetworkDelay, [](OfflineDevice& d) { d.detail().delayMs = 2.5; }, "5000", "2500"},
        {"ptpPriority", C::PtpPriority, [](OfflineDevice& d) { d.detail().ptpPriority = 10; }, "128", "10"},
        {"ptpDscp", C::PtpDscp, [](OfflineDevice& d) { d.detail().ptpDscp = 40; }, "46", "40"},
        {"dscp", C::StreamDscp, [](OfflineDevice& d) { d.detail().dscp = 46; }, "34", "46"},
        {"fixedIp", C::IpAddress, [](OfflineDevice& d) { d.detail().isFixIp = 0; }, "1", "0"},
        {"gateway", C::IpAddress, [](OfflineDevice& d) { d.detail().gateway = "10.0.0.254"; }, "10.0.0.1",
         "10.0.0.254"},
        {"ucastRoute 1", C::RouteConfig, [](OfflineDevice& d) { d.ucastRoutes()[0].srcChId = 3; }, "S:2", "S:4"},
        {"ucastRoute 4", C::RouteConfig,
         [](OfflineDevice& d) {
             d.ucastRoutes().append(OfflineUcastRoute{"T", 0, 3});
         },
         "", "T:1"},
        {"stream Stage-1", C::RouteConfig, [](OfflineDevice& d) { d.detail().mcastList[0].dstPort = 5006; },
         "239.69.1.2:5004 [1,2]", "239.69.1.2:5006 [1,2]"},
        {"stream Stage-1", C::RouteConfig, [](OfflineDevice& d) { d.detail().mcastList.clear(); },
         "239.69.1.2:5004 [1,2]", ""},
        {"mcastRoute 3", C::DeviceRoutes, [](OfflineDevice& d) { d.mcastRoutes()[0].mcastName = "Choir"; }, "Band:2",
         "Choir:2"},
    };
    OfflineDevice online = withRoutesAndStreams(QStringLiteral("A"));
    online.detail().gpioInfoList.append(OfflineGpio());
    online.detail().isFixIp = 1;
    online.detail().ipAndMask = QStringLiteral("10.0.0.9/24");
    online.detail().gateway = QStringLiteral("10.0.0.1");

    // The same device has no change in any category.
    EXPECT_TRUE(ArchiveDiff::compare(online, online, ArchiveCategories::all()).isEmpty());

    for (const Case& c : cases) {
        OfflineDevice arch = online;
        c.edit(arch);
        const QVector<ArchiveChange> changes = ArchiveDiff::compare(arch, online, ArchiveCategories::all());
        ASSERT_EQ(changes.size(), 1) << c.what;
        EXPECT_EQ(changes[0].category, c.category) << c.what;
        EXPECT_EQ(changes[0].what, QLatin1String(c.what));
        if (!c.online.isNull() || !c.archive.isNull()) {
            EXPECT_EQ(changes[0].online, c.online) << c.what;
            EXPECT_EQ(changes[0].archive, c.archive) << c.what;
        }
        EXPECT_TRUE(ArchiveDiff::changedCategories(changes).has(c.category)) << c.what;

        ArchiveCategories others = ArchiveCategories::all();
        others.set(c.category, false);
        EXPECT_TRUE(ArchiveDiff::compare(arch, online, others).isEmpty()) << c.what << " (category not chosen)";
    }
}

TEST(ArchiveDiff, EqualSettingsWrittenDifferentlyAreNoChange)
{
    OfflineDevice online = archive(QStringLiteral("X"));
    online.detail().channelData.rxPhyGainList[0] = -60;
    online.ucastRoutes().append(OfflineUcastRoute{QStringLiteral("Y"), 0, 1});

    OfflineDevice arch = archive(QStringLiteral("A"));
    arch.detail().devName = online.name();
    arch.detail().channelData.rxPhyGainList[0] = -75;  // stored below the floor: loads as -60
    arch.detail().channelData.txPhyGainList[0] = 0.01; // closer than a tenth of a dB
    arch.detail().channelData.rxPhyMuteArray[1] = 0;
    arch.detail().isFixIp = 0; // automatic: the rest of the address does not count
    arch.detail().ipAndMask = QStringLiteral("10.1.1.1/16");
    arch.ucastRoutes().append(OfflineUcastRoute{QStringLiteral("B"), 0, 1});  // B is loaded onto Y
    arch.ucastRoutes().append(OfflineUcastRoute{QStringLiteral("B"), 0, 99}); // beyond the channels: ignored

    const QHash<QString, QString> onlineIdOf{{QStringLiteral("A"), QStringLiteral("X")},
                                             {QStringLiteral("B"), QStringLiteral("Y")}};
    const QVector<ArchiveChange> changes = ArchiveDiff::compare(arch, online, ArchiveCategories::all(), onlineIdOf);
    EXPECT_TRUE(changes.isEmpty()) << ArchiveDiff::lines(changes, false).join('\n').toStdString();
}

TEST(ArchiveDiff, WithoutAReadOutEverythingChosenIsAChangeButNothingIsCleared)
{
    OfflineDevice arch = withRoutesAndStreams(QStringLiteral("A"));
    ArchiveCategories routes = ArchiveCategories::none();
    routes.set(ArchiveCategory::RouteConfig, true);
    routes.set(ArchiveCategory::DeviceName, true);
    const QVector<ArchiveChange> changes = ArchiveDiff::compare(arch, nullptr, routes);
    QStringList whats;
    for (const ArchiveChange& c : changes) {
        whats << c.what;
        EXPECT_FALSE(c.archive.isEmpty()) << c.what.toStdString();
    }
    EXPECT_EQ(whats, QStringList({"devName", "ucastRoute 1", "stream Stage-1"}));
}

TEST(ArchiveDiff, ProcessorConfigurationIsOneChangeAndProgramsAreListedByName)
{
    OfflineDevice online = archive(QStringLiteral("A"));
    online.addDspConfig(QStringLiteral("curConfig"), std::make_unique<CDeviceDspData>());
    OfflineDevice arch = online;
    ArchiveCategories params = ArchiveCategories::none();
    params.set(ArchiveCategory::DeviceParams, true);
    EXPECT_TRUE(ArchiveDiff::compare(arch, online, params).isEmpty());

    arch.dspConfigs()[0].data->setSampleRate(96000);
    arch.addDspConfig(QStringLiteral("Evening"), std::make_unique<CDeviceDspData>());
    const QVector<ArchiveChange> changes = ArchiveDiff::compare(arch, online, params);
    ASSERT_EQ(changes.size(), 2);
    EXPECT_EQ(changes[0].what, QStringLiteral("dsp curConfig"));
    EXPECT_NE(changes[0].online, changes[0].archive);
    EXPECT_LT(changes[0].archive.size(), 40) << "a label, not the configuration text";
    EXPECT_EQ(changes[1].what, QStringLiteral("dspProgram Evening"));
}

TEST(ArchiveDiff, LinesNameCategoryAndValueInTheChosenLanguage)
{
    struct Case
    {
        ArchiveCategory category;
        const char* key;
        int index;
        const char* name;
        const char* online;
        const char* archive;
        const char* zh;
        const char* en;
    };
    const Case cases[] = {
        {ArchiveCategory::DeviceName, "devName", -1, "", "Old", "New", "  设备名称: 设备名: Old -> New",
         "  Device name: Name: Old -> New"},
        {ArchiveCategory::ChannelNames, "phyRxChName", 2, "", "Mic", "AnalogIn3",
         "  通道名称: 模拟输入 3 名称: Mic -> AnalogIn3", "  Channel names: Analog in 3 name: Mic -> AnalogIn3"},
        {ArchiveCategory::RouteConfig, "stream", -1, "Stage-1", "", "239.69.0.1:5004",
         "  路由配置: 组播流 Stage-1: - -> 239.69.0.1:5004",
         "  Route configuration: Stream Stage-1: - -> 239.69.0.1:5004"},
        {ArchiveCategory::DeviceInfo, "unknownKey 4", -1, "", "a", "b", "  设备信息: unknownKey 4: a -> b",
         "  Device information: unknownKey 4: a -> b"},
    };
    for (const Case& k : cases) {
        ArchiveChange c;
        c.category = k.category;
        c.key = QString::fromUtf8(k.key).section(' ', 0, 0);
        c.what = QString::fromUtf8(k.key);
        c.index = k.index;
        c.name = QString::fromUtf8(k.name);
        c.online = QString::fromUtf8(k.online);
        c.archive = QString::fromUtf8(k.archive);
        EXPECT_EQ(ArchiveDiff::lines({c}, true), QStringList({QString::fromUtf8(k.zh)})) << k.key;
        EXPECT_EQ(ArchiveDiff::lines({c}, false), QStringList({QString::fromUtf8(k.en)})) << k.key;
    }
}

#include "OnlineDeviceReader.h"
#include "CDeviceDspData.h"
#include "DspDefaultConfig.h"
#include "ScriptedTransport.h"

#include <QJsonArray>
#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace {

using Sent = ScriptedTransport::Sent;

OnlineDeviceFacts facts(bool dsp)
{
    OnlineDeviceFacts f;
    f.devId = dsp ? QStringLiteral("P64-1") : QStringLiteral("A16-1");
    f.name = dsp ? QStringLiteral("Proc") : QStringLiteral("Stage");
    f.model = dsp ? QStringLiteral("MRD-P64") : QStringLiteral("MRD-A16");
    f.ip = 0x0A000005;
    f.port = 8000;
    f.chNumRx = 2;
    f.chNumTx = 2;
    f.phyChNumRx = 3;
    f.phyChNumTx = 2;
    f.sampleRate = 96000;
    f.sampleByteNum = 4;
    f.pFrameNum = 48;
    f.delayUs = 2000;
    f.hasDsp = dsp;
    f.phyRxGains = {1, 2, 3};
    return f;
}

/// A device that answers every read-out request; `gains` and `mutes` answer the pages by "idStart".
QJsonObject healthy(const Sent& s)
{
    const QString ops = s.ops();
    const QJsonObject req = s.json();
    if (ops == QLatin1String("getIp"))
        return ScriptedTransport::succ(s, {{"fixedIp", "1"},
                                           {"ip", "192.168.1.20"},
                                           {"mask", "255.255.255.0"},
                                           {"gw", "192.168.1.1"},
                                           {"dns", "8.8.8.8"}});
    if (ops == QLatin1String("getVersion") && !s.tcp)
        return ScriptedTransport::succ(s, {{"ptpDscp", "40"}, {"ptpPriority", "100"}});
    if (ops.startsWith(QLatin1String("getAllPhyGainDb")))
        return ScriptedTransport::succ(s, {{"arr", QJsonArray{"-3", "-inf", "2.5"}}});
    if (ops.startsWith(QLatin1String("getAllPhyMute")))
        return ScriptedTransport::succ(s, {{"arr", QJsonArray{"1", "0", "1"}}});
    if (ops == QLatin1String("getInfo"))
        return ScriptedTransport::succ(s, {{"gainArr", QJsonArray{"0"}}, {"powerArr", QJsonArray{"0"}}});
    if (ops == QLatin1String("getVersion"))
        return ScriptedTransport::succ(s, {{"chNumIn", "7"}, {"chNumOut", "4"}, {"model", "P64"}});
    if (ops == QLatin1String("getConfigNameArr"))
        return ScriptedTransport::succ(s, {{"nameArr", QJsonArray{"Show", "Speech", "Music"}}});
    if (ops == QLatin1String("getDefaultFile"))
        return ScriptedTransport::succ(s, {{"name", "Speech"}});
    if (ops == QLatin1String("getConfig")) {
        QJsonObject r = QJsonDocument::fromJson(DspDefaultConfig::reply(5, 4, 96000).toUtf8()).object();
        return ScriptedTransport::succ(s, {{"config", r.value(QStringLiteral("config"))}});
    }
    Q_UNUSED(req);
    return {};
}

struct OrderCase
{
    const char* name;
    bool dsp;
    QStringList ops;
    std::vector<int> ports;
};

class ReaderOrderTest : public ::testing::TestWithParam<OrderCase>
{
};

TEST_P(ReaderOrderTest, AsksEveryStepInOrderOnItsPort)
{
    const OrderCase& c = GetParam();
    ScriptedTransport t;
    t.answer = healthy;
    QStringList texts;
    int signalled = 0;
    OnlineDeviceReader reader(t);
    const OnlineDeviceReader::Result r = reader.read(
        facts(c.dsp), nullptr, [&](const QString& s) { texts << s; }, [&] { ++signalled; });

    EXPECT_EQ(t.opsSent(), c.ops);
    std::vector<int> ports;
    for (const Sent& s : t.sent()) {
        ports.push_back(s.port);
        EXPECT_EQ(s.ip, 0x0A000005u);
        EXPECT_EQ(s.json().value(QStringLiteral("devId")).toString(), facts(c.dsp).devId);
        if (s.tcp) {
            EXPECT_TRUE(s.request.startsWith(QStringLiteral("{\"devId\":\""))) << s.request.toStdString();
            EXPECT_EQ(s.json().value(QStringLiteral("uiTag")).toString(), QStringLiteral("dspUiTag"));
        }
    }
    EXPECT_EQ(ports, c.ports);
    EXPECT_EQ(r.requests, c.ops.size());
    EXPECT_EQ(signalled, c.ops.size());
    EXPECT_EQ(r.failedSteps, 0) << r.failures.join('\n').toStdString();
    EXPECT_TRUE(r.anyAnswer);
    EXPECT_EQ(texts.first(), QStringLiteral("%1 获取IP成功").arg(facts(c.dsp).name));

    const OfflineDevDetail& d = r.device.detail();
    EXPECT_EQ(d.isFixIp, 1);
    EXPECT_EQ(d.ipAndMask, QStringLiteral("192.168.1.20/24"));
    EXPECT_EQ(d.gateway, QStringLiteral("192.168.1.1"));
    EXPECT_EQ(d.ptpDscp, 40);
    EXPECT_EQ(d.ptpPriority, 100);
    EXPECT_EQ(d.channelData.rxPhyGainList, (QVector<double>{-3, -60, 2.5}));
    EXPECT_EQ(d.channelData.txPhyGainList, (QVector<double>{-3, -60})); // never more than the channels
    EXPECT_EQ(d.channelData.rxPhyMuteArray, (QVector<int>{1, 0, 1}));
    EXPECT_DOUBLE_EQ(d.delayMs, 2.0);
    EXPECT_DOUBLE_EQ(d.packetTime, 0.5);
    EXPECT_EQ(d.sampleBitDepth, 32);
    if (c.dsp) {
        ASSERT_EQ(r.device.dspConfigs().size(), 1u);
        EXPECT_EQ(r.device.dspConfigs()[0].name, QStringLiteral("curConfig"));
        EXPECT_EQ(r.device.dspCurrentId(), 1);
        EXPECT_EQ(d.usbInNum, 2); // 7 processor inputs less 3 physical and 2 network ones
        EXPECT_EQ(d.usbOutNum, 0);
        EXPECT_EQ(texts.last(), QStringLiteral("Proc 设置当前dsp配置成功"));
    } else {
        EXPECT_TRUE(r.device.dspConfigs().empty());
    }
}

const QStringList kUdpOps{"getIp",           "getVersion", "getAllPhyGainDbRx", "getAllPhyGainDbTx", "getAllPhyMuteRx",
                          "getAllPhyMuteTx", "getInfo"};
const std::vector<int> kUdpPorts{9994, 9994, 8000, 8000, 8000, 8000, 9992};

INSTANTIATE_TEST_SUITE_P(Devices, ReaderOrderTest,
                         ::testing::Values(OrderCase{"plain", false, kUdpOps, kUdpPorts},
                                           OrderCase{"processor", true,
                                                     kUdpOps + QStringList{"getVersion", "getConfigNameArr",
                                                                           "getDefaultFile", "getConfig"},
                                                     [] {
                                                         std::vector<int> p = kUdpPorts;
                                                         p.insert(p.end(), {8999, 8999, 8999, 8999});
                                                         return p;
                                                     }()}),
                         [](const ::testing::TestParamInfo<OrderCase>& i) { return std::string(i.param.name); });

/// One paged list as a device answers it: page replies by "idStart".
struct PagingCase
{
    const char* name;
    std::map<int, QJsonObject> pages; ///< idStart -> reply members ("arr", "idNext")
    std::vector<int> asked;           ///< idStart values expected
    QVector<double> gains;            ///< receive gains stored (3 channels; the store held 1, 2, 3)
    bool ok;
};

class ReaderPagingTest : public ::testing::TestWithParam<PagingCase>
{
};

TEST_P(ReaderPagingTest, ReadsPagesBoundedByTheChannelCount)
{
    const PagingCase& c = GetParam();
    OnlineDeviceFacts f = facts(false);
    f.phyChNumRx = 3;
    f.phyChNumTx = 0; // only the receive side is asked
    ScriptedTransport t;
    t.answer = [&](const Sent& s) -> QJsonObject {
        if (s.ops() != QLatin1String("getAllPhyGainDbRx"))
            return healthy(s);
        const auto it = c.pages.find(s.json().value(QStringLiteral("idStart")).toString().toInt());
        return it == c.pages.end() ? QJsonObject() : ScriptedTransport::succ(s, it->second);
    };
    OnlineDeviceReader reader(t);
    const OnlineDeviceReader::Result r = reader.read(f);
    std::vector<int> asked;
    for (const Sent& s : t.sent())
        if (s.ops() == QLatin1String("getAllPhyGainDbRx"))
            asked.push_back(s.json().value(QStringLiteral("idStart")).toString().toInt());
    EXPECT_EQ(asked, c.asked);
    EXPECT_EQ(r.device.detail().channelData.rxPhyGainList, c.gains);
    EXPECT_EQ(r.failures.filter(QStringLiteral("获取增益失败")).size(), c.ok ? 0 : 1)
        << r.failures.join('\n').toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Pages, ReaderPagingTest,
    ::testing::Values(
        PagingCase{"threePagesWithFloor",
                   {{0, {{"arr", QJsonArray{"-inf"}}, {"idNext", "1"}}},
                    {1, {{"arr", QJsonArray{"-75"}}, {"idNext", "2"}}},
                    {2, {{"arr", QJsonArray{"4.5"}}}}},
                   {0, 1, 2},
                   {-60, -60, 4.5},
                   true},
        PagingCase{
            "nextAtTheCountEnds", {{0, {{"arr", QJsonArray{"1", "2", "3"}}, {"idNext", "3"}}}}, {0}, {1, 2, 3}, true},
        PagingCase{
            "nextNotBeyondThePageEnds", {{0, {{"arr", QJsonArray{"-1"}}, {"idNext", "0"}}}}, {0}, {-1, 2, 3}, true},
        PagingCase{"moreEntriesThanChannelsAreDropped",
                   {{0, {{"arr", QJsonArray{"1", "2", "3", "4", "5"}}}}},
                   {0},
                   {1, 2, 3},
                   true},
        PagingCase{"unreadableValueFailsAndKeepsTheStore",
                   {{0, {{"arr", QJsonArray{"-7", "loud"}}, {"idNext", "2"}}}},
                   {0},
                   {-7, 2, 3},
                   false},
        PagingCase{"missingPageFailsAndKeepsWhatCame",
                   {{0, {{"arr", QJsonArray{"-5"}}, {"idNext", "1"}}}},
                   {0, 1},
                   {-5, 2, 3},
                   false}),
    [](const ::testing::TestParamInfo<PagingCase>& i) { return std::string(i.param.name); });

TEST(OnlineDeviceReader, AKeptPagingDeviceIsBoundedByMaxPages)
{
    OnlineDeviceFacts f = facts(false);
    f.phyChNumRx = OfflineDevice::MaxChannels;
    ScriptedTransport t;
    // Every page gives nothing and points one further: the channel count bounds it first, MaxPages at the latest.
    t.answer = [](const Sent& s) -> QJsonObject {
        if (s.ops() != QLatin1String("getAllPhyGainDbRx"))
            return healthy(s);
        const int start = s.json().value(QStringLiteral("idStart")).toString().toInt();
        return ScriptedTransport::succ(s, {{"arr", QJsonArray{}}, {"idNext", QString::number(start + 1)}});
    };
    OnlineDeviceReader reader(t);
    reader.read(f);
    EXPECT_EQ(t.opsSent().count(QStringLiteral("getAllPhyGainDbRx")), OnlineDeviceReader::MaxPages);
}

struct SilenceCase
{
    const char* name;
    bool dsp;
    QStringList unanswered; ///< ops that get no reply ("*" for all)
    QStringList failed;     ///< failure texts expected, after the device name
    int requests;
    bool anyAnswer;
};

class ReaderSilenceTest : public ::testing::TestWithParam<SilenceCase>
{
};

TEST_P(ReaderSilenceTest, ReportsAFailedStepAndGoesOn)
{
    const SilenceCase& c = GetParam();
    ScriptedTransport t;
    t.answer = [&](const Sent& s) -> QJsonObject {
        if (c.unanswered.contains(QStringLiteral("*")) || c.unanswered.contains(s.ops()))
            return {};
        return healthy(s);
    };
    OnlineDeviceReader reader(t);
    const OnlineDeviceFacts f = facts(c.dsp);
    const OnlineDeviceReader::Result r = reader.read(f);
    ASSERT_EQ(r.failures.size(), c.failed.size()) << r.failures.join('\n').toStdString();
    for (int i = 0; i < c.failed.size(); ++i)
        EXPECT_TRUE(r.failures.at(i).startsWith(f.name + c.failed.at(i))) << r.failures.at(i).toStdString();
    EXPECT_EQ(r.failedSteps, c.failed.size());
    EXPECT_EQ(r.requests, c.requests);
    EXPECT_EQ(r.anyAnswer, c.anyAnswer);
}

INSTANTIATE_TEST_SUITE_P(
    Silences, ReaderSilenceTest,
    ::testing::Values(SilenceCase{"addressOnly", false, {"getIp"}, {" ：获取Ip失败:{\"devId\""}, 7, true},
                      SilenceCase{"muteTransmitSide", false, {"getAllPhyMuteTx"}, {" ：获取静音失败:"}, 7, true},
                      SilenceCase{"programList", true, {"getConfigNameArr"}, {" ：获取dsp配置失败:"}, 11, true},
                      SilenceCase{"currentConfiguration", true, {"getConfig"}, {"  ：获取当前配置失败:"}, 11, true},
                      SilenceCase{"plainDeviceSilent",
                                  false,
                                  {"*"},
                                  {" ：获取Ip失败:", " ：获取ptp dscp,流dscp失败:", " ：获取增益失败:",
                                   " ：获取静音失败:", " ：获取通道增益和幻象电源失败:"},
                                  5,
                                  false},
                      // Without the processor link its later steps are not tried.
                      SilenceCase{
                          "processorSilent",
                          true,
                          {"*"},
                          {" ：获取Ip失败:", " ：获取ptp dscp,流dscp失败:", " ：获取增益失败:", " ：获取静音失败:",
                           " ：获取通道增益和幻象电源失败:", " ：tcp连接失败，dsp配置导出失败 ip = 10.0.0.5"},
                          6,
                          false}),
    [](const ::testing::TestParamInfo<SilenceCase>& i) { return std::string(i.param.name); });

TEST(OnlineDeviceReader, ARefusalFailsOnlyItsStepWithTheReply)
{
    struct Case
    {
        bool tcp;
        const char* failure;
        int requests;
    };
    for (const Case& c : {Case{false, "获取ptp dscp,流dscp失败", 11}, Case{true, "tcp连接失败，dsp配置导出失败", 11}}) {
        ScriptedTransport t;
        t.answer = [&](const Sent& s) -> QJsonObject {
            if (s.ops() == QLatin1String("getVersion") && s.tcp == c.tcp)
                return QJsonObject{{"ops", "getVersion"}, {"result", "fail"}, {"reason", "busy"}};
            return healthy(s);
        };
        OnlineDeviceReader reader(t);
        const OnlineDeviceReader::Result r = reader.read(facts(true));
        ASSERT_EQ(r.failures.size(), 1) << c.failure;
        EXPECT_TRUE(r.failures.first().contains(QString::fromUtf8(c.failure))) << r.failures.first().toStdString();
        EXPECT_TRUE(r.failures.first().contains(QStringLiteral("busy")));
        EXPECT_EQ(r.requests, c.requests);
        EXPECT_EQ(r.device.detail().ptpDscp, c.tcp ? 40 : 46); // a refused step leaves the default
    }
}

TEST(OnlineDeviceReader, ProcessorChannelCountsAreBoundedBeforeTheyAreSubtracted)
{
    // Extra (USB) channels are the processor's counts less the device's own: INT_MIN would overflow.
    ScriptedTransport t;
    t.answer = [](const Sent& s) -> QJsonObject {
        if (s.ops() == QLatin1String("getVersion") && s.tcp)
            return ScriptedTransport::succ(s, {{"chNumIn", "-2147483648"}, {"chNumOut", "2147483647"}});
        return healthy(s);
    };
    OnlineDeviceReader reader(t);
    const OnlineDeviceReader::Result r = reader.read(facts(true));
    EXPECT_EQ(r.device.detail().usbInNum, 0);
    EXPECT_GE(r.device.detail().usbOutNum, 0);
    EXPECT_LE(r.device.detail().usbOutNum, DspInfo::kMaxChannels);
}

TEST(OnlineDeviceReader, CancelStopsBetweenRequests)
{
    ScriptedTransport t;
    t.answer = healthy;
    std::atomic_bool cancel{false};
    int sent = 0;
    OnlineDeviceReader reader(t);
    const OnlineDeviceReader::Result r = reader.read(facts(true), &cancel, {}, [&] {
        if (++sent == 3)
            cancel = true;
    });
    EXPECT_EQ(t.sent().size(), 3);
    EXPECT_EQ(r.requests, 3);
    EXPECT_EQ(r.device.devId(), QStringLiteral("P64-1"));
}

} // namespace

// The widget-free rules of a device's test page: the audio configuration text, the GPIO object and its file,
// the factory-service requests, and the factory flag that lists expansion modules.
#include "AudioCfgText.h"
#include "DevDetailStore.h"
#include "DevManager.h"
#include "DeviceListing.h"
#include "FactoryAccess.h"
#include "GpioInfo.h"
#include "ModelTable.h"
#include "SaltedCode.h"
#include "ServiceRequests.h"
#include "StoreTestSupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <gtest/gtest.h>

namespace {

// ---- Audio configuration text ------------------------------------------------------------------------------

TEST(AudioCfgText, KeepsUnknownLinesAndOrderAcrossAnEdit)
{
    AudioCfgText::Lines lines;
    QString error;
    ASSERT_TRUE(
        AudioCfgText::parse("chNum_dspFromNet=8\r\nmodel=MRD-A16\n\nbare line\nsampleRate = 48000\n", &lines, &error));
    EXPECT_EQ(lines.value("sampleRate"), "48000") << "blanks around key and value are not part of them";
    EXPECT_TRUE(lines.value("fmtType").isNull()) << "a key the text lacks";
    EXPECT_TRUE(lines.value("bare line").isNull()) << "a line without '=' is no key";
    lines.set("sampleRate", "96000");
    lines.set("mclk", "24576000");
    EXPECT_EQ(lines.text(), "chNum_dspFromNet=8\nmodel=MRD-A16\nbare line\nsampleRate=96000\nmclk=24576000");
    // Read again, the text is the same lines.
    AudioCfgText::Lines again;
    ASSERT_TRUE(AudioCfgText::parse(lines.text(), &again, &error));
    EXPECT_EQ(again.text(), lines.text());
    EXPECT_EQ(again.value("model"), "MRD-A16");
}

TEST(AudioCfgText, BoundsTheTextItReads)
{
    AudioCfgText::Lines lines;
    QString error;
    EXPECT_TRUE(AudioCfgText::parse(QString(AudioCfgText::kMaxTextBytes, 'a'), &lines, &error));
    EXPECT_FALSE(AudioCfgText::parse(QString(AudioCfgText::kMaxTextBytes + 1, 'a'), &lines, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(lines.entries.isEmpty()) << "a refused text leaves nothing half-read";
    QString many;
    for (int i = 0; i <= AudioCfgText::kMaxLines; ++i)
        many += "k=v\n";
    EXPECT_FALSE(AudioCfgText::parse(many, &lines, &error)) << "one line more than allowed";
    EXPECT_TRUE(AudioCfgText::parse(many.left(many.size() - 4), &lines, &error));
}

TEST(AudioCfgText, ChecksEveryEditedKey)
{
    EXPECT_EQ(AudioCfgText::editedKeys().size(), 10);
    const struct
    {
        const char* key;
        const char* value;
        bool ok;
    } cases[] = {
        {"chNum_phyRx", "0", true},    {"chNum_phyRx", "256", true},    {"chNum_phyRx", "257", false},
        {"chNum_phyTx", "-1", false},  {"chNum_dspToNet", "8a", false}, {"chNum_dspFromNet", "", false},
        {"sampleRate", "48000", true}, {"sampleRate", "192000", true},  {"sampleRate", "44100", false},
        {"mclk", "12288000", true},    {"mclk", "49152000", true},      {"mclk", "12288001", false},
        {"fmtType", "tdmI2s", true},   {"fmtType", "TDMI2S", false},    {"inv_lrclk", "1", true},
        {"inv_bclk", "0", true},       {"inv_bclk", "2", false},        {"inv_lrclk", "yes", false},
    };
    for (const auto& c : cases) {
        AudioCfgText::Lines lines;
        lines.set("model", "x"); // other lines are never judged
        lines.set(c.key, c.value);
        EXPECT_EQ(AudioCfgText::check(lines).isEmpty(), c.ok) << c.key << "=" << c.value;
    }
}

class EditRefusalTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const QByteArray salt = "cfg-test";
        d2 = SaltedCode::digestOf(salt, "2468");
        d1 = SaltedCode::digestOf(salt, "1357");
        FactoryAccess::installTable({{{salt.constData(), d2.constData()}, FactoryAccess::Grant::UserMode2},
                                     {{salt.constData(), d1.constData()}, FactoryAccess::Grant::UserMode1}});
    }
    void TearDown() override { FactoryAccess::installTable({}); }
    QByteArray d1, d2;
};

TEST_F(EditRefusalTest, FirmwareBeforeThreeAndAnyCodeButTheSecondSetsAreRefused)
{
    const struct
    {
        const char* firmware;
        const char* code;
        const char* refusal;
    } cases[] = {
        {"2.9.9", "2468", "该设备不支持修改配置"},
        {"2.10.0", "2468", "该设备不支持修改配置"},
        {"", "2468", "该设备不支持修改配置"},
        {"3.0.0", "2468", ""},
        {"3.1.4", " 2468 ", ""},
        {"3.0.0", "1357", "密码错误!"},
        {"3.0.0", "", "密码错误!"},
        {"3.2", "24680", "密码错误!"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AudioCfgText::editRefusal(c.firmware, c.code), QString::fromUtf8(c.refusal))
            << c.firmware << " / " << c.code;
}

// ---- GPIO ---------------------------------------------------------------------------------------------------

TEST(GpioInfo, CustomCommandOfAtMost128Characters)
{
    const struct
    {
        QString cmd;
        bool ok;
    } cases[] = {
        {QString(), true},
        {QString(128, 'x'), true},
        {QString(129, 'x'), false},
        {QString(128, QChar(0x4E2D)), true}, // 128 Chinese characters are 128, whatever their bytes
        {QString::fromUcs4(std::vector<char32_t>(128, U'\U0001F3B5').data(), 128), true}, // two UTF-16 units each
        {QString::fromUcs4(std::vector<char32_t>(129, U'\U0001F3B5').data(), 129), false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(GpioInfo::customCmdRefusal(c.cmd), c.ok ? QString() : QStringLiteral("不能超过128字符"))
            << c.cmd.size();
        GpioInfo g;
        QString error;
        EXPECT_EQ(GpioInfo::fromJson({{"customCmd", c.cmd}}, &g, &error), c.ok) << "a device's or file's object too";
    }
}

TEST(GpioInfo, RoundTripsAndReadsDeviceTexts)
{
    GpioInfo g;
    g.direction = 1;
    g.type = 3;
    g.enable = 1;
    g.triggerType = 1;
    g.channelDirection = 1;
    g.channelId = 5;
    g.programId = 17;
    g.inputChId = 2;
    g.outputChId = 4;
    g.gainStep = -1.5;
    g.customCmd = "preset 3";
    const QJsonObject o = g.toJson();
    EXPECT_EQ(o.value("programId").toString(), "17") << "every value leaves as text";
    EXPECT_EQ(o.value("gainStep").toString(), "-1.5");
    GpioInfo back;
    QString error;
    ASSERT_TRUE(GpioInfo::fromJson(o, &back, &error)) << error.toStdString();
    EXPECT_EQ(back, g);
    EXPECT_EQ(GpioInfo::indexText(1), "GPIO_1");
    EXPECT_EQ(GpioInfo::indexText(8), "GPIO_8");
    EXPECT_EQ(GpioInfo::programNames().size(), 11);
    EXPECT_EQ(GpioInfo::programNames().first(), "程式10");
    EXPECT_EQ(GpioInfo::programNames().last(), "程式20");
}

TEST(GpioInfo, RefusesMembersOfTheWrongKind)
{
    const char* bad[] = {
        R"({"direction":"x"})", R"({"channelId":"-1"})", R"({"channelId":"70000"})", R"({"type":1.5})",
        R"({"enable":true})",   R"({"gainStep":"nan"})", R"({"gainStep":"inf"})",    R"({"gainStep":[1]})",
        R"({"customCmd":12})",  R"({"programId":{}})",   R"({"inputChId":"1e99"})",
    };
    for (const char* text : bad) {
        GpioInfo g;
        g.channelId = 99;
        QString error;
        EXPECT_FALSE(GpioInfo::fromJson(QJsonDocument::fromJson(text).object(), &g, &error)) << text;
        EXPECT_FALSE(error.isEmpty()) << text;
        EXPECT_EQ(g.channelId, 99) << "a refused object changes nothing: " << text;
    }
    GpioInfo g;
    QString error;
    EXPECT_TRUE(GpioInfo::fromJson(QJsonDocument::fromJson(R"({"channelId":7,"unknown":"x"})").object(), &g, &error));
    EXPECT_EQ(g.channelId, 7) << "numbers as JSON numbers are read too; unknown members are ignored";
}

TEST(GpioFile, WritesAndReadsEightPorts)
{
    QVector<GpioInfo> ports(GpioInfo::kPorts);
    for (int i = 0; i < ports.size(); ++i) {
        ports[i].channelId = i;
        ports[i].customCmd = QStringLiteral("cmd %1 \"quoted\" 中").arg(i);
    }
    QVector<GpioInfo> back;
    QString error;
    ASSERT_TRUE(GpioFile::read(GpioFile::write(ports), &back, &error)) << error.toStdString();
    EXPECT_EQ(back, ports);
}

TEST(GpioFile, RefusesBadFilesWithAClearMessageAndKeepsThePorts)
{
    QVector<GpioInfo> eight(GpioInfo::kPorts);
    QJsonArray seven;
    for (int i = 0; i < 7; ++i)
        seven.append(GpioInfo().toJson());
    QJsonArray badPort = seven;
    badPort.append(QJsonObject{{"customCmd", QString(129, 'x')}});
    QByteArray large = GpioFile::write(eight);
    large += QByteArray(GpioInfo::kMaxFileBytes, ' ');
    const struct
    {
        QByteArray bytes;
        const char* mentions;
    } cases[] = {
        {"", "not JSON"},
        {"{\"gpio\": [", "not JSON"},
        {"[1,2,3]", "no JSON object"},
        {R"({"gpio":[],"gpio":[]})", "repeated"},
        {QJsonDocument(QJsonObject{{"gpio", seven}}).toJson(), "8 ports"},
        {QJsonDocument(QJsonObject{{"gpio", "x"}}).toJson(), "8 ports"},
        {QJsonDocument(QJsonObject{{"gpio", badPort}}).toJson(), "port 8"},
        {large, "too large"},
    };
    for (const auto& c : cases) {
        QVector<GpioInfo> ports(3);
        QString error;
        EXPECT_FALSE(GpioFile::read(c.bytes, &ports, &error)) << c.bytes.left(60).constData();
        EXPECT_TRUE(error.contains(QLatin1String(c.mentions))) << error.toStdString();
        EXPECT_EQ(ports.size(), 3) << "nothing read on refusal";
    }
}

// ---- Factory service ----------------------------------------------------------------------------------------

TEST(ServiceRequests, ResetIsRefusedUnderAnyLockAndSpeltTwiceForOldFirmware)
{
    DevDetail_t d;
    EXPECT_FALSE(ServiceRequests::anyLockSet(d));
    for (int which = 0; which < 3; ++which) {
        DevDetail_t locked;
        (which == 0 ? locked.routeLock : which == 1 ? locked.detailLock : locked.dspLockLevel) = 1;
        EXPECT_TRUE(ServiceRequests::anyLockSet(locked)) << which;
    }
    const struct
    {
        const char* firmware;
        int requests;
    } cases[] = {{"3.0.9", 2}, {"", 2}, {"3.1.0", 1}, {"3.1.4", 1}, {"4.0", 1}};
    for (const auto& c : cases) {
        const QVector<QByteArray> r = ServiceRequests::resetRequests(c.firmware);
        ASSERT_EQ(r.size(), c.requests) << c.firmware;
        EXPECT_EQ(r.first(), R"({"ops":"resetFactory"})");
        if (c.requests == 2) {
            EXPECT_EQ(r.last(), R"({"ops":"resetFacotry"})");
        }
    }
    EXPECT_TRUE(ServiceRequests::resetSucceeded(R"({"ops":"resetFactory","result":"succ"})"));
    EXPECT_FALSE(ServiceRequests::resetSucceeded(R"({"ops":"resetFactory","result":"fail","reason":"locked"})"));
    EXPECT_FALSE(ServiceRequests::resetSucceeded("No Return With 2000ms"));
}

TEST(ServiceRequests, SshAndCpuFrequency)
{
    EXPECT_EQ(ServiceRequests::sshRequest("10.77.0.11"), "hostname=10.77.0.11 startSsh");
    EXPECT_TRUE(ServiceRequests::sshStarted("hostname=10.77.0.11 startSsh ok"));
    EXPECT_FALSE(ServiceRequests::sshStarted("startSsh failed"));

    EXPECT_EQ(ServiceRequests::cpuChoices(),
              QStringList({"Default", "408000", "600000", "816000", "1008000", "1200000"}));
    const QJsonObject set = ServiceRequests::cpuSetMessage(4, "D1");
    EXPECT_EQ(set.value("ops").toString(), "setOemData");
    EXPECT_EQ(set.value("name").toString(), "cpuKHz");
    EXPECT_EQ(set.value("val").toString(), "1008000");
    EXPECT_EQ(ServiceRequests::cpuSetMessage(0, "D1").value("val").toString(), "0");
    EXPECT_EQ(ServiceRequests::cpuSetMessage(99, "D1").value("val").toString(), "0") << "out of range: Default";
    EXPECT_EQ(ServiceRequests::cpuChoiceOf(" 816000 "), 3);
    for (const char* v : {"", "0", "Default", "123", "-1"})
        EXPECT_EQ(ServiceRequests::cpuChoiceOf(v), 0) << v;
}

TEST(ServiceRequests, InformationFigures)
{
    const struct
    {
        const char* in;
        const char* out;
    } uptimes[] = {{"0", "0:00:00"}, {"59", "0:00:59"}, {"3661", "1:01:01"}, {"360000", "100:00:00"},
                   {"-1", "-"},      {"abc", "-"},      {"", "-"},           {"99999999999999", "-"}};
    for (const auto& c : uptimes)
        EXPECT_EQ(ServiceRequests::uptimeText(c.in), c.out) << c.in;
    EXPECT_EQ(ServiceRequests::temperatureText("41500"), "41.5 °C");
    EXPECT_EQ(ServiceRequests::temperatureText("x"), "-");
    EXPECT_EQ(ServiceRequests::temperatureText("1e300"), "-");
}

TEST(ServiceRequests, SecondModuleFiguresOnlyFromThePagesOwnAnswer)
{
    const QJsonObject request = QJsonDocument::fromJson(ServiceRequests::moduleRequest()).object();
    EXPECT_EQ(request.value("ops").toString(), "getPowerGainInfo");
    const QString tag = request.value("uiTag").toString();
    ASSERT_FALSE(tag.isEmpty());
    const auto answer = [&tag](QJsonArray power, QJsonArray steps) {
        return QJsonObject{
            {"ops", "getPowerGainInfo"}, {"result", "succ"}, {"uiTag", tag}, {"powerArr", power}, {"gainArr", steps}};
    };
    EXPECT_EQ(ServiceRequests::moduleSummary(answer({"1", "0", "1", "1"}, {"20", "26", "32", "38"})),
              "4 ch, power 3/4, steps 20/26/32/38 dB");
    QJsonObject untagged = answer({"1"}, {});
    untagged.remove("uiTag");
    QJsonObject failed = answer({"1"}, {});
    failed.insert("result", "fail");
    QJsonArray many;
    for (int i = 0; i < 65; ++i)
        many.append("1");
    for (const QJsonObject& refused :
         {untagged, failed, answer({}, {"20"}), answer(many, {}), answer({"1"}, {"loud"}), answer({"1"}, {"1e300"})})
        EXPECT_TRUE(ServiceRequests::moduleSummary(refused).isEmpty())
            << QJsonDocument(refused).toJson(QJsonDocument::Compact).constData();
}

TEST(ServiceRequests, UdpToolChecksItsFields)
{
    const struct
    {
        const char* ip;
        const char* port;
        const char* devId;
        QString text;
        bool ok;
        const char* sent;
    } cases[] = {
        {"10.0.0.5", "9994", "", R"({"ops":"getVersion"})", true, R"({"ops":"getVersion"})"},
        {"10.0.0.5", "9994", "D1", R"({"ops":"getVersion"})", true, R"({"devId":"D1","ops":"getVersion"})"},
        {"10.0.0.5", "9994", "D1", R"({"ops":"x","devId":"D9"})", true, R"({"ops":"x","devId":"D9"})"},
        {"10.0.0.5", "7999", "D1", "raw text", true, "raw text"},
        {"10.0.0.256", "9994", "", "x", false, ""},
        {"::1", "9994", "", "x", false, ""},
        {"10.0.0.5", "0", "", "x", false, ""},
        {"10.0.0.5", "65536", "", "x", false, ""},
        {"10.0.0.5", "99a", "", "x", false, ""},
        {"10.0.0.5", "1", "", "", false, ""},
        {"10.0.0.5", "1", "", QString(ServiceRequests::kMaxUdpToolBytes, 'x'), true, nullptr},
        {"10.0.0.5", "1", "", QString(ServiceRequests::kMaxUdpToolBytes + 1, 'x'), false, ""},
    };
    for (const auto& c : cases) {
        const ServiceRequests::UdpToolRequest r = ServiceRequests::udpToolRequest(c.ip, c.port, c.devId, c.text);
        EXPECT_EQ(r.error.isEmpty(), c.ok) << c.ip << " " << c.port << " " << r.error.toStdString();
        if (c.ok && c.sent != nullptr) {
            EXPECT_EQ(r.bytes, QByteArray(c.sent));
        }
        if (!c.ok) {
            EXPECT_TRUE(r.bytes.isEmpty());
        }
    }
    const auto r = ServiceRequests::udpToolRequest(" 10.0.0.5 ", "12000", "", "x");
    EXPECT_EQ(r.ip, 0x0A000005u);
    EXPECT_EQ(r.port, 12000);
}

// ---- Listing ------------------------------------------------------------------------------------------------

TEST(DeviceListingShowAll, ExpansionModulesListedOnlyWhileTheFlagIsSet)
{
    dvm_resetForTest();
    DevDetailStore store;
    const QByteArray salt = "listing";
    const QByteArray all = SaltedCode::digestOf(salt, "999999");
    const QByteArray zero = SaltedCode::digestOf(salt, "0000");
    FactoryAccess::installTable({{{salt.constData(), all.constData()}, FactoryAccess::Grant::ShowAllDevices},
                                 {{salt.constData(), zero.constData()}, FactoryAccess::Grant::UserMode0}});
    FactoryAccess::apply(FactoryAccess::grantFor("0000"));
    storetest::announce("MREA-0001", "10.1.0.6");
    storetest::announce("MREA-0002", "10.1.0.7");
    EXPECT_EQ(DeviceListing::add(store, ModelTable::instance(), "MREA-0001", false), DeviceListing::NotListed);
    FactoryAccess::apply(FactoryAccess::grantFor("999999"));
    EXPECT_EQ(DeviceListing::add(store, ModelTable::instance(), "MREA-0001", false), DeviceListing::Listed);
    EXPECT_TRUE(store.containsDevId("MREA-0001"));
    FactoryAccess::apply(FactoryAccess::grantFor("0000"));
    EXPECT_EQ(DeviceListing::add(store, ModelTable::instance(), "MREA-0002", false), DeviceListing::NotListed);
    FactoryAccess::installTable({});
    dvm_resetForTest();
}

} // namespace

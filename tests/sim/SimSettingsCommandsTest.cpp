// Names, audio settings, address, configuration text and the reboot cycle, straight through the handlers.

#include "SimTestUtil.h"

using namespace simtest;

namespace {

SimDeviceConfig device()
{
    SimDeviceConfig c = bare("10.0.0.1", 4);
    c.phyChNumRx = 2;
    c.phyChNumTx = 3;
    return c;
}

QStringList pageNames(Bench& b, const char* ops)
{
    QStringList names;
    for (const QJsonValue& e : b.one(0, req(ops, {{"idStart", "0"}})).value("arr").toArray())
        names.append(e.toObject().value("name").toString());
    return names;
}

} // namespace

TEST(SimSettingsCommands, NamesAreKeptAndShownByPagesAndAnnouncements)
{
    Bench b({device()});
    const QJsonObject r = b.one(0, req("setDevName", {{"devId", "MD0A000001"}, {"name", "Foyer 2"}}));
    EXPECT_EQ(r.value("result").toString(), "succ");
    EXPECT_EQ(r.value("name").toString(), "Foyer 2");
    EXPECT_EQ(r.value("devId").toString(), "MD0A000001");
    EXPECT_EQ(b.net->device(0).announcement().value("name").toString(), "Foyer 2");

    const struct
    {
        const char* set;
        const char* get;
        int id;
    } lists[] = {{"setChNameRx", "getAllChNameRx", 3},
                 {"setChNameTx", "getAllChNameTx", 0},
                 {"setPhyChNameRx", "getAllPhyChNameRx", 1},
                 {"setPhyChNameTx", "getAllPhyChNameTx", 2}};
    for (const auto& l : lists) {
        const QString name = QStringLiteral("%1 \u58f0").arg(QLatin1String(l.set));
        const QJsonObject set = b.one(0, req(l.set, {{"id", QString::number(l.id)}, {"name", name}}));
        EXPECT_EQ(set.value("result").toString(), "succ") << l.set;
        EXPECT_EQ(set.value("id").toString(), QString::number(l.id));
        EXPECT_EQ(set.value("name").toString(), name);
        const QStringList names = pageNames(b, l.get);
        EXPECT_EQ(names.value(l.id), name) << l.get;
        EXPECT_EQ(names.count(name), 1) << "only the named channel changes";
    }
}

TEST(SimSettingsCommands, BadNamesAndIdsAreRefusedAndChangeNothing)
{
    Bench b({device()});
    const QStringList before = pageNames(b, "getAllChNameRx");
    const QString tooLong(64, QLatin1Char('x'));
    for (const QJsonObject& bad :
         {req("setChNameRx", {{"id", "0"}, {"name", ""}}), req("setChNameRx", {{"id", "0"}, {"name", "   "}}),
          req("setChNameRx", {{"id", "4"}, {"name", "x"}}), req("setChNameRx", {{"id", "-1"}, {"name", "x"}}),
          req("setChNameRx", {{"name", "x"}}), req("setChNameRx", {{"id", "0"}, {"name", tooLong}})}) {
        const QJsonObject r = b.one(0, bad);
        EXPECT_EQ(r.value("result").toString(), "fail") << compact(bad).toStdString();
        EXPECT_FALSE(r.value("reason").toString().isEmpty());
    }
    EXPECT_EQ(pageNames(b, "getAllChNameRx"), before);
    EXPECT_EQ(b.result(0, req("setPhyChNameRx", {{"id", "2"}, {"name", "x"}})), "fail")
        << "two physical inputs: id 2 is out of range";
    EXPECT_EQ(b.result(0, req("setDevName", {{"name", ""}})), "fail");
    EXPECT_EQ(b.net->device(0).config().name, "MD0A000001");
    // 63 bytes fit the controller's field; the limit counts bytes, not characters.
    EXPECT_EQ(b.result(0, req("setDevName", {{"name", QString(63, QLatin1Char('n'))}})), "succ");
    EXPECT_EQ(b.result(0, req("setDevName", {{"name", QString(32, QChar(0x58f0))}})), "fail");
}

TEST(SimSettingsCommands, SampleRateAndPacketTimeWaitForTheRebootThatAppliesThem)
{
    SimNetwork::Options o;
    o.rebootMs = 4000;
    Bench b({device()}, o);
    const SimDevice& dev = b.net->device(0);
    EXPECT_EQ(b.result(0, req("setSampleRate", {{"val", "32000"}}), SimServiceSettings), "fail")
        << "not among the rates the device lists";
    EXPECT_EQ(b.result(0, req("setPacketTimeDiv", {{"val", "3"}}), SimServiceSettings), "fail");
    EXPECT_EQ(b.result(0, req("setSampleRate", {{"val", "96000"}}), SimServiceSettings), "succ");
    EXPECT_EQ(b.result(0, req("setPacketTimeDiv", {{"val", "4"}}), SimServiceSettings), "succ");
    EXPECT_EQ(dev.state().pendingSampleRate, 96000);
    EXPECT_EQ(dev.announcement().value("sampleRate").toString(), "48000") << "the running rate until the reboot";
    EXPECT_EQ(dev.announcement().value("pFrameNum").toString(), "48");
    // Neither command answers on the command port.
    EXPECT_TRUE(b.ask(0, req("setSampleRate", {{"val", "44100"}})).isEmpty());

    b.now += 60000;
    EXPECT_EQ(b.one(0, req("reboot"), SimServiceSettings).value("result").toString(), "succ");
    EXPECT_EQ(dev.state().rebootCount, 1);
    b.now += 3999;
    EXPECT_FALSE(b.net->isAnswering(0));
    EXPECT_TRUE(b.ask(0, req("getVersion"), SimServiceSettings).isEmpty()) << "silent while rebooting";
    EXPECT_EQ(dev.announcement().value("sampleRate").toString(), "48000");

    b.now += 1;
    const QJsonObject debug = b.one(0, req("getDebugInfo"), SimServiceSettings);
    EXPECT_EQ(debug.value("uptime").toString(), "0") << "a rebooted device counts its uptime afresh";
    EXPECT_EQ(dev.announcement().value("sampleRate").toString(), "96000");
    EXPECT_EQ(dev.announcement().value("pFrameNum").toString(), "24") << "96 frames per ms in quarter-ms packets";
    EXPECT_EQ(dev.state().packetTimeDiv, 4);
    EXPECT_EQ(dev.state().requests.value("getVersion"), 1) << "requests during the reboot are still counted";
}

TEST(SimSettingsCommands, ImmediateSettingsAreCheckedAndReported)
{
    // Each setting: its member, a good value, refused values; it shows in the announcement or in getVersion.
    const struct
    {
        const char* ops;
        const char* member;
        SimServiceFlag on;
        const char* good;
        std::initializer_list<const char*> bad;
        const char* shownAs;
        bool inAnnouncement;
    } cases[] = {
        {"setSampleByteNum", "sampleByteNum", SimServiceCommand, "4", {"1", "5", "x", ""}, "sampleByteNum", true},
        {"setDelayUs", "us", SimServiceCommand, "3000", {"-1"}, "delayUs", true},
        {"setDscp", "dscp", SimServiceCommand, "46", {"64"}, "dscp", true},
        {"setPtpPriority", "val", SimServiceSettings, "7", {}, "ptpPriority", false},
        {"setPtpDomain", "val", SimServiceSettings, "5", {"128"}, "ptpDomain", false},
        {"setPtpDscp", "val", SimServiceSettings, "40", {}, "ptpDscp", false},
    };
    Bench b({device()});
    auto shown = [&b](const auto& c) {
        const QJsonObject from = c.inAnnouncement ? b.net->device(0).announcement() : b.one(0, req("getVersion"));
        return from.value(QLatin1String(c.shownAs)).toString();
    };
    for (const auto& c : cases) {
        const QJsonObject r = b.one(0, req(c.ops, {{c.member, c.good}}), c.on);
        EXPECT_EQ(r.value("result").toString(), "succ") << c.ops;
        EXPECT_EQ(r.value(QLatin1String(c.member)).toString(), c.good) << c.ops;
        for (const char* bad : c.bad)
            EXPECT_EQ(b.result(0, req(c.ops, {{c.member, bad}}), c.on), "fail") << c.ops << " " << bad;
        EXPECT_EQ(shown(c), c.good) << c.ops;
    }
    EXPECT_TRUE(b.ask(0, req("setPtpPriority", {{"val", "1"}})).isEmpty()) << "9994 only";
}

TEST(SimSettingsCommands, SetIpIsTakenOnlyByTheNamedDevice)
{
    Bench b({device(), bare("10.0.0.2")});
    b.net->setAddressCheck([](quint32) { return false; });
    const QJsonObject set = req("setIp", {{"devId", "MD0A000001"},
                                          {"fixedIp", "1"},
                                          {"ip", "192.168.5.20/16"},
                                          {"gw", "192.168.0.1"},
                                          {"dns", "8.8.4.4"}});
    EXPECT_TRUE(b.ask(1, set, SimServiceSettings).isEmpty()) << "another device keeps quiet";
    EXPECT_TRUE(b.ask(0, set, SimServiceCommand).isEmpty()) << "9994 only";
    EXPECT_EQ(b.result(0, set, SimServiceSettings), "succ");
    // The host lacks the address: the device stays where it is but reports what it stored.
    EXPECT_EQ(b.net->device(0).ip(), ip("10.0.0.1"));
    const QJsonObject got = b.one(0, req("getIp"), SimServiceSettings);
    EXPECT_EQ(got.value("fixedIp").toString(), "1");
    EXPECT_EQ(got.value("ip").toString(), "192.168.5.20");
    EXPECT_EQ(got.value("mask").toString(), "255.255.0.0");
    EXPECT_EQ(got.value("gw").toString(), "192.168.0.1");
    EXPECT_EQ(got.value("dns").toString(), "8.8.4.4");
    EXPECT_EQ(b.net->device(1).state().ip, ip("10.0.0.2"));

    EXPECT_EQ(b.result(0, req("setIp", {{"devId", "MD0A000001"}, {"fixedIp", "0"}}), SimServiceSettings), "succ");
    EXPECT_EQ(b.one(0, req("getIp"), SimServiceSettings).value("fixedIp").toString(), "0");

    for (const char* bad : {"0.1.2.3/24", "224.0.0.1/24", "10.0.0.300/24", "10.0.0.9/33", "10.0.0.9/0", ""}) {
        const QJsonObject r =
            b.one(0, req("setIp", {{"devId", "MD0A000001"}, {"fixedIp", "1"}, {"ip", bad}}), SimServiceSettings);
        EXPECT_EQ(r.value("result").toString(), "fail") << bad;
    }
    EXPECT_EQ(b.result(0,
                       req("setIp", {{"devId", "MD0A000001"}, {"fixedIp", "1"}, {"ip", "10.1.1.1/8"}, {"gw", "10.1"}}),
                       SimServiceSettings),
              "fail");
    EXPECT_EQ(b.result(0, req("setIp", {{"devId", "MD0A000001"}, {"fixedIp", "2"}}), SimServiceSettings), "fail");
    EXPECT_EQ(b.one(0, req("getIp"), SimServiceSettings).value("ip").toString(), "192.168.5.20")
        << "refused requests store nothing";
}

TEST(SimSettingsCommands, ADeviceMovesToAHostAddressAndItsStreamsFollow)
{
    QVector<SimDeviceConfig> configs{bare("10.0.0.1"), bare("10.0.0.2")};
    configs[1].routes = {{0, configs[0].devId, 3}};
    Bench b(configs);
    QVector<quint32> asked;
    b.net->setAddressCheck([&asked](quint32 a) {
        asked.append(a);
        return true;
    });
    // Taken by another device: the device stays.
    EXPECT_EQ(b.result(0, req("setIp", {{"devId", "MD0A000001"}, {"fixedIp", "1"}, {"ip", "10.0.0.2/24"}}),
                       SimServiceSettings),
              "succ");
    EXPECT_EQ(b.net->device(0).ip(), ip("10.0.0.1"));

    EXPECT_EQ(b.result(0, req("setIp", {{"devId", "MD0A000001"}, {"fixedIp", "1"}, {"ip", "10.0.0.77/24"}}),
                       SimServiceSettings),
              "succ");
    EXPECT_TRUE(asked.contains(ip("10.0.0.77")));
    EXPECT_EQ(b.net->device(0).ip(), ip("10.0.0.77"));
    EXPECT_EQ(b.net->device(0).announcement().value("ip").toString(), "10.0.0.77");
    EXPECT_EQ(b.net->indexOfIp(ip("10.0.0.77")), 0);
    const SimRxStream& rx = b.net->device(1).ucastRx()[0];
    ASSERT_TRUE(rx.used);
    EXPECT_EQ(rx.sdp.srcIp, ip("10.0.0.77")) << "the receiver's stream names the new source";
    EXPECT_EQ(b.net->device(0).ucastTx()[0].sdp.srcIp, ip("10.0.0.77"));
    // The route still comes apart cleanly from the new address.
    EXPECT_TRUE(b.net->unroute(b.net->device(1).devId(), 0).ok());
    EXPECT_FALSE(b.net->device(0).ucastTx()[0].used);
}

TEST(SimSettingsCommands, ConfigurationTextIsKeyValueLines)
{
    SimDeviceConfig c = device();
    c.model = QStringLiteral("MRD-P64");
    c.chNumRx = 12;
    c.chNumTx = 6;
    Bench b({c});
    auto cfg = [&b] {
        QMap<QString, QString> m;
        const QJsonObject r = b.one(0, req("getCfg"), SimServiceCfg);
        EXPECT_EQ(r.value("result").toString(), "succ");
        for (const QString& line : r.value("cfg").toString().split('\n')) {
            const int eq = line.indexOf('=');
            EXPECT_GT(eq, 0) << line.toStdString();
            m.insert(line.left(eq), line.mid(eq + 1));
        }
        return m;
    };
    EXPECT_EQ(cfg().value("chNum_dspFromNet"), "12");
    EXPECT_EQ(cfg().value("chNum_dspToNet"), "6");
    const QJsonObject set = b.one(0, req("setCfg", {{"cfg", "chNum_dspToNet=8\r\n\nmode = live\n"}}), SimServiceCfg);
    EXPECT_EQ(set.value("result").toString(), "succ");
    EXPECT_TRUE(set.value("cfg").toString().contains("mode=live"));
    EXPECT_EQ(cfg().value("chNum_dspToNet"), "8");
    EXPECT_EQ(cfg().value("chNum_dspFromNet"), "12") << "keys not given stay";
    EXPECT_EQ(b.result(0, req("setCfg", {{"cfg", "chNum_dspToNet=2\nno equals sign"}}), SimServiceCfg), "fail");
    EXPECT_EQ(b.result(0, req("setCfg", {{"cfg", ""}}), SimServiceCfg), "fail");
    EXPECT_EQ(cfg().value("chNum_dspToNet"), "8") << "a refused text changes nothing";
    EXPECT_TRUE(b.ask(0, req("getCfg"), SimServiceSettings).isEmpty());
}

TEST(SimSettingsCommands, EachCommandIsAnsweredOnlyOnItsPorts)
{
    SimDeviceConfig amp = bare("10.0.0.1", 4);
    amp.model = QStringLiteral("MRA-4");
    amp.phyChNumTx = 4;
    SimDeviceConfig dsp = bare("10.0.0.2", 4);
    dsp.model = QStringLiteral("MRD-P64");
    const SimServiceFlag all[] = {SimServiceCommand, SimServiceSettings,  SimServiceLock,
                                  SimServiceDsp,     SimServiceAmp,       SimServiceCfg,
                                  SimServiceFactory, SimServiceAmpModule, SimServiceAmpModule2};
    const struct
    {
        int device;
        const char* request;
        SimServices on;
    } rows[] = {
        {0, R"({"ops":"getLock"})", SimServiceLock | SimServiceDsp},
        {0, R"({"ops":"setLock","password":"","val":"0x0"})", SimServiceLock | SimServiceDsp},
        {0, R"({"ops":"setPassword","old":"x","new":"y"})", SimServiceSettings},
        {0, R"({"ops":"getVersion"})", SimServiceCommand | SimServiceSettings},
        {0, R"({"ops":"getDebugInfo"})", SimServiceSettings},
        {0, R"({"ops":"getOemData","name":"customOemType"})", SimServiceSettings | SimServiceFactory},
        {0, R"({"ops":"setOemData","name":"cpuKHz","val":"408000"})", SimServiceSettings | SimServiceFactory},
        {1, R"({"ops":"resetFactory"})", SimServiceFactory},
        {1, R"({"ops":"resetFacotry"})", SimServiceFactory},
        {0, R"({"ops":"testGpio","isHigh":"1"})", SimServiceAmp},
        {0, R"({"ops":"setBorderProc","portIndex":"0","delayNum":"96"})", SimServiceCommand | SimServiceDsp},
        {0, R"({"ops":"getIp"})", SimServiceSettings},
        {0, R"({"ops":"getCustomStr"})", SimServiceCommand},
        {0, R"({"ops":"getAllChNameRx","idStart":"0"})", SimServiceCommand},
        {0, R"({"ops":"getAllPhyChNameTx","idStart":"0"})", SimServiceCommand},
        {0, R"({"ops":"getAllRxCh","idStart":"0"})", SimServiceCommand},
        {0, R"({"ops":"setDevName","name":"n"})", SimServiceCommand},
        {0, R"({"ops":"setChNameRx","id":"0","name":"n"})", SimServiceCommand | SimServiceDsp},
        {0, R"({"ops":"setPhyChNameTx","id":"0","name":"n"})", SimServiceCommand | SimServiceDsp},
        {0, R"({"ops":"setSampleRate","val":"48000"})", SimServiceSettings},
        {0, R"({"ops":"setPacketTimeDiv","val":"1"})", SimServiceSettings},
        {0, R"({"ops":"setDelayUs","us":"1000"})", SimServiceCommand | SimServiceLock},
        {0, R"({"ops":"setSampleByteNum","sampleByteNum":"3"})", SimServiceCommand | SimServiceLock},
        {0, R"({"ops":"setDscp","dscp":"34"})", SimServiceCommand | SimServiceLock},
        {0, R"({"ops":"setPtpPriority","val":"1"})", SimServiceSettings},
        {0, R"({"ops":"setPtpDomain","val":"1"})", SimServiceSettings},
        {0, R"({"ops":"setPtpDscp","val":"1"})", SimServiceSettings},
        {0, R"({"ops":"setIp","devId":"MD0A000001","fixedIp":"0"})", SimServiceSettings},
        {0, R"({"ops":"getCfg"})", SimServiceCfg},
        {0, R"({"ops":"setCfg","cfg":"a=b"})", SimServiceCfg},
        {0, R"({"ops":"getAllPhyVolumeDbTx","idStart":"0"})", SimServiceCommand},
        {0, R"({"ops":"getAllVolumeDbRx","idStart":"0"})", SimServiceCommand},
        {0, R"({"ops":"getAllPhyGainDbRx","idStart":"0"})", SimServiceCommand},
        {0, R"({"ops":"setPhyGainDbTx","id":"0","val":"1"})", SimServiceCommand},
        {0, R"({"ops":"getAllPhyMuteTx","idStart":"0"})", SimServiceCommand},
        {0, R"({"ops":"setPhyMuteRx","id":"0","val":"1"})", SimServiceCommand},
        {0, R"({"ops":"getInfo"})", SimServiceAmp | SimServiceAmpModule | SimServiceAmpModule2},
        {0, R"({"ops":"setGain","id":"0","val":"1"})", SimServiceAmp},
        {0, R"({"ops":"setPower","id":"0","val":"1"})", SimServiceAmp},
        {0, R"({"ops":"getPowerGainInfo"})", SimServiceAmpModule | SimServiceAmpModule2},
        {0, R"({"ops":"clrRxCh","dstChId":"0"})", SimServiceCommand},
        {0, R"({"ops":"setMcastRx","srcChId":"0","dstChId":"0"})", SimServiceCommand},
        {0, R"({"ops":"getUcastStats","sdpId":"0"})", SimServiceCommand},
        {0, R"({"ops":"clrMcastStats","sdpId":"0"})", SimServiceCommand},
        {1, R"({"ops":"getVolumeDbBatchIn","idStart":"0"})", SimServiceDsp},
        {1, R"({"ops":"getVolumeDbBatchOut","idStart":"0"})", SimServiceDsp},
        {0, R"({"ops":"getGpioInfo","index":"0"})", SimServiceAmp},
        {1, R"({"ops":"setGpioInfo","index":"0","gpioInfo":{"enable":"1"}})", SimServiceAmp},
        {1, R"({"ops":"getConfigNameArr"})", SimServiceDsp},
        {1, R"({"ops":"getDefaultFile"})", SimServiceDsp},
        {1, R"({"ops":"saveToFile","name":"p1","oldName":""})", SimServiceDsp},
        {1, R"({"ops":"loadFromFactory"})", SimServiceDsp},
        {1, R"({"ops":"deleteFile","name":"p1"})", SimServiceDsp},
        {1, R"({"ops":"getConfigByName","name":"default"})", SimServices()},
    };
    Bench b({amp, dsp});
    for (const auto& row : rows) {
        const QJsonObject request = parse(row.request);
        for (SimServiceFlag s : all) {
            const QVector<QJsonObject> replies = b.ask(row.device, request, s);
            EXPECT_EQ(replies.size(), row.on.testFlag(s) ? 1 : 0) << row.request << " on service " << unsigned(s);
            for (const QJsonObject& r : replies) {
                EXPECT_EQ(r.value("ops"), request.value("ops"));
                if (request.value("ops") != "getAllRxCh") { // route table pages name no device
                    EXPECT_EQ(r.value("devId").toString(), b.net->device(row.device).devId()) << row.request;
                }
            }
        }
    }
    // The reboot last: afterwards the device keeps quiet.
    EXPECT_TRUE(b.ask(0, req("reboot"), SimServiceCommand).isEmpty());
    EXPECT_EQ(b.ask(0, req("reboot"), SimServiceSettings).size(), 1);
    EXPECT_TRUE(b.ask(0, req("getCfg"), SimServiceCfg).isEmpty());
}

#include "SimControl.h"
#include "SimTestUtil.h"

#include <QCoreApplication>

using namespace simtest;

namespace {

struct ControlFixture : ::testing::Test
{
    std::unique_ptr<SimNetwork> net = generated(3);
    SimControl control{*net};
    QVector<QJsonObject> answers;

    void SetUp() override
    {
        QObject::connect(&control, &SimControl::signal_answer, [this](const QByteArray& line) {
            EXPECT_FALSE(line.contains('\n'));
            answers.append(QJsonDocument::fromJson(line).object());
        });
    }

    QJsonObject run(const char* line) { return control.handleLine(QByteArray(line)); }
};

} // namespace

TEST_F(ControlFixture, DumpMatchesTheNetwork)
{
    const QJsonObject a = run(R"({"cmd":"dump"})");
    EXPECT_TRUE(a.value("ok").toBool());
    EXPECT_EQ(a.value("devices"), net->dump().value("devices"));
}

TEST_F(ControlFixture, RouteAndUnroute)
{
    const QString c = net->device(2).devId();
    const QString a = net->device(0).devId();
    QJsonObject r =
        control.handleLine(compact({{"cmd", "route"}, {"devId", c}, {"rxCh", 9}, {"srcDevId", a}, {"srcCh", 4}}));
    ASSERT_TRUE(r.value("ok").toBool()) << compact(r).toStdString();
    EXPECT_TRUE(r.value("changed").toBool());
    const SimDevice& d = net->device(2);
    EXPECT_EQ(d.rtpChannels()[d.rxChMap()[9]].srcChId, 4);

    // Decimal text works as well as numbers.
    r = control.handleLine(compact({{"cmd", "unroute"}, {"devId", c}, {"rxCh", "9"}}));
    EXPECT_TRUE(r.value("ok").toBool());
    EXPECT_EQ(d.rxChMap()[9], -1);
    r = control.handleLine(compact({{"cmd", "unroute"}, {"devId", c}, {"rxCh", "9"}}));
    EXPECT_TRUE(r.value("ok").toBool());
    EXPECT_FALSE(r.value("changed").toBool());
}

TEST_F(ControlFixture, BadRequestsAnswerWithAnError)
{
    const char* bad[] = {"",
                         "nonsense",
                         "[1]",
                         R"({"cmd":"fly"})",
                         R"({})",
                         R"({"cmd":"route","devId":"MD0A000002","rxCh":"x","srcDevId":"MD0A000001","srcCh":0})",
                         R"({"cmd":"route","devId":"MD0A000002","rxCh":0,"srcDevId":"MD0A000001"})",
                         R"({"cmd":"route","devId":"MD0A000002","rxCh":0,"srcDevId":"NOPE","srcCh":0})",
                         R"({"cmd":"route","devId":"MD0A000002","rxCh":64,"srcDevId":"MD0A000001","srcCh":0})",
                         R"({"cmd":"unroute","devId":"NOPE","rxCh":0})",
                         R"({"cmd":"silence","devId":"NOPE"})",
                         R"({"cmd":"resume"})",
                         R"({"cmd":"set","devId":"MD0A000002"})",
                         R"({"cmd":"set","devId":"NOPE","temp":1})",
                         R"({"cmd":"set","devId":"MD0A000002","temp":"hot"})",
                         R"({"cmd":"set","devId":"MD0A000002","uptime":-1})",
                         R"({"cmd":"set","devId":"MD0A000002","tempJitter":-5})"};
    for (const char* line : bad) {
        const QJsonObject a = run(line);
        EXPECT_FALSE(a.value("ok").toBool(true)) << line;
        EXPECT_FALSE(a.value("error").toString().isEmpty()) << line;
    }
    EXPECT_EQ(net->device(1).temperatureBase(), 45000) << "a refused line changes nothing";
    EXPECT_EQ(net->device(1).temperatureJitter(), 300);
}

TEST_F(ControlFixture, SilenceAndResume)
{
    EXPECT_TRUE(run(R"({"cmd":"silence","devId":"MD0A000002"})").value("ok").toBool());
    EXPECT_TRUE(net->device(1).isSilenced());
    EXPECT_FALSE(net->device(0).isSilenced());
    auto replies = net->handlers().handleDatagram(*net, 1, R"({"ops":"getAllRxCh","idStart":"0"})");
    EXPECT_TRUE(replies.isEmpty()) << "a silenced device answers nothing";
    EXPECT_EQ(net->device(1).state().requests.value("getAllRxCh"), 1) << "but it still counts what it heard";
    EXPECT_FALSE(net->isAnnouncing(1)) << "a plain silence stops the announcements too";
    EXPECT_TRUE(run(R"({"cmd":"resume","devId":"MD0A000002"})").value("ok").toBool());
    EXPECT_FALSE(net->device(1).isSilenced());

    // Silenced but announcing: listed by controllers, answering nothing; a resume ends both.
    EXPECT_TRUE(run(R"({"cmd":"silence","devId":"MD0A000002","announce":true})").value("ok").toBool());
    EXPECT_TRUE(net->isAnnouncing(1));
    EXPECT_TRUE(net->handlers().handleDatagram(*net, 1, R"({"ops":"getAllRxCh","idStart":"0"})").isEmpty());
    EXPECT_TRUE(run(R"({"cmd":"resume","devId":"MD0A000002"})").value("ok").toBool());
    EXPECT_TRUE(run(R"({"cmd":"silence","devId":"MD0A000002"})").value("ok").toBool());
    EXPECT_FALSE(net->isAnnouncing(1)) << "announcing is not kept from an earlier silence";
    EXPECT_TRUE(run(R"({"cmd":"resume","devId":"MD0A000002"})").value("ok").toBool());

    // Armed on a request name: answers until that request comes, which goes unanswered, then stays silent.
    EXPECT_TRUE(run(R"({"cmd":"silence","devId":"MD0A000002","onOps":"setDevName"})").value("ok").toBool());
    auto ask = [this](const char* datagram) { return net->handlers().handleDatagram(*net, 1, datagram); };
    EXPECT_FALSE(ask(R"({"ops":"getAllRxCh","idStart":"0"})").isEmpty()) << "armed, not yet silent";
    EXPECT_TRUE(ask(R"({"ops":"setDevName","name":"x"})").isEmpty());
    EXPECT_TRUE(ask(R"({"ops":"getAllRxCh","idStart":"0"})").isEmpty());
    EXPECT_TRUE(net->isAnnouncing(1));
    EXPECT_EQ(net->device(1).state().requests.value("setDevName"), 1);
    EXPECT_TRUE(run(R"({"cmd":"resume","devId":"MD0A000002"})").value("ok").toBool());
    EXPECT_FALSE(ask(R"({"ops":"setDevName","name":"y"})").isEmpty()) << "a resume disarms";
}

TEST_F(ControlFixture, SetMakesADeviceHotOrOld)
{
    qint64 now = 0;
    net->setClock([&now] { return now; });
    auto debugInfo = [this] {
        const auto r = net->handlers().handleDatagram(*net, 1, R"({"ops":"getDebugInfo"})", SimServiceSettings);
        EXPECT_EQ(r.size(), 1);
        return r.isEmpty() ? QJsonObject() : QJsonDocument::fromJson(r.first()).object();
    };
    // A set temperature comes back exactly, so thresholds can be tested to the millidegree.
    EXPECT_TRUE(run(R"({"cmd":"set","devId":"MD0A000002","temp":85500})").value("ok").toBool());
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(debugInfo().value("temp").toString(), QStringLiteral("85500"));
    EXPECT_EQ(net->device(0).temperatureBase(), 45000) << "only the named device changes";
    EXPECT_TRUE(run(R"({"cmd":"set","devId":"MD0A000002","tempJitter":"50"})").value("ok").toBool());
    EXPECT_EQ(net->device(1).temperatureBase(), 85500);
    EXPECT_EQ(net->device(1).temperatureJitter(), 50);

    EXPECT_TRUE(run(R"({"cmd":"set","devId":"MD0A000002","uptime":3725})").value("ok").toBool());
    EXPECT_EQ(debugInfo().value("uptime").toString(), QStringLiteral("3725"));
    now += 61000;
    EXPECT_EQ(debugInfo().value("uptime").toString(), QStringLiteral("3786"));
}

TEST_F(ControlFixture, FeedSplitsLinesAcrossChunks)
{
    control.feed(R"({"cmd":"du)");
    EXPECT_TRUE(answers.isEmpty());
    control.feed("mp\"}\n\n   \n{\"cmd\":\"nope\"}\r\n{\"cmd\":\"dump\"}");
    ASSERT_EQ(answers.size(), 2) << "blank lines are skipped, the last line waits for its newline";
    EXPECT_TRUE(answers[0].value("ok").toBool());
    EXPECT_FALSE(answers[1].value("ok").toBool());
    control.feed("\n");
    ASSERT_EQ(answers.size(), 3);
    EXPECT_TRUE(answers[2].value("ok").toBool());
}

TEST_F(ControlFixture, OverlongLineIsDroppedAndInputRecovers)
{
    const QByteArray chunk(64 * 1024, 'x');
    for (int i = 0; i < 20; ++i)
        control.feed(chunk);
    control.feed("\n{\"cmd\":\"dump\"}\n");
    ASSERT_EQ(answers.size(), 2);
    EXPECT_EQ(answers[0].value("error").toString(), QStringLiteral("line too long"));
    EXPECT_TRUE(answers[1].value("ok").toBool());
}

TEST_F(ControlFixture, QuitAnswersFirstThenSignals)
{
    int argc = 1;
    char name[] = "test";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    bool quit = false;
    QObject::connect(&control, &SimControl::signal_quit, [&quit] { quit = true; });
    control.feed("{\"cmd\":\"quit\"}\n");
    ASSERT_EQ(answers.size(), 1);
    EXPECT_TRUE(answers[0].value("ok").toBool());
    EXPECT_FALSE(quit);
    QCoreApplication::processEvents();
    EXPECT_TRUE(quit);
}

TEST_F(ControlFixture, StateShowsTheSettingsAndWhatTheDeviceHeard)
{
    qint64 now = 0;
    net->setClock([&now] { return now; });
    const QString id = net->device(1).devId();
    auto state = [this, &id] { return control.handleLine(compact({{"cmd", "state"}, {"devId", id}})); };
    const QJsonObject fresh = state();
    ASSERT_TRUE(fresh.value("ok").toBool()) << compact(fresh).toStdString();
    EXPECT_EQ(fresh.value("requests").toObject(), QJsonObject()) << "nothing was sent yet";
    EXPECT_EQ(fresh.value("rebootCount").toInt(), 0);
    EXPECT_FALSE(fresh.value("passwordSet").toBool());
    EXPECT_EQ(fresh.value("sampleRate").toInt(), 48000);
    EXPECT_EQ(fresh.value("pendingSampleRate").toInt(), 48000);
    EXPECT_EQ(fresh.value("rxChNames").toArray().size(), net->device(1).config().chNumRx);

    auto send = [this](const QJsonObject& r, SimServices on) {
        return net->handlers().handleDatagram(*net, 1, compact(r), on).size();
    };
    EXPECT_EQ(send({{"ops", "setPassword"}, {"old", ""}, {"new", "hunter22"}}, SimServiceSettings), 1);
    EXPECT_EQ(send({{"ops", "setDevName"}, {"name", "Balcony"}}, SimServiceCommand), 1);
    EXPECT_EQ(send({{"ops", "setChNameTx"}, {"id", "1"}, {"name", "Vox"}}, SimServiceCommand), 1);
    EXPECT_EQ(send({{"ops", "setSampleRate"}, {"val", "96000"}}, SimServiceSettings), 1);
    EXPECT_EQ(send({{"ops", "setPhyGainDbTx"}, {"id", "0"}, {"val", "-6"}}, SimServiceCommand), 1);
    EXPECT_EQ(send({{"ops", "setPhyMuteRx"}, {"id", "1"}, {"val", "1"}}, SimServiceCommand), 1);
    EXPECT_EQ(send({{"ops", "setDevName"}, {"name", "x"}}, SimServiceLock), 0) << "wrong port, still heard";
    EXPECT_EQ(send({{"ops", "reboot"}}, SimServiceSettings), 1);

    const QJsonObject s = state();
    const QByteArray line = compact(s);
    EXPECT_FALSE(line.contains("hunter22")) << "the password never leaves the device";
    EXPECT_TRUE(s.value("passwordSet").toBool());
    EXPECT_EQ(s.value("name").toString(), "Balcony");
    EXPECT_EQ(s.value("txChNames").toArray().at(1).toString(), "Vox");
    EXPECT_EQ(s.value("sampleRate").toInt(), 48000);
    EXPECT_EQ(s.value("pendingSampleRate").toInt(), 96000);
    EXPECT_EQ(s.value("phyGainTx").toArray().at(0).toDouble(), -6.0);
    EXPECT_TRUE(s.value("phyMuteRx").toArray().at(1).toBool());
    EXPECT_TRUE(s.value("rebooting").toBool());
    EXPECT_EQ(s.value("rebootCount").toInt(), 1);
    EXPECT_EQ(s.value("requests").toObject().value("setDevName").toInt(), 2);
    EXPECT_EQ(s.value("requests").toObject().value("reboot").toInt(), 1);
    for (const char* key : {"packetTimeDiv", "delayUs", "sampleByteNum", "dscp", "ptpPriority", "ptpDomain", "ptpDscp",
                            "ipMode", "ip", "gw", "dns", "lock", "dspLock", "phyGainRx", "phyMuteTx", "cfg"})
        EXPECT_TRUE(s.contains(QLatin1String(key))) << key;

    now += net->options().rebootMs;
    const QJsonObject back = state();
    EXPECT_FALSE(back.value("rebooting").toBool());
    EXPECT_EQ(back.value("sampleRate").toInt(), 96000);
    EXPECT_FALSE(control.handleLine(R"({"cmd":"state","devId":"nobody"})").value("ok").toBool());
}

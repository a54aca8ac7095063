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
                         R"({"cmd":"resume"})"};
    for (const char* line : bad) {
        const QJsonObject a = run(line);
        EXPECT_FALSE(a.value("ok").toBool(true)) << line;
        EXPECT_FALSE(a.value("error").toString().isEmpty()) << line;
    }
}

TEST_F(ControlFixture, SilenceAndResume)
{
    EXPECT_TRUE(run(R"({"cmd":"silence","devId":"MD0A000002"})").value("ok").toBool());
    EXPECT_TRUE(net->device(1).isSilenced());
    EXPECT_FALSE(net->device(0).isSilenced());
    auto replies = net->handlers().handleDatagram(*net, 1, R"({"ops":"getAllRxCh","idStart":"0"})");
    EXPECT_EQ(replies.size(), 1) << "silence is the node's business; the handlers still work";
    EXPECT_TRUE(run(R"({"cmd":"resume","devId":"MD0A000002"})").value("ok").toBool());
    EXPECT_FALSE(net->device(1).isSilenced());
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

    for (const char* bad :
         {R"({"cmd":"set","devId":"MD0A000002"})", R"({"cmd":"set","devId":"NOPE","temp":1})",
          R"({"cmd":"set","devId":"MD0A000002","temp":"hot"})", R"({"cmd":"set","devId":"MD0A000002","uptime":-1})",
          R"({"cmd":"set","devId":"MD0A000002","tempJitter":-5})"}) {
        const QJsonObject a = run(bad);
        EXPECT_FALSE(a.value("ok").toBool(true)) << bad;
        EXPECT_FALSE(a.value("error").toString().isEmpty()) << bad;
    }
    EXPECT_EQ(net->device(1).temperatureBase(), 85500) << "a refused line changes nothing";
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

// The microphone processor behind the simulated serial tunnel: reads, sets within and outside the ranges, the
// save, garbage, the plain echo kept for other texts, the control line and the restart.
#include "SimMicProcessor.h"
#include "SimControl.h"
#include "SimTestUtil.h"

using namespace simtest;

namespace {

struct Exchange
{
    const char* command;
    const char* answer;
};

class SimMicExchangeTest : public ::testing::TestWithParam<std::vector<Exchange>>
{
};

TEST_P(SimMicExchangeTest, AnswersInOrder)
{
    SimMicProcessor mic;
    for (const Exchange& e : GetParam())
        EXPECT_EQ(mic.handle(QByteArray(e.command)), QByteArray(e.answer)) << e.command;
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, SimMicExchangeTest,
    ::testing::Values(
        // What is set comes back in the next read; a set is answered with what the processor now holds.
        std::vector<Exchange>{{"IEr1\r\n", "IEr10\r\n"}, {"IEs14\r\n", "IEr14\r\n"}, {"IEr1\r\n", "IEr14\r\n"}},
        std::vector<Exchange>{{"IGs2-12\r\n", "IGr2-12\r\n"}, {"IGr2\r\n", "IGr2-12\r\n"}, {"IGr3\r\n", "IGr30\r\n"}},
        std::vector<Exchange>{{"OVs024\r\n", "OVr024\r\n"}, {"OMs31\r\n", "OMr31\r\n"}, {"ITs31\r\n", "ITr31\r\n"}},
        std::vector<Exchange>{{"IAs11\r\n", "IAr11\r\n"}, {"INs15\r\n", "INr15\r\n"}, {"IFs13\r\n", "IFr13\r\n"}},
        // Outside the range: refused, the held value reported.
        std::vector<Exchange>{{"IEs12\r\n", "IEr12\r\n"},
                              {"IEs16\r\n", "IEr12\r\n"},
                              {"IGs1-61\r\n", "IGr10\r\n"},
                              {"IAs12\r\n", "IAr10\r\n"},
                              {"OMs02\r\n", "OMr00\r\n"}},
        // Not of its grammar: "ERR", nothing changes.
        std::vector<Exchange>{{"IEr2\r\n", "ERR\r\n"},
                              {"ITr1\r\n", "ERR\r\n"},
                              {"IGr4\r\n", "ERR\r\n"},
                              {"IGsx3\r\n", "ERR\r\n"},
                              {"IEs1abc\r\n", "ERR\r\n"},
                              {"IEs11234\r\n", "ERR\r\n"},
                              {"IEr1 5\r\n", "ERR\r\n"},
                              {"SSr1\r\n", "ERR\r\n"},
                              {"SSs2\r\n", "ERR\r\n"},
                              {"IEr1\r\n", "IEr10\r\n"}},
        // Several commands in one datagram, each answered.
        std::vector<Exchange>{{"IEs13\r\nIGs0-6\nIGr0\r\n", "IEr13\r\nIGr0-6\r\nIGr0-6\r\n"}}));

TEST(SimMicProcessor, SaveKeepsTheSettingsThatRunAfterARestart)
{
    SimMicProcessor mic;
    mic.handle("IEs13\r\n");
    EXPECT_EQ(mic.handle("SSs1\r\n"), QByteArray("SSs1\r\n"));
    EXPECT_EQ(mic.saveCount(), 1);
    mic.handle("IEs15\r\nOVs1-9\r\n");
    EXPECT_EQ(mic.live().aec, 5);
    EXPECT_EQ(mic.saved().aec, 3);
    mic.restart();
    EXPECT_EQ(mic.live(), mic.saved());
    EXPECT_EQ(mic.live().outGain[1], 0);
}

TEST(SimMicProcessor, OnlyItsOwnTextsAreForIt)
{
    for (const char* text : {"IEr1\r\n", "SSs1\r\n", "OVs2-6\r\n", "\r\nIGr0\r\n", "IEr2", "SSs9"})
        EXPECT_TRUE(SimMicProcessor::isForProcessor(text)) << text;
    for (const char* text : {"", "AT+VER?", "AT+CTL", "IEx1", "XXr1", "ie r1", "OK\r\nIEr1", "\xff\xfe"})
        EXPECT_FALSE(SimMicProcessor::isForProcessor(text)) << text;
}

TEST(SimMicProcessor, ManyLinesAreCutAndCounted)
{
    SimMicProcessor mic;
    QByteArray flood;
    for (int i = 0; i < 1000; ++i)
        flood += "IEr1\r\n";
    const QByteArray answer = mic.handle(flood);
    EXPECT_EQ(answer.count("\r\n"), SimMicProcessor::kMaxLines);
    EXPECT_EQ(mic.commandCount(), SimMicProcessor::kMaxLines);
}

TEST(SimMicProcessor, TunnelAnswersForTheProcessorAndEchoesTheRest)
{
    SimNetwork::Options o;
    o.rebootMs = 0;
    std::unique_ptr<SimNetwork> net = generated(2, o);
    EXPECT_EQ(net->tunnelEcho(0, "IEs12\r\n"), QByteArray("IEr12\r\n"));
    EXPECT_EQ(net->tunnelEcho(0, "AT+VER?"), QByteArray("AT+VER?\r\nOK\r\n")) << "other texts keep the echo";
    EXPECT_EQ(net->tunnelEcho(1, "IEr1\r\n"), QByteArray("IEr10\r\n")) << "each device has its own processor";
    EXPECT_EQ(net->device(0).state().tunnelDatagrams, 2);

    // Unsaved settings are gone after a reboot.
    net->tunnelEcho(0, "SSs1\r\n");
    net->tunnelEcho(0, "IEs15\r\n");
    net->startReboot(0);
    net->settleReboots();
    EXPECT_EQ(net->tunnelEcho(0, "IEr1\r\n"), QByteArray("IEr12\r\n"));
}

TEST(SimMicProcessor, ControlLineReadsAndPresets)
{
    std::unique_ptr<SimNetwork> net = generated(1);
    SimControl control(*net);
    const QString devId = net->device(0).devId();
    net->tunnelEcho(0, "IEs14\r\nSSs1\r\nOVs3-20\r\n");
    QJsonObject a = control.handleLine(compact({{"cmd", "mic"}, {"devId", devId}}));
    ASSERT_TRUE(a.value("ok").toBool()) << compact(a).toStdString();
    EXPECT_EQ(a.value("live").toObject().value("aec").toInt(), 4);
    EXPECT_EQ(a.value("live").toObject().value("outGain").toArray().at(3).toInt(), -20);
    EXPECT_EQ(a.value("saved").toObject().value("outGain").toArray().at(3).toInt(), 0);
    EXPECT_EQ(a.value("saves").toInt(), 1);
    EXPECT_EQ(a.value("commands").toInt(), 3);

    a = control.handleLine(compact(
        {{"cmd", "mic"}, {"devId", devId}, {"set", QJsonObject{{"afc", 2}, {"inGain", QJsonArray{-6, 0, 3, 24}}}}}));
    ASSERT_TRUE(a.value("ok").toBool()) << compact(a).toStdString();
    EXPECT_EQ(net->tunnelEcho(0, "IGr2\r\n"), QByteArray("IGr23\r\n"));
    EXPECT_EQ(net->device(0).state().mic.saved().afc, 2);

    const SimMicProcessor::Settings before = net->device(0).state().mic.live();
    for (const QJsonObject& bad :
         {QJsonObject{{"aec", 6}}, QJsonObject{{"aec", "3"}}, QJsonObject{{"aec", 2.5}},
          QJsonObject{{"inGain", QJsonArray{0, 0, 0}}}, QJsonObject{{"outMute", QJsonArray{0, 0, 0, 2}}},
          QJsonObject{{"volume", 1}}, QJsonObject{{"afc", 1}, {"agc", 9}}}) {
        a = control.handleLine(compact({{"cmd", "mic"}, {"devId", devId}, {"set", bad}}));
        EXPECT_FALSE(a.value("ok").toBool()) << compact(bad).toStdString();
    }
    EXPECT_EQ(net->device(0).state().mic.live(), before) << "a refused preset changes nothing";
    EXPECT_FALSE(control.handleLine(compact({{"cmd", "mic"}, {"devId", "nobody"}})).value("ok").toBool());
}

} // namespace

#include "RouteClickChecks.h"
#include "DevManager.h"
#include "RouteRequests.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

namespace {
using Req = RouteClickChecks::Request;
using Step = RouteClickChecks::Step;

RouteClickChecks::Facts unicast()
{
    RouteClickChecks::Facts f;
    f.senderKnown = f.receiverKnown = true;
    f.senderSampleRate = f.receiverSampleRate = 48000;
    f.senderIp = dvm_parseIp("192.168.1.10");
    f.receiverIp = dvm_parseIp("192.168.1.11");
    return f;
}

RouteClickChecks::Facts multicast()
{
    RouteClickChecks::Facts f = unicast();
    f.multicast = true;
    f.senderIp = dvm_parseIp("192.168.1.50");
    f.streamFrames = 48;
    f.receiverDelayUs = 1000; // 1 ms * 48 = 48 frames of buffer; 4 * 48 > 48 asks
    f.receiverFirmware = QStringLiteral("3.2.0.0");
    f.streamPort = 5004;
    return f;
}

/// Compact picture of a plan: "A:<text>" / "I:<text>" per step, then the request.
QStringList shape(const RouteClickChecks::Plan& p)
{
    QStringList out;
    for (const Step& s : p.steps)
        out << (s.kind == Step::Ask ? QStringLiteral("A:") : QStringLiteral("I:")) + s.text.left(12);
    switch (p.request) {
    case Req::None:
        out << "none";
        break;
    case Req::SetUcastRx:
        out << "setUcastRx";
        break;
    case Req::SetMcastRx:
        out << "setMcastRx";
        break;
    case Req::ClrRxCh:
        out << "clrRxCh";
        break;
    }
    return out;
}

struct Case
{
    const char* name;
    RouteClickChecks::Facts facts;
    QStringList expected;
};
} // namespace

TEST(RouteClickChecksTest, UnicastChecksInOrder)
{
    std::vector<Case> cases;
    cases.push_back({"plain", unicast(), {"setUcastRx"}});
    {
        auto f = unicast();
        f.senderKnown = false;
        cases.push_back({"missing sender", f, {"none"}});
    }
    {
        auto f = unicast();
        f.receiverSampleRate = 96000;
        f.receiverIp = dvm_parseIp("10.0.0.1"); // would ask, but the rate stops first
        cases.push_back({"rate", f, {"I:采样率不同不能创建路由", "none"}});
    }
    {
        auto f = unicast();
        f.receiverSampleRate = 96000;
        f.routed = true;
        cases.push_back({"routed ignores rate", f, {"clrRxCh"}});
    }
    {
        auto f = unicast();
        f.receiverIp = dvm_parseIp("10.0.0.1");
        f.streamSlotFree = false;
        f.rxChannelActive = true;
        f.existingSourceLabel = QStringLiteral("Alpha:NetOut1");
        cases.push_back({"all questions", f, {"A:two device n", "A:The device s", "A:Current rece", "setUcastRx"}});
    }
    {
        auto f = unicast();
        f.routed = true;
        f.rxChannelActive = true;
        f.streamSlotFree = false;
        cases.push_back({"routed skips replace", f, {"A:The device s", "clrRxCh"}});
    }
    for (const Case& c : cases)
        EXPECT_EQ(shape(RouteClickChecks::plan(c.facts)), c.expected) << c.name;
}

TEST(RouteClickChecksTest, MulticastChecksInOrder)
{
    std::vector<Case> cases;
    {
        auto f = multicast();
        f.receiverDelayUs = 4000; // 4 * 48 = 192 frames: fits
        cases.push_back({"plain", f, {"setMcastRx"}});
    }
    cases.push_back({"packet time", multicast(), {"A:Packet time ", "setMcastRx"}});
    {
        auto f = multicast();
        f.senderSampleRate = 44100;
        cases.push_back({"rate", f, {"I:采样率不同不能创建路由", "none"}});
    }
    {
        auto f = multicast();
        f.senderIp = f.receiverIp;
        cases.push_back({"own stream", f, {"I:组播由本设备创建，不能创", "none"}});
    }
    {
        // Text comparison: "3.1.10.0" sorts below "3.1.4.6".
        auto f = multicast();
        f.receiverDelayUs = 4000;
        f.receiverFirmware = QStringLiteral("3.1.10.0");
        f.streamPort = 5006;
        cases.push_back({"old firmware off port", f, {"I:Receiving mu", "none"}});
        f.streamPort = 5004;
        cases.push_back({"old firmware on 5004", f, {"setMcastRx"}});
    }
    {
        auto f = multicast();
        f.receiverIsVirtualCard = true;
        cases.push_back({"virtual card after question", f, {"A:Packet time ", "I:虚拟声卡不能作为接收设备", "none"}});
    }
    {
        auto f = multicast();
        f.routed = true;
        f.senderSampleRate = 44100;
        f.senderIp = f.receiverIp;
        cases.push_back({"routed clears", f, {"clrRxCh"}});
    }
    {
        auto f = multicast();
        f.receiverDelayUs = 4000;
        f.rxChannelActive = true;
        cases.push_back({"replace multicast", f, {"A:Current rece", "setMcastRx"}});
    }
    for (const Case& c : cases)
        EXPECT_EQ(shape(RouteClickChecks::plan(c.facts)), c.expected) << c.name;
}

TEST(RouteClickChecksTest, QuestionTextsFollowLanguageAndSource)
{
    auto f = unicast();
    f.rxChannelActive = true;
    f.existingSourceLabel = QStringLiteral("Alpha:2");
    EXPECT_EQ(RouteClickChecks::plan(f).steps.value(0).text,
              QStringLiteral("Current receiving channel already has a route:Alpha:2,Whether to replace?"));
    f.chinese = true;
    EXPECT_EQ(RouteClickChecks::plan(f).steps.value(0).text, QStringLiteral("当前接收通道已有路由:Alpha:2,是否替换?"));
    f.chinese = false;
    f.existingSourceLabel.clear();
    EXPECT_EQ(RouteClickChecks::plan(f).steps.value(0).text,
              QStringLiteral("Current receiving channel already has a multicast route,Whether to replace?"));
    auto m = multicast();
    m.receiverDelayUs = 4000;
    m.rxChannelActive = true;
    EXPECT_EQ(RouteClickChecks::plan(m).steps.value(0).text,
              QStringLiteral("Current receiving channel already has a mcast route, Whether to replace?"));
}

TEST(RouteClickChecksTest, SourceLabelFallbacks)
{
    EXPECT_EQ(RouteClickChecks::sourceLabel("MRD-1", true, "Alpha", "Mic L", 0), QStringLiteral("Alpha:Mic L"));
    EXPECT_EQ(RouteClickChecks::sourceLabel("MRD-1", true, "Alpha", "", 4), QStringLiteral("Alpha:5"));
    EXPECT_EQ(RouteClickChecks::sourceLabel("MRD-1", false, "", "", 1), QStringLiteral("MRD-1:2"));
}

TEST(RouteClickChecksTest, FirmwareComparisonIsText)
{
    EXPECT_TRUE(RouteClickChecks::firmwareBeforeAnyPort("3.1.10.0"));
    EXPECT_TRUE(RouteClickChecks::firmwareBeforeAnyPort("3.1.4.5"));
    EXPECT_TRUE(RouteClickChecks::firmwareBeforeAnyPort(""));
    EXPECT_FALSE(RouteClickChecks::firmwareBeforeAnyPort("3.1.4.6"));
    EXPECT_FALSE(RouteClickChecks::firmwareBeforeAnyPort("3.2"));
}

TEST(RouteClickChecksTest, RequestBodiesCarryTextValues)
{
    const QJsonObject u = QJsonDocument::fromJson(RouteRequests::setUcastRx("MRD-7", 2, 5).toUtf8()).object();
    EXPECT_EQ(u, QJsonObject({{"ops", "setUcastRx"}, {"srcDevId", "MRD-7"}, {"srcChId", "2"}, {"dstChId", "5"}}));
    EXPECT_EQ(RouteRequests::clrRxCh(0), QStringLiteral(R"({"dstChId":"0","ops":"clrRxCh"})"));
    StreamDesc s{dvm_parseIp("192.168.1.50"), dvm_parseIp("239.1.2.3"), 5006, 8, 3, 1234};
    const QJsonObject m = QJsonDocument::fromJson(RouteRequests::setMcastRx(s, 1, 3).toUtf8()).object();
    EXPECT_EQ(m.value("ops").toString(), "setMcastRx");
    EXPECT_EQ(m.value("srcChId").toString(), "1");
    EXPECT_EQ(m.value("dstChId").toString(), "3");
    EXPECT_EQ(m.value("sdp").toObject(), QJsonObject({{"srcIp", "192.168.1.50"},
                                                      {"dstIp", "239.1.2.3"},
                                                      {"dstPort", "5006"},
                                                      {"rtpTsOffset", "1234"},
                                                      {"chNum", "8"},
                                                      {"sampleByteNum", "3"}}));
}

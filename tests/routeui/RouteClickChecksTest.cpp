#include "RouteClickChecks.h"
#include "DevManager.h"
#include "RouteRequests.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <functional>
#include <gtest/gtest.h>

namespace {
using Facts = RouteClickChecks::Facts;
using Step = RouteClickChecks::Step;

/// A plain unicast click; `multicast` makes it a stream row whose packet time (48 frames against 1 ms of the
/// receiver's buffer: 4 x 48 > 48) asks first.
Facts facts(bool multicast)
{
    Facts f;
    f.senderKnown = f.receiverKnown = true;
    f.senderSampleRate = f.receiverSampleRate = 48000;
    f.senderIp = dvm_parseIp(multicast ? "192.168.1.50" : "192.168.1.10");
    f.receiverIp = dvm_parseIp("192.168.1.11");
    if (multicast) {
        f.multicast = true;
        f.streamFrames = 48;
        f.receiverDelayUs = 1000;
        f.receiverFirmware = QStringLiteral("3.2.0.0");
        f.streamPort = 5004;
    }
    return f;
}

/// Compact picture of a plan: "A:<text>" / "I:<text>" per step, then the request.
QStringList shape(const RouteClickChecks::Plan& p)
{
    QStringList out;
    for (const Step& s : p.steps)
        out << (s.kind == Step::Ask ? QStringLiteral("A:") : QStringLiteral("I:")) + s.text.left(12);
    using R = RouteClickChecks::Request;
    static const QMap<R, QString> names{
        {R::None, "none"}, {R::SetUcastRx, "setUcastRx"}, {R::SetMcastRx, "setMcastRx"}, {R::ClrRxCh, "clrRxCh"}};
    return out << names.value(p.request, QStringLiteral("?"));
}
} // namespace

TEST(RouteClickChecksTest, ChecksInOrder)
{
    struct Case
    {
        const char* name;
        bool multicast;
        std::function<void(Facts&)> change;
        QStringList expected;
    };
    const auto fits = [](Facts& f) { f.receiverDelayUs = 4000; }; // 4 x 48 = 192 frames
    const Case cases[] = {
        {"plain", false, [](Facts&) {}, {"setUcastRx"}},
        {"missing sender", false, [](Facts& f) { f.senderKnown = false; }, {"none"}},
        {"rate stops before the network question",
         false,
         [](Facts& f) {
             f.receiverSampleRate = 96000;
             f.receiverIp = dvm_parseIp("10.0.0.1");
         },
         {"I:采样率不同不能创建路由", "none"}},
        {"routed ignores rate",
         false,
         [](Facts& f) {
             f.receiverSampleRate = 96000;
             f.routed = true;
         },
         {"clrRxCh"}},
        {"all questions",
         false,
         [](Facts& f) {
             f.receiverIp = dvm_parseIp("10.0.0.1");
             f.streamSlotFree = false;
             f.rxChannelActive = true;
             f.existingSourceLabel = QStringLiteral("Alpha:NetOut1");
         },
         {"A:two device n", "A:The device s", "A:Current rece", "setUcastRx"}},
        {"routed skips replace",
         false,
         [](Facts& f) {
             f.routed = f.rxChannelActive = true;
             f.streamSlotFree = false;
         },
         {"A:The device s", "clrRxCh"}},
        {"stream fits", true, fits, {"setMcastRx"}},
        {"packet time", true, [](Facts&) {}, {"A:Packet time ", "setMcastRx"}},
        {"stream rate", true, [](Facts& f) { f.senderSampleRate = 44100; }, {"I:采样率不同不能创建路由", "none"}},
        {"own stream", true, [](Facts& f) { f.senderIp = f.receiverIp; }, {"I:组播由本设备创建，不能创", "none"}},
        // Text comparison: "3.1.10.0" sorts below "3.1.4.6".
        {"old firmware off port",
         true,
         [&](Facts& f) {
             fits(f);
             f.receiverFirmware = QStringLiteral("3.1.10.0");
             f.streamPort = 5006;
         },
         {"I:Receiving mu", "none"}},
        {"old firmware on 5004",
         true,
         [&](Facts& f) {
             fits(f);
             f.receiverFirmware = QStringLiteral("3.1.10.0");
         },
         {"setMcastRx"}},
        {"virtual card after question",
         true,
         [](Facts& f) { f.receiverIsVirtualCard = true; },
         {"A:Packet time ", "I:虚拟声卡不能作为接收设备", "none"}},
        {"routed stream clears",
         true,
         [](Facts& f) {
             f.routed = true;
             f.senderSampleRate = 44100;
             f.senderIp = f.receiverIp;
         },
         {"clrRxCh"}},
        {"replace multicast",
         true,
         [&](Facts& f) {
             fits(f);
             f.rxChannelActive = true;
         },
         {"A:Current rece", "setMcastRx"}},
    };
    for (const Case& c : cases) {
        Facts f = facts(c.multicast);
        c.change(f);
        EXPECT_EQ(shape(RouteClickChecks::plan(f)), c.expected) << c.name;
    }
}

TEST(RouteClickChecksTest, ReplaceQuestionFollowsLanguageAndSource)
{
    struct Case
    {
        bool multicast, chinese;
        const char *label, *text;
    };
    const Case cases[] = {
        {false, false, "Alpha:2", "Current receiving channel already has a route:Alpha:2,Whether to replace?"},
        {false, true, "Alpha:2", "当前接收通道已有路由:Alpha:2,是否替换?"},
        {false, false, "", "Current receiving channel already has a multicast route,Whether to replace?"},
        {true, false, "", "Current receiving channel already has a mcast route, Whether to replace?"},
    };
    for (const Case& c : cases) {
        Facts f = facts(c.multicast);
        f.receiverDelayUs = 4000;
        f.rxChannelActive = true;
        f.chinese = c.chinese;
        f.existingSourceLabel = QString::fromUtf8(c.label);
        EXPECT_EQ(RouteClickChecks::plan(f).steps.value(0).text, QString::fromUtf8(c.text));
    }
    EXPECT_EQ(RouteClickChecks::sourceLabel("MRD-1", true, "Alpha", "Mic L", 0), QStringLiteral("Alpha:Mic L"));
    EXPECT_EQ(RouteClickChecks::sourceLabel("MRD-1", true, "Alpha", "", 4), QStringLiteral("Alpha:5"));
    EXPECT_EQ(RouteClickChecks::sourceLabel("MRD-1", false, "", "", 1), QStringLiteral("MRD-1:2"));
    for (const char* v : {"3.1.10.0", "3.1.4.5", ""})
        EXPECT_TRUE(RouteClickChecks::firmwareBeforeAnyPort(v)) << v;
    for (const char* v : {"3.1.4.6", "3.2"})
        EXPECT_FALSE(RouteClickChecks::firmwareBeforeAnyPort(v)) << v;
}

TEST(RouteClickChecksTest, RequestBodiesCarryTextValues)
{
    const QJsonObject u = QJsonDocument::fromJson(RouteRequests::setUcastRx("MRD-7", 2, 5).toUtf8()).object();
    EXPECT_EQ(u, QJsonObject({{"ops", "setUcastRx"}, {"srcDevId", "MRD-7"}, {"srcChId", "2"}, {"dstChId", "5"}}));
    EXPECT_EQ(RouteRequests::clrRxCh(0), QStringLiteral(R"({"dstChId":"0","ops":"clrRxCh"})"));
    StreamDesc s{dvm_parseIp("192.168.1.50"), dvm_parseIp("239.1.2.3"), 5006, 8, 3, 1234};
    EXPECT_EQ(QJsonDocument::fromJson(RouteRequests::setMcastRx(s, 1, 3).toUtf8()).object(),
              QJsonDocument::fromJson(R"({"ops":"setMcastRx","srcChId":"1","dstChId":"3","sdp":{"srcIp":"192.168.1.50",
                  "dstIp":"239.1.2.3","dstPort":"5006","rtpTsOffset":"1234","chNum":"8","sampleByteNum":"3"}})")
                  .object());
}

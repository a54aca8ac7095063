#include "RouteClickChecks.h"
#include "DevManager.h"
#include "RouteRequests.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <gtest/gtest.h>

namespace {
using Facts = RouteClickChecks::Facts;
using Step = RouteClickChecks::Step;

/// A plain click changed by `changes`, words of: "stream" (a stream row whose packet time, 48 frames against 1 ms
/// of the receiver's buffer, asks first), "fits" (4 ms of buffer), "routed", "active" (the channel has a feed),
/// "label" (of its unicast source), "busy" (no transmit slot), "far" (another network), "unknown" (sender),
/// "rxRate"/"txRate" (differ), "own" (stream sent by the receiver), "oldFw", "port" (5006), "vsc".
Facts facts(const QString& changes)
{
    const QStringList c = changes.split(' ', Qt::SkipEmptyParts);
    const QStringList words{"stream",  "fits",   "routed", "active", "label", "busy", "far",
                            "unknown", "rxRate", "txRate", "own",    "oldFw", "port", "vsc"};
    for (const QString& w : c)
        EXPECT_TRUE(words.contains(w)) << "unknown change " << w.toStdString();
    Facts f;
    f.senderKnown = !c.contains("unknown");
    f.receiverKnown = true;
    f.senderSampleRate = c.contains("txRate") ? 44100 : 48000;
    f.receiverSampleRate = c.contains("rxRate") ? 96000 : 48000;
    f.multicast = c.contains("stream");
    f.receiverIp = dvm_parseIp("192.168.1.11");
    f.senderIp = c.contains("own") ? f.receiverIp : dvm_parseIp(f.multicast ? "192.168.1.50" : "192.168.1.10");
    if (c.contains("far"))
        f.receiverIp = dvm_parseIp("10.0.0.1");
    f.routed = c.contains("routed");
    f.rxChannelActive = c.contains("active");
    f.streamSlotFree = !c.contains("busy");
    if (c.contains("label"))
        f.existingSourceLabel = QStringLiteral("Alpha:NetOut1");
    if (f.multicast) {
        f.streamFrames = 48;
        f.receiverDelayUs = c.contains("fits") ? 4000 : 1000;
        f.receiverFirmware = QString::fromLatin1(c.contains("oldFw") ? "3.1.10.0" : "3.2.0.0");
        f.streamPort = c.contains("port") ? 5006 : 5004;
        f.receiverIsVirtualCard = c.contains("vsc");
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
    const std::pair<const char*, QStringList> cases[] = {
        {"", {"setUcastRx"}},
        {"unknown", {"none"}},
        {"rxRate far", {"I:采样率不同不能创建路由", "none"}}, // the rate stops before the network question
        {"rxRate routed", {"clrRxCh"}},
        {"far busy active label", {"A:two device n", "A:The device s", "A:Current rece", "setUcastRx"}},
        {"routed active busy", {"A:The device s", "clrRxCh"}}, // a routed cell is cleared, not replaced
        {"stream fits", {"setMcastRx"}},
        {"stream", {"A:Packet time ", "setMcastRx"}},
        {"stream txRate", {"I:采样率不同不能创建路由", "none"}},
        {"stream own", {"I:组播由本设备创建，不能创", "none"}},
        // Text comparison: "3.1.10.0" sorts below "3.1.4.6".
        {"stream fits oldFw port", {"I:Receiving mu", "none"}},
        {"stream fits oldFw", {"setMcastRx"}},
        {"stream vsc", {"A:Packet time ", "I:虚拟声卡不能作为接收设备", "none"}},
        {"stream routed txRate own", {"clrRxCh"}},
        {"stream fits active", {"A:Current rece", "setMcastRx"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(shape(RouteClickChecks::plan(facts(c.first))), c.second) << c.first;
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
        Facts f = facts(c.multicast ? "stream fits active" : "active");
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

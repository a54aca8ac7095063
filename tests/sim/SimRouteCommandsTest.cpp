// Route requests under the route lock, and delay statistics, straight through the handlers.

#include "SimTestUtil.h"

using namespace simtest;

namespace {

QVector<SimDeviceConfig> network()
{
    QVector<SimDeviceConfig> c{bare("10.0.0.1", 8), bare("10.0.0.2", 8), bare("10.0.0.3", 8)};
    c[0].mcastTx = {{QStringLiteral("m"), ip("239.69.0.1"), 5004, {0, 1}}};
    c[1].mcastRx = {{ip("239.69.0.1"), {6, 7}}};
    return c;
}

} // namespace

TEST(SimRouteCommands, TheRouteLockRefusesEveryRouteChange)
{
    Bench b(network());
    ASSERT_TRUE(b.net->route(b.net->device(1).devId(), 4, b.net->device(2).devId(), 0).ok());
    const QJsonObject before = b.net->dump();
    b.net->device(1).setLockMask(0x10003); // routes read-only, details hidden
    for (const QJsonObject& r :
         {req("setUcastRx", {{"srcDevId", "MD0A000001"}, {"srcChId", "1"}, {"dstChId", "0"}}),
          req("clrRxCh", {{"dstChId", "4"}}), req("setMcastRx", {{"srcChId", "0"}, {"dstChId", "1"}})}) {
        const QJsonObject a = b.one(1, r);
        EXPECT_EQ(a.value("result").toString(), "fail") << compact(r).toStdString();
        EXPECT_EQ(a.value("reason").toString(), "LOCK_UCAST_MCAST");
        EXPECT_EQ(a.value("dstChId"), r.value("dstChId"));
    }
    EXPECT_EQ(b.net->dump(), before) << "a locked device changes no route";

    // Detail lock alone does not stop routes.
    b.net->device(1).setLockMask(0x2);
    EXPECT_EQ(b.result(1, req("clrRxCh", {{"dstChId", "4"}})), "succ");
    EXPECT_LT(b.net->device(1).rxChMap()[4], 0);
}

TEST(SimRouteCommands, UnlockedRouteRequestsApplyThroughTheNetwork)
{
    Bench b(network());
    auto route = [](const char* srcDevId, const char* srcCh, const char* dstCh) {
        return req("setUcastRx", {{"srcDevId", srcDevId}, {"srcChId", srcCh}, {"dstChId", dstCh}});
    };
    const QJsonObject set = b.one(2, route("MD0A000002", "3", "5"));
    EXPECT_EQ(set.value("result").toString(), "succ");
    EXPECT_EQ(set.value("srcDevId").toString(), "MD0A000002");
    const SimDevice& rx = b.net->device(2);
    const int rtp = rx.rxChMap()[5];
    ASSERT_GE(rtp, 0);
    EXPECT_EQ(rx.rtpChannels()[rtp].srcDevId, "MD0A000002");
    EXPECT_EQ(rx.rtpChannels()[rtp].srcChId, 3);
    EXPECT_TRUE(b.net->device(1).ucastTx()[0].used) << "the sender's side follows";

    // The network's refusals come back with their reason.
    for (const QJsonObject& bad :
         {route("MD0A0000FF", "0", "0"), route("MD0A000003", "0", "0") /* itself */, route("MD0A000002", "0", "8"),
          route("MD0A000002", "x", "1"), req("clrRxCh", {{"dstChId", "99"}})}) {
        const QJsonObject r = b.one(2, bad);
        EXPECT_EQ(r.value("result").toString(), "fail") << compact(bad).toStdString();
        EXPECT_FALSE(r.value("reason").toString().isEmpty()) << compact(bad).toStdString();
    }
    EXPECT_EQ(b.one(2, req("setMcastRx", {{"srcChId", "0"}, {"dstChId", "1"}})).value("reason").toString(),
              "invalid sdp")
        << "a join needs the stream's description";

    EXPECT_EQ(b.result(2, req("clrRxCh", {{"dstChId", "5"}})), "succ");
    EXPECT_LT(rx.rxChMap()[5], 0);
    EXPECT_FALSE(b.net->device(1).ucastTx()[0].used);
}

TEST(SimRouteCommands, DelayStatisticsGrowUntilCleared)
{
    Bench b(network());
    ASSERT_TRUE(b.net->route(b.net->device(1).devId(), 0, b.net->device(0).devId(), 0).ok());
    auto stats = [&b](const char* ops, const char* sdpId) { return b.one(1, req(ops, {{"sdpId", sdpId}})); };
    auto n = [](const QJsonObject& o, const char* key) { return num(o.value(QLatin1String(key))); };
    const char* const buckets[] = {"in125", "in250", "in500", "in1ms", "in2ms", "in4ms", "out4ms"};

    b.now += 10000;
    const QJsonObject first = stats("getUcastStats", "0");
    EXPECT_EQ(first.value("result").toString(), "succ");
    EXPECT_EQ(first.value("sdpId").toString(), "0");
    int sum = 0;
    for (const char* k : buckets)
        sum += n(first, k);
    EXPECT_EQ(n(first, "total"), sum);
    EXPECT_GT(n(first, "total"), 9000) << "about 1000 packets a second";
    EXPECT_LE(n(first, "total"), 10000);
    EXPECT_GT(n(first, "avgUs"), 0);
    EXPECT_GE(n(first, "maxUs"), n(first, "avgUs"));
    for (const char* k : {"notContinue", "exceedDelay"})
        EXPECT_TRUE(first.value(k).isString()) << k;

    b.now += 5000;
    const QJsonObject later = stats("getUcastStats", "0");
    for (const char* k : buckets)
        EXPECT_GE(n(later, k), n(first, k)) << k;
    EXPECT_NEAR(n(later, "total") - n(first, "total"), 5000, 10);

    const QJsonObject cleared = stats("clrUcastStats", "0");
    EXPECT_EQ(cleared.value("result").toString(), "succ");
    for (const char* k : {"total", "in125", "out4ms", "avgUs", "maxUs", "notContinue", "exceedDelay"})
        EXPECT_EQ(cleared.value(k).toString(), "0") << k;
    b.now += 2000;
    EXPECT_NEAR(n(stats("getUcastStats", "0"), "total"), 2000, 10) << "counting starts again at the clear";

    // The multicast stream counts on its own.
    EXPECT_GT(n(stats("getMcastStats", "0"), "total"), 16000);
    for (const auto& bad : {std::make_pair("getUcastStats", "1"), std::make_pair("getMcastStats", "1"),
                            std::make_pair("clrMcastStats", "-1"), std::make_pair("clrUcastStats", "x")}) {
        const QJsonObject r = stats(bad.first, bad.second);
        EXPECT_EQ(r.value("result").toString(), "fail") << bad.first << " " << bad.second;
        EXPECT_EQ(r.value("reason").toString(), "invalid sdpId");
    }
    EXPECT_EQ(stats("getUcastStats", "0").value("result").toString(), "succ");
    EXPECT_EQ(b.result(0, req("getUcastStats", {{"sdpId", "0"}})), "fail") << "the sender receives nothing";
}

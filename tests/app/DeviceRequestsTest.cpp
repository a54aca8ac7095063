#include "DeviceRequests.h"

#include "DevManager.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <gtest/gtest.h>

namespace {

TEST(DeviceRequestsCompose, CompactSortedAndEveryScalarAsText)
{
    QJsonObject o;
    o.insert("ops", "setX");
    o.insert("val", 48000);
    o.insert("gain", -1.5);
    o.insert("on", true);
    o.insert("none", QJsonValue::Null);
    o.insert("arr", QJsonArray{1, 2});
    EXPECT_EQ(DeviceRequests::compose(o),
              QByteArray(R"({"arr":[1,2],"gain":"-1.5","none":"","on":"1","ops":"setX","val":"48000"})"));
}

TEST(DeviceRequestsCompose, LargeIdsStayDecimalIntegers)
{
    QJsonObject o;
    o.insert("ops", "clrMcastTx");
    o.insert("dstIp", double(4026531841u));
    EXPECT_EQ(DeviceRequests::compose(o), QByteArray(R"({"dstIp":"4026531841","ops":"clrMcastTx"})"));
}

TEST(DeviceRequestsFirst, OrderPortsAndBodies)
{
    const uint32_t ip = dvm_parseIp("192.168.1.20");
    const QVector<DeviceRequests::Request> r = DeviceRequests::firstRequests(ip, 9990);
    const std::vector<std::pair<QByteArray, uint16_t>> expected = {
        {R"({"ops":"getLock"})", 9995},
        {R"({"ops":"getLock","uiTag":"dspUiTag"})", 8999},
        {R"({"isByself":"isByself","new":"","old":"","ops":"setPassword"})", 9994},
        {R"({"idStart":"0","ops":"getAllChNameRx"})", 9990},
        {R"({"ops":"getVersion"})", 9994},
        {R"({"ops":"getDebugInfo"})", 9994},
        {R"({"name":"customOemType","ops":"getOemData"})", 9994},
        {R"({"ops":"getIp"})", 9994},
        {R"({"ops":"getCustomStr"})", 9990},
    };
    ASSERT_EQ(r.size(), int(expected.size()));
    for (int i = 0; i < r.size(); ++i) {
        EXPECT_EQ(r[i].bytes, expected[size_t(i)].first) << i;
        EXPECT_EQ(r[i].port, expected[size_t(i)].second) << i;
        EXPECT_EQ(r[i].ip, ip) << i;
    }
}

TEST(DeviceRequestsFirst, UnusableCommandPortSkipsOnlyItsRequests)
{
    for (int port : {0, -1, 65536}) {
        const QVector<DeviceRequests::Request> r = DeviceRequests::firstRequests(1, port);
        ASSERT_EQ(r.size(), 7) << port;
        for (const DeviceRequests::Request& q : r) {
            EXPECT_FALSE(q.bytes.contains("getAllChNameRx")) << port;
            EXPECT_FALSE(q.bytes.contains("getCustomStr")) << port;
        }
    }
}

TEST(DeviceRequestsSend, CountsOnlyWholeSends)
{
    dvm_setSendHook(nullptr, nullptr);
    EXPECT_EQ(DeviceRequests::sendAll(DeviceRequests::firstRequests(1, 9990)), 0);
    static int calls = 0;
    calls = 0;
    dvm_setSendHook(
        [](void*, const char*, int length, uint32_t, uint16_t) {
            ++calls;
            return calls == 2 ? length - 1 : length;
        },
        nullptr);
    EXPECT_EQ(DeviceRequests::sendAll(DeviceRequests::firstRequests(1, 9990)), 8);
    EXPECT_EQ(calls, 9);
    dvm_setSendHook(nullptr, nullptr);
}

} // namespace

#include "ReplyDispatcher.h"
#include "DevDetailStore.h"
#include "DevManager.h"
#include "ReplyDecoders.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>
#include <vector>

namespace {

const uint32_t kDevIp = 0x0A4D000B; // 10.77.0.11
const uint32_t kModuleIp = 0x0A4D0063;

struct Sent
{
    QJsonObject msg;
    uint32_t ip;
    uint16_t port;
};

int captureSend(void* ctx, const char* data, int length, uint32_t ip, uint16_t port)
{
    static_cast<std::vector<Sent>*>(ctx)->push_back(
        {QJsonDocument::fromJson(QByteArray(data, length)).object(), ip, port});
    return length;
}

class ReplyDispatcherTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dvm_resetForTest();
        dvm_setSendHook(&captureSend, &sent);
        const QByteArray a = R"({"ops":"iAmVeranto","devId":"DEV1","name":"Box","ip":"10.77.0.11","port":"9990",)"
                             R"("chNumRx":"4","chNumTx":"2","phyChNumTx":"1","phyChNumRx":"1","sampleRate":"48000"})";
        userCallLib_handleUdp_mcast(a.constData(), a.size(), kDevIp, 9996);
        ASSERT_EQ(store.addFromRegistry("DEV1"), DevDetailStore::Added);
    }
    void TearDown() override
    {
        dvm_setSendHook(nullptr, nullptr);
        dvm_resetForTest();
    }
    void reply(const QByteArray& text, uint32_t from = kDevIp)
    {
        dispatcher.dispatch(text.constData(), text.size(), from);
    }
    QJsonObject lastMessage() const { return QJsonDocument::fromJson(messages.back().toUtf8()).object(); }
    DevDetail_t detail() const { return store.getDevDetail("DEV1"); }

    std::vector<Sent> sent;
    std::vector<QString> messages, chNameRefreshes, tips, reboots;
    std::vector<int> chNameUpdates;
    int routeRefreshes = 0;
    DevDetailStore store;
    ReplyDispatcher dispatcher{store, ReplyDispatcher::Sink{
                                          [this](const QString& m) { messages.push_back(m); },
                                          [this](const QString& m) { chNameRefreshes.push_back(m); },
                                          [this](int v) { chNameUpdates.push_back(v); },
                                          [this](const QString& t) { tips.push_back(t); },
                                          [this]() { ++routeRefreshes; },
                                          [this](const QString& d) { reboots.push_back(d); },
                                      }};
};

} // namespace

TEST_F(ReplyDispatcherTest, RepliesAreAttributedByAddressOrDropped)
{
    reply(R"({"ops":"setDelayUs","result":"succ","devId":"OTHER"})");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(lastMessage().value("devId").toString(), "DEV1") << "set devId overrides";

    reply(R"({"ops":"getGpioInfo","devId":"KEEP"})");
    EXPECT_EQ(lastMessage().value("devId").toString(), "KEEP") << "filled only when missing";

    reply(R"({"ops":"setDelayUs","result":"succ"})", 0x0A4D00FE);
    EXPECT_EQ(messages.size(), 2u) << "unknown sender dropped";

    store.setReplyAddress("DEV1", kModuleIp);
    reply(R"({"ops":"setGain","result":"succ"})", kModuleIp);
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(lastMessage().value("devId").toString(), "DEV1") << "module address attributed to its host";
}

TEST_F(ReplyDispatcherTest, TunnelReturnReachesTheWindowsTwice)
{
    reply("OK\r\n");
    ASSERT_EQ(messages.size(), 2u);
    const QJsonObject o = lastMessage();
    EXPECT_EQ(o.value("ops").toString(), "sendUdpToUart");
    EXPECT_EQ(o.value("back").toString(), "OK\r\n");
    EXPECT_EQ(o.value("devId").toString(), "DEV1");
}

TEST_F(ReplyDispatcherTest, SetIpIsNamedByDevIdAndExpiresTheDevice)
{
    reply(R"({"ops":"setIp","devId":"DEV1","result":"succ"})", 0x0A0000FE);
    ASSERT_EQ(messages.size(), 1u);
    userCallLib_timer(20);
    EXPECT_EQ(findDevById("DEV1"), nullptr);
}

TEST_F(ReplyDispatcherTest, RewritesIntoTheWindowsVocabulary)
{
    reply(R"({"ops":"setChNameTx","id":"1","name":"Main R","result":"succ"})");
    QJsonObject o = lastMessage();
    EXPECT_EQ(o.value("ops").toString(), "setChName");
    EXPECT_EQ(o.value("inOrOut").toString(), "1");
    EXPECT_EQ(o.value("ch").toString(), "1");
    EXPECT_EQ(o.value("name").toString(), "Main R") << "keys are kept";
    EXPECT_EQ(detail().txChNames.value(1), "Main R");
    EXPECT_EQ(chNameRefreshes.size(), 1u);

    reply(R"({"ops":"setPhyChNameRx","id":"0","name":"Mic"})");
    EXPECT_EQ(lastMessage().value("ops").toString(), "setPhyChNameRx");
    EXPECT_EQ(detail().phyRxChNames.value(0), "Mic");

    reply(R"({"ops":"setChNameRx","id":"99","name":"Out of range"})");
    EXPECT_EQ(detail().rxChNames.size(), 4) << "an id outside the list is ignored";

    reply(R"({"ops":"getAllPhyGainDbRx","idStart":"0","arr":[]})");
    o = lastMessage();
    EXPECT_EQ(o.value("ops").toString(), "getAllPhyGain");
    EXPECT_EQ(o.value("inOrOut").toString(), "0");
    reply(R"({"ops":"getMcastStats","sdpId":"1"})");
    EXPECT_EQ(lastMessage().value("ops").toString(), "getDelayStatMcast");
}

TEST_F(ReplyDispatcherTest, DetailFieldsFollowTheReplies)
{
    const struct
    {
        const char* reply;
        QJsonObject detail; ///< fields of the detail afterwards
        bool emitted;
    } steps[] = {
        {R"({"ops":"getLock","val":"0x10001"})", {{"routeLock", 1}, {"detailLock", 2}}, false},
        {R"({"ops":"getCustomStr","str":"Hall B"})", {{"customStr", "Hall B"}}, false},
        {R"({"ops":"getVersion","oemCode":" ","version":"1.4.2-20260101\n","ptpPriority":"128","sampleRateArr":"48000"})",
         {{"oemCode", "000000"},
          {"firmwareVersion", "1.4.2"},
          {"firmwareBuild", "20260101"},
          {"ptpPriority", 128},
          {"sampleRates", QJsonArray{"48000"}}}, // no comma: the current rate
         true},
        // The address is taken only for a fixed address.
        {R"({"ops":"getIp","fixedIp":"0","ip":"1.2.3.4"})", {{"fixedIp", ""}}, true},
        {R"({"ops":"getIp","fixedIp":"1","ip":"10.77.0.11","gw":"10.77.0.1","dns":"10.77.0.1"})",
         {{"fixedIp", "10.77.0.11"}},
         true},
        {R"({"ops":"setPassword","result":"succ","old":"","new":""})", {{"passwordSet", 0}}, true},
        {R"({"ops":"setPassword","result":"fail","reason":"mismatch"})", {{"passwordSet", 1}}, true},
        {R"({"ops":"setSampleByteNum","result":"fail","sampleByteNum":"4"})", {{"sampleByteNum", 0}}, true},
        {R"({"ops":"getDebugInfo","result":"succ","model":" MRD-A16 ","temp":"45000"})",
         {{"model", "MRD-A16"}, {"temperature", "45000"}},
         true},
        // Tagged replies reach the windows unchanged, and still update the detail.
        {R"({"ops":"getLock","uiTag":"dspUiTag","val":"0x3"})", {{"dspLockLevel", 1}}, true},
        {R"({"ops":"setDelayUs","uiTag":"superMatrixUiTag"})", {}, true},
        {R"({"ops":"getVolumeDb","cookie":"0"})", {}, true},
    };
    for (const auto& s : steps) {
        const size_t before = messages.size();
        reply(s.reply);
        EXPECT_EQ(messages.size(), before + (s.emitted ? 1 : 0)) << s.reply;
        const QJsonObject d = detail().toJson();
        for (auto it = s.detail.begin(); it != s.detail.end(); ++it)
            EXPECT_EQ(d.value(it.key()), it.value()) << s.reply << " " << it.key().toStdString();
    }
    QJsonObject tagged = lastMessage();
    tagged.remove("devId"); // filled in when missing
    EXPECT_EQ(tagged, QJsonDocument::fromJson(steps[11].reply).object()) << "tagged: forwarded unchanged";
}

TEST_F(ReplyDispatcherTest, RouteRefusalsBecomeTipsNotMessages)
{
    reply(R"({"ops":"setUcastRx","result":"fail","reason":"LOCK_UCAST_MCAST"})");
    reply(R"({"ops":"setMcastRx","result":"fail","reason":"busy"})");
    EXPECT_TRUE(messages.empty());
    ASSERT_EQ(tips.size(), 2u);
    EXPECT_EQ(tips[1], "setRx fail");
    EXPECT_EQ(routeRefreshes, 1);
    reply(R"({"ops":"setUcastRx","result":"succ"})");
    EXPECT_EQ(messages.size(), 1u);
}

TEST_F(ReplyDispatcherTest, CreatedOrRemovedMulticastStreamsRefetchTheTransmitTables)
{
    DevRecord* rec = findDevById("DEV1");
    ASSERT_NE(rec, nullptr);
    auto markFetched = [rec] {
        rec->tables.fetched[DVM_T_UCAST_TX] = dvm_expectedCount(rec, DVM_T_UCAST_TX) + 1;
        rec->tables.fetched[DVM_T_MCAST_TX] = dvm_expectedCount(rec, DVM_T_MCAST_TX) + 1;
    };
    markFetched();
    reply(R"({"ops":"setMcastTx","result":"fail","reason":"no free sdpId"})");
    EXPECT_NE(rec->tables.fetched[DVM_T_MCAST_TX], 0) << "a refused creation changes nothing";
    reply(R"({"ops":"setMcastTx","result":"succ"})");
    EXPECT_EQ(rec->tables.fetched[DVM_T_MCAST_TX], 0);
    EXPECT_EQ(rec->tables.fetched[DVM_T_UCAST_TX], 0);
    EXPECT_EQ(lastMessage().value("devId").toString(), "DEV1");

    markFetched();
    reply(R"({"ops":"clrMcastTx","result":"succ","dstIp":"4009820417"})");
    EXPECT_EQ(rec->tables.fetched[DVM_T_MCAST_TX], 0);
    EXPECT_EQ(messages.size(), 3u);
}

TEST_F(ReplyDispatcherTest, RebootIsConfirmedOnlyOnSuccess)
{
    reply(R"({"ops":"reboot","result":"fail"})");
    reply(R"({"ops":"reboot","result":"succ"})");
    ASSERT_EQ(reboots.size(), 1u);
    EXPECT_EQ(reboots[0], "DEV1");
}

TEST_F(ReplyDispatcherTest, ChannelNamesAreReadOutListByList)
{
    reply(R"({"ops":"getAllChNameRx","idStart":"0","idNext":"2","arr":[{"id":"0","name":"A"},{"id":"1","name":"B"}]})");
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].msg, (QJsonObject{{"ops", "getAllChNameRx"}, {"idStart", "2"}}));
    EXPECT_EQ(sent[0].ip, kDevIp);
    EXPECT_EQ(sent[0].port, 9990);
    reply(R"({"ops":"getAllChNameRx","idStart":"2","idNext":"4","arr":[{"id":"3","name":"D"}]})");
    EXPECT_EQ(sent.back().msg.value("ops").toString(), "getAllChNameTx");
    EXPECT_EQ(sent.back().msg.value("idStart").toString(), "0");
    reply(R"({"ops":"getAllChNameTx","idStart":"0","idNext":"2","arr":[{"id":"0","name":"L"}]})");
    reply(R"({"ops":"getAllPhyChNameTx","idStart":"0","idNext":"1","arr":[]})");
    EXPECT_TRUE(chNameUpdates.empty());
    reply(R"({"ops":"getAllPhyChNameRx","idStart":"0","idNext":"1","arr":[{"id":"0","name":"Mic"}]})");
    EXPECT_EQ(chNameUpdates, std::vector<int>{0});
    EXPECT_TRUE(messages.empty()) << "the read-out is not emitted";
    const DevDetail_t d = detail();
    EXPECT_EQ(d.rxChNames, (QStringList{"A", "B", "NetIn3", "D"}));
    EXPECT_EQ(d.txChNames.value(0), "L");
    EXPECT_EQ(d.phyRxChNames.value(0), "Mic");
}

TEST_F(ReplyDispatcherTest, StuckOrOvershootingPagesDoNotLoop)
{
    // A device repeating its page would otherwise be asked again at network speed.
    reply(R"({"ops":"getAllChNameRx","idStart":"2","idNext":"2","arr":[]})");
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].msg.value("ops").toString(), "getAllChNameTx");
    reply(R"({"ops":"getAllChNameTx","idStart":"0","idNext":"500","arr":[]})");
    EXPECT_EQ(sent.back().msg.value("ops").toString(), "getAllPhyChNameTx");
}

TEST(ReplyDecoders, LockMasks)
{
    EXPECT_EQ(ReplyDecoders::lockMask("0x10001"), 0x10001u);
    EXPECT_EQ(ReplyDecoders::lockMask("65537"), 0x10001u);
    EXPECT_EQ(ReplyDecoders::lockMask("junk"), 0u);
    const auto lock = ReplyDecoders::deviceLock("2");
    EXPECT_EQ(lock.routeLock, 0);
    EXPECT_EQ(lock.detailLock, 1);
    const std::pair<const char*, int> dsp[] = {{"0x0", 0}, {"3", 1}, {"0x1", 2}, {"0x10003", 3}, {"0x2", 0}};
    for (const auto& c : dsp)
        EXPECT_EQ(ReplyDecoders::dspLockLevel(c.first), c.second) << c.first;
}

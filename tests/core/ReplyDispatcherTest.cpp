#include "ReplyDispatcher.h"
#include "DevDetailStore.h"
#include "DevManager.h"
#include "PendingRequests.h"
#include "ReplyDecoders.h"
#include "StoreTestSupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>
#include <vector>

namespace {

const uint32_t kDevIp = 0x0A4D000B; // 10.77.0.11
const uint32_t kModuleIp = 0x0A4D0063;
const uint16_t kDevPort = 9990;

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
    void reply(const QByteArray& text, uint32_t from = kDevIp, uint16_t port = kDevPort)
    {
        dispatcher.dispatch(text.constData(), text.size(), from, port);
    }
    void announce(const char* devId, const char* ip)
    {
        const QByteArray a = QByteArray(R"({"ops":"iAmVeranto","devId":")") + devId + R"(","name":"x","ip":")" + ip +
                             R"(","port":"9990"})";
        userCallLib_handleUdp_mcast(a.constData(), a.size(), dvm_parseIp(ip), 9996);
    }
    QJsonObject lastMessage() const { return QJsonDocument::fromJson(messages.back().toUtf8()).object(); }
    DevDetail_t detail() const { return store.getDevDetail("DEV1"); }

    std::vector<Sent> sent;
    std::vector<QString> messages, chNameRefreshes, tips, reboots;
    std::vector<int> chNameUpdates;
    int routeRefreshes = 0;
    qint64 nowMs = 0;
    PendingRequests pending{[this] { return nowMs; }};
    DevDetailStore store;
    ReplyDispatcher dispatcher{store,
                               ReplyDispatcher::Sink{
                                   [this](const QString& m) { messages.push_back(m); },
                                   [this](const QString& m) { chNameRefreshes.push_back(m); },
                                   [this](int v) { chNameUpdates.push_back(v); },
                                   [this](const QString& t) { tips.push_back(t); },
                                   [this]() { ++routeRefreshes; },
                                   [this](const QString& d) { reboots.push_back(d); },
                               },
                               pending};
};

} // namespace

TEST_F(ReplyDispatcherTest, RepliesSpeakOnlyForTheDeviceTheyCameFrom)
{
    announce("DEV2", "10.77.0.12");
    ASSERT_TRUE(store.setReplyAddress("DEV1", kModuleIp));
    // Every kind of reply naming another device (or none) is emitted as the attributed device's.
    const struct
    {
        const char* reply;
        uint32_t from;
        uint16_t port;
        int emitted; ///< messages emitted (a tunnel return is emitted twice)
    } cases[] = {
        {R"({"ops":"setDelayUs","result":"succ","devId":"DEV2"})", kDevIp, kDevPort, 1},
        {R"({"ops":"getGpioInfo","devId":"DEV2"})", kDevIp, 9992, 1},
        {R"({"ops":"setDevName","name":"Stolen","devId":"DEV2"})", kDevIp, kDevPort, 1},
        {R"({"ops":"getLock","uiTag":"dspUiTag","val":"0x3","devId":"DEV2"})", kDevIp, 8999, 1},
        {R"({"ops":"setMatrix","uiTag":"superMatrixUiTag","devId":"DEV2"})", kDevIp, 8999, 1},
        {R"({"ops":"getVolumeDb","cookie":"0","devId":"DEV2"})", kDevIp, 8999, 1},
        {R"({"ops":"someNewReply","devId":"DEV2"})", kDevIp, 12000, 1},
        {R"({"ops":"setGain","result":"succ"})", kModuleIp, 12001, 1},
        {"OK\r\n", kDevIp, 7999, 2},
        // Dropped: unknown address, or a port the device does not answer from.
        {R"({"ops":"setDelayUs","result":"succ","devId":"DEV1"})", 0x0A4D00FE, kDevPort, 0},
        {R"({"ops":"setDelayUs","result":"succ","devId":"DEV1"})", kDevIp, 40000, 0},
        {R"({"ops":"setGain","result":"succ","devId":"DEV1"})", kModuleIp, 40000, 0},
    };
    for (const auto& c : cases) {
        const size_t before = messages.size();
        reply(c.reply, c.from, c.port);
        ASSERT_EQ(messages.size(), before + size_t(c.emitted)) << c.reply;
        if (c.emitted) {
            EXPECT_EQ(lastMessage().value("devId").toString(), "DEV1") << c.reply;
        }
    }
    EXPECT_EQ(detail().name, "Stolen") << "the rename is the sender's own";
    EXPECT_EQ(detail().dspLockLevel, 1);
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

TEST_F(ReplyDispatcherTest, RegistryChangingRepliesMustAnswerOurRequest)
{
    announce("DEV2", "10.77.0.12");
    const uint32_t dev2Ip = dvm_parseIp("10.77.0.12");
    // Unsolicited: from the device itself, naming itself or another device; nothing changes.
    reply(R"({"ops":"setIp","devId":"DEV1","result":"succ"})", kDevIp, 9994);
    reply(R"({"ops":"setIp","devId":"DEV2","result":"succ"})", kDevIp, 9994);
    reply(R"({"ops":"reboot","result":"succ"})", kDevIp, 9994);
    // A request to DEV2 is not answered by DEV1 naming DEV2.
    pending.note(PendingRequests::SetIp, "DEV2", 0);
    reply(R"({"ops":"setIp","devId":"DEV2","result":"succ"})", kDevIp, 9994);
    userCallLib_timer(20);
    EXPECT_NE(findDevById("DEV1"), nullptr);
    EXPECT_NE(findDevById("DEV2"), nullptr);
    EXPECT_TRUE(reboots.empty());
    EXPECT_TRUE(messages.empty()) << "unsolicited replies reach no window";

    // Solicited, but answered after the time limit: ignored.
    pending.note(PendingRequests::Reboot, QString(), kDevIp);
    nowMs += PendingRequests::kLifeMs;
    reply(R"({"ops":"reboot","result":"succ"})", kDevIp, 9994);
    EXPECT_TRUE(reboots.empty());

    // Answers in time: a refusal consumes the request, a success is honoured.
    pending.note(PendingRequests::Reboot, QString(), kDevIp);
    reply(R"({"ops":"reboot","result":"fail"})", kDevIp, 9994);
    reply(R"({"ops":"reboot","result":"succ"})", kDevIp, 9994);
    EXPECT_TRUE(reboots.empty()) << "one request, one answer";
    pending.note(PendingRequests::Reboot, QString(), kDevIp);
    reply(R"({"ops":"reboot","result":"succ"})", kDevIp, 9994);
    EXPECT_EQ(reboots, std::vector<QString>{"DEV1"});

    pending.note(PendingRequests::SetIp, "DEV2", 0);
    reply(R"({"ops":"setIp","devId":"DEV2","result":"succ"})", dev2Ip, 9994);
    userCallLib_timer(20);
    EXPECT_EQ(findDevById("DEV2"), nullptr) << "the broadcast setIp named DEV2, and DEV2 answered";
    EXPECT_NE(findDevById("DEV1"), nullptr);

    // A device's further interfaces are asked by their own names; their answers move no record and
    // leave the main interface's request to its own answer.
    pending.note(PendingRequests::SetIp, "DEV1", 0);
    pending.note(PendingRequests::SetIp, "DEV1:2", 0);
    const size_t before = messages.size();
    reply(R"({"ops":"setIp","devId":"DEV1:2","result":"succ"})", kDevIp, 9994);
    reply(R"({"ops":"setIp","devId":"DEV1:3","result":"succ"})", kDevIp, 9994); // not asked
    userCallLib_timer(20);
    ASSERT_EQ(messages.size(), before + 1);
    EXPECT_EQ(lastMessage().value("devId").toString(), "DEV1:2");
    ASSERT_NE(findDevById("DEV1"), nullptr);
    reply(R"({"ops":"setIp","devId":"DEV1","result":"succ"})", kDevIp, 9994);
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

    // DEV1's stream and another sender's; a removal by DEV1 ends only its own.
    ASSERT_EQ(storetest::announceStream("own", "239.1.0.1", 2, 5004, 48000, "10.77.0.11"), 1);
    ASSERT_EQ(storetest::announceStream("theirs", "239.1.0.2", 2, 5004, 48000, "10.77.0.12"), 1);
    McastRecord* own = findMcastByDstIp(dvm_parseIp("239.1.0.1"));
    McastRecord* theirs = findMcastByDstIp(dvm_parseIp("239.1.0.2"));
    ASSERT_TRUE(own && theirs);
    const QByteArray clrOwn = QByteArray(R"({"ops":"clrMcastTx","result":"succ","dstIp":")") +
                              QByteArray::number(dvm_parseIp("239.1.0.1")) + R"("})";
    const QByteArray clrTheirs = QByteArray(R"({"ops":"clrMcastTx","result":"succ","dstIp":")") +
                                 QByteArray::number(dvm_parseIp("239.1.0.2")) + R"("})";
    markFetched();
    reply(clrOwn);
    EXPECT_NE(rec->tables.fetched[DVM_T_MCAST_TX], 0) << "unsolicited";
    EXPECT_GT(own->lifeMs, 0) << "unsolicited";
    pending.note(PendingRequests::ClrMcastTx, QString(), kDevIp);
    pending.note(PendingRequests::ClrMcastTx, QString(), kDevIp);
    reply(clrTheirs);
    EXPECT_GT(theirs->lifeMs, 0) << "another sender's stream";
    reply(clrOwn);
    EXPECT_EQ(own->lifeMs, 0);
    EXPECT_EQ(rec->tables.fetched[DVM_T_MCAST_TX], 0);
    EXPECT_EQ(messages.size(), 4u);
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

TEST_F(ReplyDispatcherTest, NameRefreshesCarryNoEchoedSecret)
{
    // Every reply that refreshes names hands the whole reply on; a device echoing a password must not pass it.
    const char* const cases[] = {
        R"({"ops":"setDevName","name":"Box","password":"hunter2"})",
        R"({"ops":"setChNameRx","id":"0","name":"Vox","new":"hunter2","old":"hunter1"})",
        R"({"ops":"setPhyChNameTx","id":"0","name":"Out","inner":{"password":"hunter2"}})",
        R"({"ops":"setChNameTx","uiTag":"dspUiTag","id":"1","name":"Dsp","password":"hunter2"})",
    };
    for (const char* text : cases) {
        SCOPED_TRACE(text);
        chNameRefreshes.clear();
        messages.clear();
        reply(text);
        ASSERT_EQ(chNameRefreshes.size(), 1u);
        for (const std::vector<QString>* out : {&chNameRefreshes, &messages})
            for (const QString& m : *out) {
                EXPECT_FALSE(m.contains("hunter")) << m.toStdString();
                EXPECT_TRUE(m.contains("********")) << m.toStdString();
            }
    }
}

TEST_F(ReplyDispatcherTest, TextsThatWouldLeakInQtsParserAreDroppedWhole)
{
    // Neither a reply nor a tunnelled text: nothing reaches the windows or the store.
    reply(R"({"ops":"setDevName","name":"Evil","pad":{"x":1},"pad":{"x":1}})");
    reply(R"({"ops":"setDevName","name":"Evil","pad":[],"\u0070ad":[]})");
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(chNameRefreshes.empty());
    EXPECT_EQ(detail().name, "Box");
    reply(R"({"ops":"setDevName","name":"Kept","pad":1,"pad":2})");
    EXPECT_EQ(detail().name, "Kept") << "plain repeats are read as before";
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

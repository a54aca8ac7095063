#include "McastTxFacts.h"
#include "DevDetailStore.h"
#include "DevManager.h"
#include "DeviceListing.h"
#include "McastCreateTexts.h"
#include "ModelTable.h"
#include "StoreTestSupport.h"

#include <QJsonDocument>
#include <QSet>
#include <cstring>
#include <gtest/gtest.h>
#include <vector>

namespace {

void announce(const QString& devId, const QString& ip)
{
    storetest::announce(devId, ip, {{"chNumTx", "8"}, {"mcastNumTx", "4"}});
}

void txStream(const char* devId, int slot, const char* name, const char* dstIp, std::initializer_list<int> chans)
{
    DevTables& t = findDevById(devId)->tables;
    TxStreamEntry& e = t.mcastTx[slot];
    e.stream.dstIp = dvm_parseIp(dstIp);
    e.stream.dstPort = 5004;
    e.stream.chNum = static_cast<uint8_t>(chans.size());
    int i = 0;
    for (int c : chans)
        e.setSrcChId(i++, c);
    for (; i < DVM_STREAM_CH; ++i)
        e.setSrcChId(i, -1);
    std::strncpy(e.name, name, DVM_NAME_LEN - 1);
    t.fetched[DVM_T_MCAST_TX] = std::max(t.fetched[DVM_T_MCAST_TX], slot + 1);
}

struct Sent
{
    QByteArray data;
    uint32_t ip;
    uint16_t port;
};

int capture(void* ctx, const char* data, int length, uint32_t ip, uint16_t port)
{
    static_cast<std::vector<Sent>*>(ctx)->push_back({QByteArray(data, length), ip, port});
    return length;
}

class McastTxFactsTest : public ::testing::Test
{
protected:
    McastTxFactsTest()
    {
        dvm_resetForTest();
        dvm_setSendHook(&capture, &sent);
    }
    ~McastTxFactsTest() override
    {
        dvm_setSendHook(nullptr, nullptr);
        dvm_resetForTest();
    }
    DevDetailStore store;
    std::vector<Sent> sent;
};

} // namespace

TEST_F(McastTxFactsTest, DeviceFactsComeFromTheDetail)
{
    announce("D1", "10.1.0.5");
    McastCreateChecks::Device dev;
    EXPECT_FALSE(McastTxFacts::device("D1", store, &dev)) << "not listed yet";
    ASSERT_EQ(store.addFromRegistry("D1"), DevDetailStore::Added);
    store.updateDevDetail("D1", [](DevDetail_t& d) { d.sampleByteNum = 4; });
    ASSERT_TRUE(McastTxFacts::device("D1", store, &dev));
    EXPECT_EQ(dev.devId, "D1");
    EXPECT_EQ(dev.ip, dvm_parseIp("10.1.0.5"));
    EXPECT_EQ(dev.sampleRate, 48000);
    EXPECT_EQ(dev.sampleByteNum, 4);
}

TEST_F(McastTxFactsTest, StreamsAndTheirDeletion)
{
    announce("D1", "10.1.0.5");
    EXPECT_TRUE(McastTxFacts::txStreams("NOBODY").isEmpty());
    txStream("D1", 0, "Main", "239.69.3.4", {0, 1});
    txStream("D1", 2, "Aux", "239.69.200.201", {5});
    const QVector<McastTxFacts::TxStream> streams = McastTxFacts::txStreams("D1");
    ASSERT_EQ(streams.size(), 2) << "the cleared slot between them is no stream";
    EXPECT_EQ(streams.at(0).name, "Main");
    EXPECT_EQ(streams.at(0).dstIp, "239.69.3.4");
    EXPECT_EQ(streams.at(0).dstPort, 5004);
    EXPECT_EQ(streams.at(0).channels, QVector<int>({0, 1}));
    EXPECT_EQ(streams.at(1).channels, QVector<int>({5}));

    const QJsonObject del = McastTxFacts::deleteRequest("D1", streams.at(1));
    EXPECT_EQ(del.value("ops").toString(), "clrMcastTx");
    EXPECT_EQ(del.value("devId").toString(), "D1");
    EXPECT_EQ(del.value("name").toString(), "Aux");
    // Unsigned decimal: the high octet would turn a signed number negative.
    EXPECT_EQ(del.value("dstIp").toString(), QString::number(dvm_parseIp("239.69.200.201")));
    EXPECT_EQ(del.value("dstIp").toString(), "4014328009");
}

TEST_F(McastTxFactsTest, ListingFollowsTheMainWindowsRules)
{
    announce("D1", "10.1.0.5");
    EXPECT_EQ(DeviceListing::add(store, ModelTable::instance(), "D1", false), DeviceListing::Listed);
    EXPECT_TRUE(store.containsDevId("D1"));
    EXPECT_TRUE(sent.empty()) << "no first requests were asked for";

    // A second devId on a live device's address never enters the registry, so it cannot be listed.
    announce("D2", "10.1.0.5");
    EXPECT_EQ(findDevById("D2"), nullptr);
    EXPECT_EQ(DeviceListing::add(store, ModelTable::instance(), "D2", true), DeviceListing::NotListed);
    EXPECT_FALSE(store.containsDevId("D2"));
    EXPECT_TRUE(sent.empty());

    // Expansion modules belong to their host; a devId the registry lacks is not listed either.
    announce("MREA-0001", "10.1.0.6");
    EXPECT_EQ(DeviceListing::add(store, ModelTable::instance(), "MREA-0001", true), DeviceListing::NotListed);
    EXPECT_EQ(DeviceListing::add(store, ModelTable::instance(), "NOBODY", true), DeviceListing::NotListed);
    EXPECT_TRUE(sent.empty());

    announce("D3", "10.1.0.7");
    EXPECT_EQ(DeviceListing::add(store, ModelTable::instance(), "D3", true), DeviceListing::Listed);
    ASSERT_FALSE(sent.empty());
    QStringList ops;
    for (const Sent& s : sent) {
        EXPECT_EQ(s.ip, dvm_parseIp("10.1.0.7"));
        ops << QJsonDocument::fromJson(s.data).object().value("ops").toString();
    }
    EXPECT_TRUE(ops.contains("getAllChNameRx"));
    EXPECT_TRUE(ops.contains("getVersion"));
    EXPECT_TRUE(ops.contains("getLock"));
}

TEST(McastCreateTextsTest, EveryFailureHasItsTextInBothLanguages)
{
    for (bool chinese : {false, true}) {
        EXPECT_TRUE(McastCreateTexts::failure(McastCreateChecks::None, chinese).isEmpty());
        QSet<QString> seen;
        for (int f = McastCreateChecks::None + 1; f <= McastCreateChecks::NoFreeAddress; ++f) {
            const QString text = McastCreateTexts::failure(static_cast<McastCreateChecks::Failure>(f), chinese);
            EXPECT_FALSE(text.isEmpty()) << f;
            seen.insert(text);
        }
        EXPECT_EQ(seen.size(), int(McastCreateChecks::NoFreeAddress)) << "each failure says its own thing";
    }
    EXPECT_EQ(McastCreateTexts::failure(McastCreateChecks::WrongPort, false), "Wrong Port, range: 1024~65534");
}

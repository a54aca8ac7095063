#include "OnlineDeviceFacts.h"
#include "../../store/StoreTestSupport.h"
#include "DevDetailStore.h"

#include <cstring>
#include <gtest/gtest.h>

namespace {

class OnlineDeviceFactsTest : public ::testing::Test
{
protected:
    OnlineDeviceFactsTest()
    {
        dvm_resetForTest();
        store.clear();
        storetest::announce("TX", "10.0.0.10", {{"chNumTx", "4"}, {"mcastNumTx", "1"}, {"model", "MRD-P64"}}, "Sender");
        storetest::announce("RX", "10.0.0.20",
                            {{"chNumRx", "4"}, {"mcastNumRx", "1"}, {"model", "MRV-VSC"}, {"delayUs", "3000"}},
                            "Receiver");
        store.addFromRegistry("TX");
        store.addFromRegistry("RX");

        // The sender's multicast stream "Main" carries its channels 2 and 3.
        DevTables& tx = findDevById("TX")->tables;
        TxStreamEntry& s = tx.mcastTx[0];
        s.stream.srcIp = dvm_parseIp("10.0.0.10");
        s.stream.dstIp = dvm_parseIp("239.69.0.5");
        s.stream.dstPort = 5004;
        s.stream.chNum = 2;
        s.setSrcChId(0, 2);
        s.setSrcChId(1, 3);
        std::strncpy(s.name, "Main", DVM_NAME_LEN - 1);
        tx.fetched[DVM_T_MCAST_TX] = 1;

        // Receive channel 0 from the sender's channel 1 by unicast; channel 2 from the stream's second channel.
        DevTables& rx = findDevById("RX")->tables;
        rx.setRxChMap(0, 3);
        std::strncpy(rx.rtpCh[3].srcDevId, "TX", DVM_NAME_LEN - 1);
        rx.rtpCh[3].setSrcChId(1);
        rx.setRxChMap(2, 7);
        rx.rtpCh[7].setSrcChId(1);
        RxStreamEntry& m = rx.mcastRx[0];
        m.stream = s.stream;
        m.stream.sampleByteNum = 3;
        m.setRtpChId(1, 7);
        rx.fetched[DVM_T_RXCH] = 4;
        rx.fetched[DVM_T_RTPCH] = 8;
        rx.fetched[DVM_T_MCAST_RX] = 1;
    }
    ~OnlineDeviceFactsTest() override
    {
        store.clear();
        dvm_resetForTest();
    }

    DevDetailStore store;
};

TEST_F(OnlineDeviceFactsTest, CopiesIdentityCountsRoutesAndStreams)
{
    const QVector<OnlineDeviceFacts> all = OnlineDeviceFacts::collect(store, {"RX", "NOPE", "TX"});
    ASSERT_EQ(all.size(), 2); // the unknown device is left out, the asked order kept
    const OnlineDeviceFacts& rx = all.at(0);
    const OnlineDeviceFacts& tx = all.at(1);
    EXPECT_EQ(rx.devId, QStringLiteral("RX"));
    EXPECT_EQ(rx.chNumRx, 4);
    EXPECT_EQ(rx.delayUs, 3000);
    EXPECT_EQ(rx.ip, dvm_parseIp("10.0.0.20"));
    EXPECT_FALSE(rx.hasDsp); // the sound card has no processor
    EXPECT_TRUE(tx.hasDsp);
    EXPECT_EQ(tx.dspIp, tx.ip);

    ASSERT_EQ(rx.ucastRoutes.size(), 1);
    EXPECT_EQ(rx.ucastRoutes.at(0), (OfflineUcastRoute{"TX", 1, 0}));

    ASSERT_EQ(rx.mcastRoutes.size(), 1);
    const OfflineMcastRoute& r = rx.mcastRoutes.at(0);
    EXPECT_EQ(r.mcastName, QStringLiteral("Main"));
    EXPECT_EQ(r.srcDevId, QStringLiteral("TX"));
    EXPECT_EQ(r.srcChId, 3); // the stream's second channel is the sender's channel 3
    EXPECT_EQ(r.dstChId, 2);
    EXPECT_EQ(r.dstIp, QStringLiteral("239.69.0.5"));
    EXPECT_EQ(r.srcIp, QStringLiteral("10.0.0.10"));
    EXPECT_EQ(r.dstPort, 5004);
    EXPECT_EQ(r.chNum, 2);

    ASSERT_EQ(tx.txStreams.size(), 1);
    const OfflineMcast& m = tx.txStreams.at(0);
    EXPECT_EQ(m.name, QStringLiteral("Main"));
    EXPECT_EQ(m.srcDevId, QStringLiteral("TX"));
    EXPECT_EQ(m.srcChannels, (QVector<int>{2, 3}));
    EXPECT_EQ(m.chNum, 2);
    EXPECT_TRUE(rx.txStreams.isEmpty());
    EXPECT_TRUE(tx.ucastRoutes.isEmpty() && tx.mcastRoutes.isEmpty());

    EXPECT_EQ(OnlineDeviceFacts::collect(store).size(), 2);
}

TEST_F(OnlineDeviceFactsTest, ARouteNamesAnAnnouncedStreamAsItsSenderStoresIt)
{
    // The network's SAP announcement names the stream "Main\r" (its line's CR stays in the registry).
    ASSERT_EQ(storetest::announceStream("Main", "239.69.0.5", 2, 5004, 48000, "10.0.0.10"), 1);
    const QVector<OnlineDeviceFacts> all = OnlineDeviceFacts::collect(store, {"RX", "TX"});
    ASSERT_EQ(all.size(), 2);
    ASSERT_EQ(all.at(0).mcastRoutes.size(), 1);
    ASSERT_EQ(all.at(1).txStreams.size(), 1);
    EXPECT_EQ(all.at(0).mcastRoutes.at(0).mcastName, QStringLiteral("Main"));
    EXPECT_EQ(all.at(0).mcastRoutes.at(0).mcastName, all.at(1).txStreams.at(0).name);
}

} // namespace

#include "BandwidthFigures.h"
#include "RegistryFeed.h"

#include <climits>
#include <cstdint>
#include <gtest/gtest.h>

using namespace regfeed;

namespace {

const QString kRecv = QStringLiteral("10.9.0.11");
const QString kSend = QStringLiteral("10.9.0.20");

TEST(BandwidthStream, PacketsPerSecondTimesPacketSizeTruncatedPerStream)
{
    struct Case
    {
        int rate, frames, bytes, channels, load;
    };
    // 44100 / 48 = 918 packets: the rate is divided first, as the devices count. No frames, rate or channels:
    // nothing, not a crash.
    for (const Case& c : {Case{48000, 48, 3, 8, 1206}, Case{44100, 48, 3, 2, 918 * (3 * 48 * 2 + 54) / 1000},
                          Case{48000, 0, 3, 8, 0}, Case{0, 48, 3, 8, 0}, Case{48000, 48, 3, 0, 0}})
        EXPECT_EQ(c.load, BandwidthFigures::streamLoad(c.rate, c.frames, c.bytes, c.channels))
            << c.rate << "/" << c.frames << "/" << c.channels;
    EXPECT_EQ(1206, BandwidthFigures::unknownMcastLoad(8, 3));
    EXPECT_EQ(0, BandwidthFigures::unknownMcastLoad(0, 3));

    struct Text
    {
        int rx, tx;
        const char* text;
    };
    for (const Text& t :
         {Text{1206, 0, "12.1/0.0 Mbps"}, Text{1204, 5, "12.0/0.1 Mbps"}, Text{99999, 4, "1000.0/0.0 Mbps"}})
        EXPECT_EQ(QString::fromLatin1(t.text), BandwidthFigures::text(t.rx, t.tx));
    EXPECT_EQ(QStringLiteral("0.0/0.0 Mbps"), BandwidthFigures::fromRecord(nullptr).text()) << "missing device";
}

TEST(BandwidthStream, TableValuesNoDeviceCouldHaveCountNothingInsteadOfOverflowing)
{
    // Every input comes from a device table; near the int limits the products would wrap.
    const int64_t big = INT_MAX;
    const int64_t low = INT_MIN;
    EXPECT_EQ(0, BandwidthFigures::streamLoad(48000, 48, big, 8));
    EXPECT_EQ(0, BandwidthFigures::streamLoad(48000, 48, 3, big));
    EXPECT_EQ(0, BandwidthFigures::streamLoad(big, 1, 3, 8));
    EXPECT_EQ(0, BandwidthFigures::streamLoad(48000, low, 3, 8));
    EXPECT_EQ(0, BandwidthFigures::unknownMcastLoad(big, 3));
    EXPECT_EQ(0, BandwidthFigures::unknownMcastLoad(8, big));
    EXPECT_EQ(0, BandwidthFigures::unknownMcastLoad(low, 3));
    // The largest plausible stream still counts, and the text of any total stays a number.
    EXPECT_GT(BandwidthFigures::streamLoad(192000, 1, 64, 1 << 16), 0);
    EXPECT_TRUE(BandwidthFigures::text(INT64_MAX, INT64_MIN).endsWith(QLatin1String(" Mbps")));
    EXPECT_FALSE(BandwidthFigures::text(INT64_MAX, 0).startsWith(QLatin1Char('-')));
}

class Bandwidth : public ::testing::Test
{
protected:
    void SetUp() override { dvm_resetForTest(); }
    void TearDown() override { dvm_resetForTest(); }

    static BandwidthFigures figures(const QString& ip)
    {
        return BandwidthFigures::fromRecord(findDevByIp(dvm_parseIp(ip)));
    }
};

TEST_F(Bandwidth, UnicastStreamsCountOnlyWithUsedChannelsALiveSenderAndWithinTheCount)
{
    // The receiver's own format differs from the sender's: the sender's is what arrives.
    announce(kRecv, kRecv, kRecv, QJsonObject{{"ucastNumRx", "3"}, {"pFrameNum", "12"}, {"sampleByteNum", "4"}});
    announce(kSend, kSend, kSend, QJsonObject{{"sampleRate", "44100"}, {"pFrameNum", "48"}, {"sampleByteNum", "3"}});
    const QJsonArray page{rxEntry(0, sdp(kSend, kRecv, 2), 2), rxEntry(1, sdp(kSend, kRecv, 8), 0),
                          rxEntry(2, sdp("10.9.0.99", kRecv, 8), 8), rxEntry(3, sdp(kSend, kRecv, 2), 2)};
    ASSERT_EQ(1, tablePage(kRecv, "getAllUcastRx", 0, 4, page));
    // Only entry 0 counts: 1 has no used channel, 2's sender is unknown, 3 lies beyond the announced count.
    EXPECT_EQ(313, figures(kRecv).rx);
    EXPECT_EQ(0, figures(kRecv).tx);

    // Two streams are truncated one by one (626), not summed first (627).
    ASSERT_EQ(1, tablePage(kRecv, "getAllUcastRx", 0, 2,
                           QJsonArray{rxEntry(0, sdp(kSend, kRecv, 2), 2), rxEntry(1, sdp(kSend, kRecv, 2), 2)}));
    EXPECT_EQ(626, figures(kRecv).rx);
}

TEST_F(Bandwidth, MulticastReceiveUsesTheAnnouncedStreamOrAssumesOneMillisecond)
{
    ASSERT_EQ(1, sapStream("10.9.0.50", "Stage", "239.69.1.10", 2, 5004, "0.25"));
    announce(kRecv, kRecv, kRecv, QJsonObject{{"mcastNumRx", "3"}});
    const QJsonArray page{rxEntry(0, sdp("10.9.0.50", "239.69.1.10", 8), 8),
                          rxEntry(1, sdp("10.9.0.51", "239.69.1.99", 8), 8),
                          rxEntry(2, sdp("10.9.0.52", "239.69.1.98", 0), 0)};
    ASSERT_EQ(1, tablePage(kRecv, "getAllMcastRx", 0, 3, page));
    // Known: 48000/12 x (2 x 3 x 12 + 54) / 1000 = 504 from the announcement, not the entry's 8 channels.
    // Unknown: (8 x 3 x 48000 + 54000) / 1000 = 1206. No channels: nothing.
    const BandwidthFigures f = figures(kRecv);
    EXPECT_EQ(504 + 1206, f.rx);
    EXPECT_EQ(QStringLiteral("17.1/0.0 Mbps"), f.text());
}

TEST_F(Bandwidth, TransmitUsesTheDevicesOwnFormat)
{
    announce(kSend, kSend, kSend,
             QJsonObject{{"ucastNumTx", "2"}, {"mcastNumTx", "2"}, {"pFrameNum", "48"}, {"sampleByteNum", "3"}});
    ASSERT_EQ(1, tablePage(kSend, "getAllUcastTx", 0, 2,
                           QJsonArray{txEntry(0, sdp(kSend, kRecv, 4), 4), txEntry(1, sdp(kSend, kRecv, 8), 0)}));
    ASSERT_EQ(1, tablePage(kSend, "getAllMcastTx", 0, 2,
                           QJsonArray{txEntry(0, sdp(kSend, "239.69.2.1", 2), 0),
                                      txEntry(1, sdp(kSend, "239.69.2.2", 0), 0)}));
    // Unicast by used channels: 1000 x (3 x 48 x 4 + 54) / 1000 = 630; multicast by channel count: 342.
    const BandwidthFigures f = figures(kSend);
    EXPECT_EQ(0, f.rx);
    EXPECT_EQ(630 + 342, f.tx);
    EXPECT_EQ(QStringLiteral("0.0/9.7 Mbps"), f.text());
}

} // namespace

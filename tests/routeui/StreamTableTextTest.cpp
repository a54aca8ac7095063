#include "StreamTableText.h"
#include "RegistryFeed.h"
#include "RegistryJson.h"

#include <gtest/gtest.h>

using namespace regfeed;
using T = StreamTableText;

TEST(StreamTableText, SectionsAndDetailsFromRegistryCopy)
{
    dvm_resetForTest();
    const QString ip = QStringLiteral("10.2.0.7");
    QJsonObject counts{{"chNumRx", "3"}, {"chNumTx", "2"}};
    for (const char* k : {"ucastNumRx", "ucastNumTx", "mcastNumRx", "mcastNumTx"})
        counts.insert(k, "1");
    ASSERT_EQ(announce("T1", "Table", ip, counts), 1);
    QJsonObject s = sdp("10.2.0.9", "239.69.3.4", 2);
    s.insert("rtpTsOffset", "96");
    QJsonObject mcastRx = rxEntry(0, s, 1, 7);
    mcastRx.insert("active", "0");
    const struct
    {
        const char* ops;
        int next;
        QJsonObject entry;
    } pages[] = {
        {"getAllRxCh", 3, QJsonObject{{"id", "1"}, {"rtpChId", "5"}}},
        {"getAllRtpCh", 8, QJsonObject{{"id", "5"}, {"srcDevId", "SRC"}, {"srcChId", "2"}}},
        {"getAllUcastRx", 1, rxEntry(0, s, 2, 5)},
        {"getAllMcastRx", 1, mcastRx},
        {"getAllUcastTx", 1, txEntry(0, s, 1, QString(), 1)},
        {"getAllMcastTx", 1, txEntry(0, s, 2, QStringLiteral("Front"))},
    };
    for (const auto& p : pages)
        ASSERT_EQ(tablePage(ip, p.ops, 0, p.next, QJsonArray{p.entry}), 1) << p.ops;
    const QJsonObject dev = RegistryJson::device(findDevById("T1"));
    dvm_resetForTest();

    const auto rx = T::entries(dev, T::RxCh);
    ASSERT_EQ(rx.size(), 3); // one per announced receive channel, routed or not
    EXPECT_EQ(rx[0].text, "0(-1)");
    EXPECT_EQ(rx[1].text, "1(5)");
    EXPECT_EQ(rx[1].rtpChId, 5);
    EXPECT_EQ(rx[2].rtpChId, -1);
    const auto rtp = T::entries(dev, T::RtpCh);
    ASSERT_EQ(rtp.size(), 1);
    EXPECT_EQ(rtp[0].id, 5);
    EXPECT_EQ(rtp[0].text, "SRC,2");

    const QString common = "srcIp:10.2.0.9\n\ndstIp:239.69.3.4\n\ndstPort:5004\n\nchNum:2\n\nsampleByteNum:3\n\n"
                           "rtpTsOffset:96\n\n";
    struct Case
    {
        T::Section section;
        const char* text;
        QString detail;
    };
    const Case cases[] = {
        {T::UcastRx, "1,10.2.0.9", common + "rtpChIdArr:5,6,-1,-1,-1,-1,-1,-1\n\nactive:true"},
        {T::McastRx, "0,10.2.0.9", common + "rtpChIdArr:7,-1,-1,-1,-1,-1,-1,-1\n\nactive:false"},
        // A unicast transmit stream has no name line.
        {T::UcastTx, "239.69.3.4", common + "srcChIdArr:1,-1,-1,-1,-1,-1,-1,-1"},
        {T::McastTx, "239.69.3.4,Front", common + "srcChIdArr:0,1,-1,-1,-1,-1,-1,-1\n\nname:Front"},
    };
    for (const Case& c : cases) {
        const auto e = T::entries(dev, c.section);
        ASSERT_EQ(e.size(), 1) << c.text;
        EXPECT_EQ(e[0].text, c.text);
        EXPECT_EQ(e[0].detail, c.detail);
    }
}

TEST(StreamTableText, ObjectNamesRoundTripAndEmptyCopyHasNoEntries)
{
    for (int s = 0; s < T::SectionCount; ++s) {
        int id = -1;
        const auto section = static_cast<T::Section>(s);
        EXPECT_EQ(T::sectionOfObject(T::objectPrefix(section) + "17", &id), section);
        EXPECT_EQ(id, 17);
        EXPECT_TRUE(T::entries(QJsonObject(), section).isEmpty());
    }
    EXPECT_EQ(T::objectPrefix(T::McastRx), "listinfo_umastArrRx_");
    for (const char* bad : {"listinfo_rxIdArr_", "listinfo_rxIdArr_-3", "listinfo_other_3"})
        EXPECT_EQ(T::sectionOfObject(bad, nullptr), T::SectionCount) << bad;
}

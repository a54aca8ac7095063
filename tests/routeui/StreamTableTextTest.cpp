#include "StreamTableText.h"
#include "DevManager.h"
#include "RegistryJson.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <gtest/gtest.h>

namespace {

using T = StreamTableText;

void feed(const QByteArray& msg, bool ucast)
{
    const uint32_t ip = dvm_parseIp("10.2.0.7");
    if (ucast)
        ASSERT_EQ(userCallLib_handleUdp_ucast(msg.constData(), msg.size(), ip, 9990), 1) << msg.constData();
    else
        ASSERT_EQ(userCallLib_handleUdp_mcast(msg.constData(), msg.size(), ip, 9996), 1);
}

/// A device with every table filled through the registry's own handlers.
QJsonObject deviceWithTables()
{
    dvm_resetForTest();
    feed(R"({"ops":"iAmVeranto","devId":"T1","name":"Table","ip":"10.2.0.7","port":"9990","chNumRx":"3",
        "chNumTx":"2","ucastNumRx":"1","ucastNumTx":"1","mcastNumRx":"1","mcastNumTx":"1","canWork":"1",
        "model":"M","sampleRate":"48000"})",
         false);
    const char* sdp = R"({"srcIp":"10.2.0.9","dstIp":"239.69.3.4","dstPort":"5004","chNum":"2",
        "sampleByteNum":"3","rtpTsOffset":"96"})";
    feed(R"({"ops":"getAllRxCh","idStart":"0","idNext":"3","arr":[{"id":"1","rtpChId":"5"}]})", true);
    feed(R"({"ops":"getAllRtpCh","idStart":"0","idNext":"8","arr":[{"id":"5","srcDevId":"SRC","srcChId":"2"}]})", true);
    feed(QByteArray(R"({"ops":"getAllUcastRx","idStart":"0","idNext":"1","arr":[{"id":"0","sdp":)") + sdp +
             R"(,"rtpChIdArr":["5","6"],"active":"1"}]})",
         true);
    feed(QByteArray(R"({"ops":"getAllMcastRx","idStart":"0","idNext":"1","arr":[{"id":"0","sdp":)") + sdp +
             R"(,"rtpChIdArr":["7"],"active":"0"}]})",
         true);
    feed(QByteArray(R"({"ops":"getAllUcastTx","idStart":"0","idNext":"1","arr":[{"id":"0","sdp":)") + sdp +
             R"(,"srcChIdArr":["1"],"name":""}]})",
         true);
    feed(QByteArray(R"({"ops":"getAllMcastTx","idStart":"0","idNext":"1","arr":[{"id":"0","sdp":)") + sdp +
             R"(,"srcChIdArr":["0","1"],"name":"Front"}]})",
         true);
    return RegistryJson::device(findDevById("T1"));
}

} // namespace

TEST(StreamTableText, SectionsFromRegistryCopy)
{
    const QJsonObject dev = deviceWithTables();
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

    EXPECT_EQ(T::entries(dev, T::UcastRx).value(0).text, "1,10.2.0.9");
    EXPECT_EQ(T::entries(dev, T::McastRx).value(0).text, "0,10.2.0.9");
    EXPECT_EQ(T::entries(dev, T::UcastTx).value(0).text, "239.69.3.4");
    EXPECT_EQ(T::entries(dev, T::McastTx).value(0).text, "239.69.3.4,Front");
    dvm_resetForTest();
}

TEST(StreamTableText, DetailTexts)
{
    const QJsonObject dev = deviceWithTables();
    EXPECT_EQ(T::entries(dev, T::UcastRx).value(0).detail,
              "srcIp:10.2.0.9\n\ndstIp:239.69.3.4\n\ndstPort:5004\n\nchNum:2\n\nsampleByteNum:3\n\n"
              "rtpTsOffset:96\n\nrtpChIdArr:5,6,-1,-1,-1,-1,-1,-1\n\nactive:true");
    EXPECT_TRUE(T::entries(dev, T::McastRx).value(0).detail.endsWith("active:false"));
    EXPECT_EQ(T::entries(dev, T::McastTx).value(0).detail,
              "srcIp:10.2.0.9\n\ndstIp:239.69.3.4\n\ndstPort:5004\n\nchNum:2\n\nsampleByteNum:3\n\n"
              "rtpTsOffset:96\n\nsrcChIdArr:0,1,-1,-1,-1,-1,-1,-1\n\nname:Front");
    // A unicast transmit stream has no name line.
    EXPECT_TRUE(T::entries(dev, T::UcastTx).value(0).detail.endsWith("srcChIdArr:1,-1,-1,-1,-1,-1,-1,-1"));
    dvm_resetForTest();
}

TEST(StreamTableText, ObjectNamesRoundTrip)
{
    for (int s = 0; s < T::SectionCount; ++s) {
        int id = -1;
        const auto section = static_cast<T::Section>(s);
        EXPECT_EQ(T::sectionOfObject(T::objectPrefix(section) + "17", &id), section);
        EXPECT_EQ(id, 17);
    }
    EXPECT_EQ(T::objectPrefix(T::McastRx), "listinfo_umastArrRx_");
    EXPECT_EQ(T::sectionOfObject("listinfo_rxIdArr_", nullptr), T::SectionCount);
    EXPECT_EQ(T::sectionOfObject("listinfo_rxIdArr_-3", nullptr), T::SectionCount);
    EXPECT_EQ(T::sectionOfObject("listinfo_other_3", nullptr), T::SectionCount);
}

TEST(StreamTableText, EmptyCopyHasNoEntries)
{
    for (int s = 0; s < T::SectionCount; ++s)
        EXPECT_TRUE(T::entries(QJsonObject(), static_cast<T::Section>(s)).isEmpty());
}

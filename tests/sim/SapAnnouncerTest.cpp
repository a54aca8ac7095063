#include "SapAnnouncer.h"
#include "SimTestUtil.h"

using namespace simtest;

TEST(SapAnnouncer, SdpDescribesTheStreamForAes67Receivers)
{
    auto net = generated(2);
    const SimDevice& d = net->device(0);
    const SimTxStream& s = d.mcastTx()[0];
    const QString sdp = QString::fromUtf8(SapAnnouncer::sdpText(d, s));
    // The origin line carries session numbers of the device's choosing; every other line is fixed.
    const QRegularExpression origin(QStringLiteral("(?<=^v=0\r\n)o=- \\d+ \\d+ IN IP4 10\\.0\\.0\\.1\r\n"));
    EXPECT_TRUE(origin.match(sdp).hasMatch()) << sdp.toStdString();
    EXPECT_EQ(QString(sdp).remove(origin),
              QStringLiteral("v=0\r\ns=SIM-01 stream 1\r\nc=IN IP4 239.69.0.1/32\r\nt=0 0\r\na=clock-domain:PTPv2 0\r\n"
                             "m=audio 5004 RTP/AVP 96\r\na=rtpmap:96 L24/48000/2\r\na=sendonly\r\na=ptime:1\r\n"
                             "a=ts-refclk:ptp=IEEE1588-2008:%1:0\r\na=mediaclk:direct=%2\r\n"
                             "a=source-filter: incl IN IP4 239.69.0.1 10.0.0.1\r\n")
                  .arg(d.gmClkId())
                  .arg(s.sdp.rtpTsOffset));
    EXPECT_EQ(d.gmClkId().size(), 23);
}

TEST(SapAnnouncer, FormatFollowsTheDevice)
{
    SimDeviceConfig c = bare("10.0.5.1");
    c.sampleRate = 44100;
    c.sampleByteNum = 2;
    c.pFrameNum = 6;
    SimDevice d(c, 9990);
    SimTxStream s;
    s.used = true;
    s.name = QStringLiteral("Bühne");
    s.sdp = {d.ip(), ip("239.1.2.3"), 6000, 5, 2, 42};
    const QString sdp = QString::fromUtf8(SapAnnouncer::sdpText(d, s));
    EXPECT_TRUE(sdp.contains(QStringLiteral("\r\na=rtpmap:96 L16/44100/5\r\n")));
    EXPECT_TRUE(sdp.contains(QStringLiteral("\r\ns=Bühne\r\n")));
    EXPECT_TRUE(sdp.contains(QStringLiteral("\r\nm=audio 6000 RTP/AVP 96\r\n")));
    EXPECT_TRUE(sdp.contains(QStringLiteral("\r\na=mediaclk:direct=42\r\n")));
    EXPECT_EQ(SapAnnouncer::ptimeText(48, 48000), QStringLiteral("1"));
    EXPECT_EQ(SapAnnouncer::ptimeText(6, 48000), QStringLiteral("0.125"));
    EXPECT_EQ(SapAnnouncer::ptimeText(12, 48000), QStringLiteral("0.25"));
    EXPECT_EQ(SapAnnouncer::ptimeText(96, 96000), QStringLiteral("1"));
}

TEST(SapAnnouncer, PacketHasTheSapHeader)
{
    const QByteArray sdp = "v=0\r\ns=x\r\n";
    const QByteArray p = SapAnnouncer::packet(ip("10.1.2.3"), sdp);
    ASSERT_EQ(p.size(), 24 + sdp.size());
    EXPECT_EQ(quint8(p[0]), 0x20);
    EXPECT_EQ(quint8(p[1]), 0);
    EXPECT_NE((quint8(p[2]) << 8) | quint8(p[3]), 0) << "hash 0 means no hash";
    EXPECT_EQ(p.mid(4, 4), QByteArray("\x0a\x01\x02\x03", 4));
    EXPECT_EQ(p.mid(8, 16), QByteArray("application/sdp\0", 16));
    EXPECT_EQ(p.mid(24), sdp);
    // A changed description is a new version for receivers.
    const QByteArray p2 = SapAnnouncer::packet(ip("10.1.2.3"), "v=0\r\ns=y\r\n");
    EXPECT_NE(p.mid(2, 2), p2.mid(2, 2));
}

TEST(SapAnnouncer, OnlyStreamsInUseAreAnnounced)
{
    auto net = generated(3);
    EXPECT_EQ(SapAnnouncer::packetsFor(net->device(0)).size(), 1);
    EXPECT_TRUE(SapAnnouncer::packetsFor(net->device(1)).isEmpty());
    net->device(0).mcastTx()[0].used = false;
    EXPECT_TRUE(SapAnnouncer::packetsFor(net->device(0)).isEmpty());
}

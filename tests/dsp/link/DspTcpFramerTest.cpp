#include "DspTcpFramer.h"
#include "DspEnvelope.h"

#include <gtest/gtest.h>

#include <QtEndian>

namespace {

QByteArray header(quint32 length)
{
    QByteArray out(4, Qt::Uninitialized);
    qToLittleEndian<quint32>(length, out.data());
    return out;
}

const QList<QByteArray> kMessages = {
    QByteArrayLiteral(R"({"ops":"getConfig","result":"succ"})"),
    QStringLiteral(R"({"name":"会议室话筒","ops":"setName"})").toUtf8(),
    QByteArrayLiteral("x"),
};

QByteArray stream(const QList<QByteArray>& messages)
{
    QByteArray out;
    for (const QByteArray& m : messages) {
        out += DspTcpFramer::frame(m);
    }
    return out;
}

} // namespace

TEST(DspTcpFramerTest, FrameCountsUtf8BytesLittleEndian)
{
    const QByteArray chinese = QStringLiteral("中文").toUtf8();
    EXPECT_EQ(DspTcpFramer::frame(chinese), QByteArray("\x06\x00\x00\x00", 4) + chinese);
    EXPECT_EQ(DspTcpFramer::frame(QByteArray(0x0102, 'a')).left(4), QByteArray("\x02\x01\x00\x00", 4));

    // The envelope of {"ops":"setMute"} for "A1" is 31 bytes; Chinese ids count three bytes a character.
    const QByteArray mute = DspEnvelope::tcp(QStringLiteral("A1"), QStringLiteral(R"({"ops":"setMute"})")).toUtf8();
    EXPECT_EQ(DspTcpFramer::frame(mute).left(4), header(31));
    const QByteArray named = DspEnvelope::tcp(QStringLiteral("话筒"), QStringLiteral(R"({"ops":"setMute"})")).toUtf8();
    EXPECT_EQ(DspTcpFramer::frame(named).left(4), header(35));
}

TEST(DspTcpFramerTest, OneByteAtATimeDeliversEachMessageOnItsLastByte)
{
    const QByteArray bytes = stream(kMessages);
    DspTcpFramer framer;
    QList<QByteArray> got;
    QList<int> deliveredAt;
    for (int i = 0; i < bytes.size(); ++i) {
        const QList<QByteArray> out = framer.feed(bytes.mid(i, 1));
        for (const QByteArray& m : out) {
            got << m;
            deliveredAt << i;
        }
        EXPECT_LE(out.size(), 1);
    }
    EXPECT_EQ(got, kMessages);
    const int firstEnd = 4 + kMessages[0].size() - 1;
    const int secondEnd = firstEnd + 4 + kMessages[1].size();
    EXPECT_EQ(deliveredAt, (QList<int>{firstEnd, secondEnd, bytes.size() - 1}));
    EXPECT_TRUE(framer.errors().isEmpty());
    EXPECT_TRUE(framer.isAwaitingHeader());
    EXPECT_EQ(framer.buffered(), 0);
}

TEST(DspTcpFramerTest, SeveralMessagesInOneReadAllComeOutSeparately)
{
    DspTcpFramer framer;
    EXPECT_EQ(framer.feed(stream(kMessages)), kMessages);

    // A read that ends inside the next message keeps the tail for that message, not for the delivered one.
    const QByteArray bytes = stream(kMessages);
    const int cut = 4 + kMessages[0].size() + 6;
    EXPECT_EQ(framer.feed(bytes.left(cut)), QList<QByteArray>{kMessages[0]});
    EXPECT_EQ(framer.buffered(), 2) << "the header is read, two payload bytes are held";
    EXPECT_FALSE(framer.isAwaitingHeader());
    EXPECT_EQ(framer.feed(bytes.mid(cut)), kMessages.mid(1));
}

TEST(DspTcpFramerTest, EverySplitOfTheStreamGivesTheSameMessages)
{
    const QByteArray bytes = stream(kMessages);
    for (int i = 0; i <= bytes.size(); ++i) {
        for (int j = i; j <= bytes.size(); ++j) {
            DspTcpFramer framer;
            QList<QByteArray> got = framer.feed(bytes.left(i));
            got += framer.feed(bytes.mid(i, j - i));
            got += framer.feed(bytes.mid(j));
            ASSERT_EQ(got, kMessages) << "split at " << i << " and " << j;
        }
    }
}

TEST(DspTcpFramerTest, HeaderSplitAcrossReadsIsAssembled)
{
    DspTcpFramer framer;
    const QByteArray bytes = DspTcpFramer::frame(kMessages[0]);
    EXPECT_TRUE(framer.feed(bytes.left(3)).isEmpty());
    EXPECT_TRUE(framer.isAwaitingHeader());
    EXPECT_TRUE(framer.feed(bytes.mid(3, 1)).isEmpty());
    EXPECT_FALSE(framer.isAwaitingHeader());
    EXPECT_EQ(framer.feed(bytes.mid(4)), QList<QByteArray>{kMessages[0]});
    EXPECT_TRUE(framer.errors().isEmpty());

    // A header whose first byte rides at the end of the previous message's read.
    const QByteArray two = stream({kMessages[2], kMessages[1]});
    EXPECT_EQ(framer.feed(two.left(6)), QList<QByteArray>{kMessages[2]});
    EXPECT_EQ(framer.feed(two.mid(6, 2)), QList<QByteArray>{});
    EXPECT_EQ(framer.feed(two.mid(8)), QList<QByteArray>{kMessages[1]});
}

TEST(DspTcpFramerTest, ZeroLengthIsReportedAndSkippedKeepingTheStreamInStep)
{
    DspTcpFramer framer;
    const QByteArray bytes = header(0) + stream({kMessages[0]}) + header(0) + header(0) + stream({kMessages[2]});
    EXPECT_EQ(framer.feed(bytes), (QList<QByteArray>{kMessages[0], kMessages[2]}));
    const QStringList errors = framer.errors();
    ASSERT_EQ(errors.size(), 3);
    EXPECT_TRUE(errors[0].startsWith(QStringLiteral("tcp 读取数据，解析长度错误 "))) << errors[0].toStdString();
    EXPECT_TRUE(framer.errors().isEmpty()) << "errors() clears the list";
    EXPECT_FALSE(framer.isBroken());
}

TEST(DspTcpFramerTest, LengthAboveTheCapDropsStateUntilReset)
{
    DspTcpFramer framer;
    framer.setMaxMessage(16);
    EXPECT_EQ(framer.feed(DspTcpFramer::frame(QByteArray(16, 'a'))), QList<QByteArray>{QByteArray(16, 'a')});

    // The message before the bad header still comes out; nothing after it does.
    const QByteArray bad = DspTcpFramer::frame("ok") + header(17) + QByteArray(17, 'b') + DspTcpFramer::frame("x");
    EXPECT_EQ(framer.feed(bad), QList<QByteArray>{QByteArray("ok")});
    EXPECT_TRUE(framer.isBroken());
    EXPECT_EQ(framer.buffered(), 0);
    ASSERT_EQ(framer.errors().size(), 1);
    EXPECT_TRUE(framer.feed(DspTcpFramer::frame("y")).isEmpty());
    EXPECT_EQ(framer.buffered(), 0);

    framer.reset();
    EXPECT_FALSE(framer.isBroken());
    EXPECT_EQ(framer.feed(DspTcpFramer::frame("y")), QList<QByteArray>{QByteArray("y")});
}

TEST(DspTcpFramerTest, DefaultCapRefusesHugeClaimsWithoutHoldingThem)
{
    DspTcpFramer framer;
    EXPECT_EQ(framer.maxMessage(), 16 * 1024 * 1024);
    EXPECT_TRUE(framer.feed(header(0xFFFFFFFFu) + QByteArray(1000, 'z')).isEmpty());
    EXPECT_TRUE(framer.isBroken());
    EXPECT_EQ(framer.buffered(), 0);
    EXPECT_EQ(framer.errors().size(), 1);

    // Exactly the cap is accepted and held only as far as it has arrived.
    framer.reset();
    EXPECT_TRUE(framer.feed(header(16 * 1024 * 1024) + QByteArray(1000, 'z')).isEmpty());
    EXPECT_FALSE(framer.isBroken());
    EXPECT_EQ(framer.buffered(), 1000);
    EXPECT_TRUE(framer.errors().isEmpty());
}

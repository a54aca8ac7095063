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

/// One read and the messages it completes.
struct Read
{
    QByteArray bytes;
    QList<QByteArray> out;
};

struct StreamCase
{
    const char* name;
    int cap;    ///< largest payload; 0 for the default
    int errors; ///< length errors reported over all reads
    bool broken;
    int bufferedAtEnd;
    QList<Read> reads;
};

// A call, not a braced list, so that the cases stay short.
StreamCase streamCase(const char* name, int cap, int errors, bool broken, int bufferedAtEnd, QList<Read> reads)
{
    return {name, cap, errors, broken, bufferedAtEnd, std::move(reads)};
}

class DspTcpFramerStreamTest : public ::testing::TestWithParam<StreamCase>
{
};

TEST_P(DspTcpFramerStreamTest, EachReadDeliversExactlyTheMessagesItCompletes)
{
    const StreamCase c = GetParam();
    DspTcpFramer framer;
    if (c.cap > 0)
        framer.setMaxMessage(c.cap);
    int errors = 0;
    for (int i = 0; i < c.reads.size(); ++i) {
        EXPECT_EQ(framer.feed(c.reads[i].bytes), c.reads[i].out) << "read " << i;
        errors += framer.errors().size();
    }
    EXPECT_EQ(errors, c.errors);
    EXPECT_EQ(framer.isBroken(), c.broken);
    EXPECT_EQ(framer.buffered(), c.bufferedAtEnd);
    // Whatever happened, a new connection starts in step.
    framer.reset();
    EXPECT_EQ(framer.feed(DspTcpFramer::frame("y")), QList<QByteArray>{QByteArray("y")});
}

const QByteArray kOne = DspTcpFramer::frame(kMessages[0]);
const QByteArray kTwo = stream({kMessages[2], kMessages[1]});
const QByteArray kAll = stream(kMessages);

// Decisions where a stricter reading of the stream would lose messages:
// - a zero count is an empty frame: reported, and the next byte starts the next header (delivering "the rest of
//   the read" instead would hand out the following frame's header bytes as text and put the stream out of step);
// - a header cut between reads is assembled (discarding a short read would make the rest of the stream garbage);
// - bytes after a complete message start the next one; a count above the cap breaks the stream until reset.
INSTANTIATE_TEST_SUITE_P(
    Decisions, DspTcpFramerStreamTest,
    ::testing::Values(
        streamCase("wholeMessage", 0, 0, false, 0, {{kOne, {kMessages[0]}}}),
        streamCase("severalInOneRead", 0, 0, false, 0, {{kAll, kMessages}}),
        streamCase("headerOfThreeThenOneByte", 0, 0, false, 0,
                   {{kOne.left(3), {}}, {kOne.mid(3, 1), {}}, {kOne.mid(4), {kMessages[0]}}}),
        streamCase("headerStartsAtTheEndOfTheLastMessagesRead", 0, 0, false, 0,
                   {{kTwo.left(6), {kMessages[2]}}, {kTwo.mid(6, 2), {}}, {kTwo.mid(8), {kMessages[1]}}}),
        streamCase("payloadSplitIsDeliveredOnItsLastByte", 0, 0, false, 0,
                   {{kOne.left(10), {}}, {kOne.mid(10, 5), {}}, {kOne.mid(15), {kMessages[0]}}}),
        streamCase("readEndingInsideTheNextMessageKeepsItsTail", 0, 0, false, 0,
                   {{kAll.left(kOne.size() + 6), {kMessages[0]}}, {kAll.mid(kOne.size() + 6), kMessages.mid(1)}}),
        streamCase("zeroCountIsAnEmptyFrame", 0, 3, false, 0,
                   {{header(0) + kOne + header(0) + header(0) + DspTcpFramer::frame(kMessages[2]),
                     {kMessages[0], kMessages[2]}}}),
        streamCase("zeroCountAloneThenAMessage", 0, 1, false, 0, {{header(0), {}}, {kOne, {kMessages[0]}}}),
        streamCase("countAboveTheCapBreaksAfterTheMessagesBeforeIt", 16, 1, true, 0,
                   {{DspTcpFramer::frame("ok") + header(17) + QByteArray(17, 'b') + DspTcpFramer::frame("x"),
                     {QByteArray("ok")}},
                    {DspTcpFramer::frame("y"), {}}}),
        streamCase("hugeClaimIsNeverHeld", 0, 1, true, 0, {{header(0xFFFFFFFFu) + QByteArray(1000, 'z'), {}}}),
        streamCase("exactlyTheDefaultCapIsHeldAsFarAsItArrived", 0, 0, false, 1000,
                   {{header(16 * 1024 * 1024) + QByteArray(1000, 'z'), {}}})),
    [](const ::testing::TestParamInfo<StreamCase>& i) { return std::string(i.param.name); });

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

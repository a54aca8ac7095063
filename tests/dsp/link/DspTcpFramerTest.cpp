#include "DspTcpFramer.h"
#include "DspEnvelope.h"

#include <gtest/gtest.h>

#include <QVector>
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
        streamCase("hugeClaimIsNeverHeld", 0, 1, true, 0, {{header(0xFFFFFFFFu) + QByteArray(1000, 'z'), {}}})),
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

/// The cap of a frame depends on what was asked before it.
struct CapCase
{
    const char* name;
    QList<QByteArray> requests; ///< sent before the frames, in order
    QList<int> before;          ///< sizes of whole frames delivered first
    quint32 probe;              ///< the claimed size of the last frame, of which at most 1000 bytes arrive
    bool broken;
    int grantsLeft;
};

class DspTcpFramerCapTest : public ::testing::TestWithParam<CapCase>
{
};

TEST_P(DspTcpFramerCapTest, AFrameIsHeldOnlyWithinTheCapOfWhatWasAsked)
{
    const CapCase c = GetParam();
    DspTcpFramer framer;
    for (const QByteArray& request : c.requests)
        framer.expectReplyTo(request);
    for (int size : c.before) {
        const QByteArray payload(size, 'a');
        ASSERT_EQ(framer.feed(DspTcpFramer::frame(payload)), QList<QByteArray>{payload}) << size;
    }
    const int arriving = int(qMin<quint32>(c.probe, 1000));
    const QList<QByteArray> got = framer.feed(header(c.probe) + QByteArray(arriving, 'p'));
    EXPECT_EQ(framer.isBroken(), c.broken);
    EXPECT_EQ(framer.errors().size(), c.broken ? 1 : 0);
    EXPECT_EQ(framer.largeGrants(), c.grantsLeft);
    // Never more held than what arrived of a frame within its cap.
    EXPECT_EQ(framer.buffered(), c.broken || int(c.probe) == arriving ? 0 : arriving);
    EXPECT_EQ(got.size(), !c.broken && int(c.probe) == arriving ? 1 : 0);
}

const QByteArray kGetConfig = DspEnvelope::tcp(QStringLiteral("A1"), QStringLiteral(R"({"ops":"getConfig"})")).toUtf8();
const QByteArray kByName = QByteArrayLiteral(R"({"devId":"A1", "name":"default","ops":"getConfigByName"})");
const QByteArray kMute = QByteArrayLiteral(R"({"devId":"A1", "ops":"setMute","val":"1"})");
constexpr quint32 kSmall = DspTcpFramer::kDefaultMaxMessage;
constexpr quint32 kLarge = DspTcpFramer::kDefaultMaxLargeMessage;

INSTANTIATE_TEST_SUITE_P(
    Caps, DspTcpFramerCapTest,
    ::testing::Values(
        CapCase{"smallCapExactlyWithoutRequest", {}, {}, kSmall, false, 0},
        CapCase{"overSmallCapWithoutRequest", {}, {}, kSmall + 1, true, 0},
        CapCase{"overSmallCapAfterAnotherRequest", {kMute}, {}, kSmall + 1, true, 0},
        CapCase{"opsNamedOnlyInAValueGrantsNothing",
                {QByteArrayLiteral(R"({"ops":"setName","name":"getConfig"})"), QByteArrayLiteral("getConfig")},
                {},
                kSmall + 1,
                true,
                0},
        CapCase{"largeCapExactlyAfterGetConfig", {kGetConfig}, {}, kLarge, false, 0},
        CapCase{"overLargeCapAfterGetConfig", {kGetConfig}, {}, kLarge + 1, true, 1},
        CapCase{"largeAfterGetConfigByName", {kByName}, {}, kSmall + 1, false, 0},
        CapCase{"smallConfigReplyKeepsTheGrant", {kGetConfig}, {100}, kSmall + 1, false, 0},
        CapCase{"oneGrantServesOneLargeFrame", {kGetConfig}, {int(kSmall) + 1}, kSmall + 1, true, 0},
        CapCase{"twoRequestsServeTwoLargeFrames", {kGetConfig, kByName}, {int(kSmall) + 1}, kSmall + 1, false, 0},
        CapCase{"grantsAreBounded",
                QVector<QByteArray>(10, kGetConfig).toList(),
                {},
                10,
                false,
                DspTcpFramer::kMaxLargeGrants},
        CapCase{"hugeClaimEvenWithAGrant", {kGetConfig}, {}, 0xFFFFFFFFu, true, 1}),
    [](const ::testing::TestParamInfo<CapCase>& i) { return std::string(i.param.name); });

TEST(DspTcpFramerTest, ANewConnectionForgetsTheGrantsOfTheOldOne)
{
    DspTcpFramer framer;
    framer.expectReplyTo(kGetConfig);
    framer.reset();
    framer.feed(header(kSmall + 1));
    EXPECT_TRUE(framer.isBroken());
    EXPECT_TRUE(framer.errors().join(QString()).contains(QStringLiteral("no configuration asked for")));
}

TEST(DspTcpFramerTest, AMessageThatWouldLeakInTheWindowsParserIsDroppedAndReported)
{
    DspTcpFramer framer;
    const QByteArray bad = R"({"ops":"getConfig","blocks":[{"a":1}],"blocks":[{"a":2}]})";
    const QList<QByteArray> got = framer.feed(stream({kMessages[0], bad, kMessages[1]}));
    EXPECT_EQ(got, (QList<QByteArray>{kMessages[0], kMessages[1]}));
    const QStringList errors = framer.errors();
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].contains(QStringLiteral("dropped"))) << errors[0].toStdString();
    EXPECT_FALSE(framer.isBroken()) << "the stream stays in step";
}

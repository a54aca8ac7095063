// Automixer member masks and the requests of the echo-canceller and automixer editors.

#include "AutomixerMask.h"
#include "CDeviceDspData.h"
#include "DspNodeRequests.h"
#include "DspTestConfig.h"

#include <gtest/gtest.h>

namespace {

AutomixerMask fields(int priority, int gain, bool chPost, bool bypass, bool preMute, bool postMute, bool alwaysOn,
                     int chId)
{
    AutomixerMask m;
    m.priority = priority;
    m.gain = gain;
    m.chPost = chPost;
    m.bypass = bypass;
    m.preMute = preMute;
    m.postMute = postMute;
    m.alwaysOn = alwaysOn;
    m.chId = chId;
    return m;
}

std::string show(const AutomixerMask& m)
{
    return QStringLiteral("p=%1 g=%2 post=%3 byp=%4 pre=%5 pm=%6 on=%7 ch=%8")
        .arg(m.priority)
        .arg(m.gain)
        .arg(m.chPost)
        .arg(m.bypass)
        .arg(m.preMute)
        .arg(m.postMute)
        .arg(m.alwaysOn)
        .arg(m.chId)
        .toStdString();
}

} // namespace

TEST(AutomixerMask, ComposesEachFieldIntoItsBits)
{
    const struct
    {
        AutomixerMask m;
        quint64 mask;
    } cases[] = {
        {fields(5, -1, true, false, false, false, true, 3), 5 | 0xFFFull << 4 | 1ull << 16 | 1ull << 20 | 3ull << 21},
        {fields(0, 0, false, true, false, false, false, 0), 1ull << 17},
        {fields(0, 0, false, false, true, false, false, 0), 1ull << 18},
        {fields(0, 0, false, false, false, true, false, 0), 1ull << 19},
        {fields(15, 2047, false, false, false, false, false, 0xFFFF), 15 | 0x7FFull << 4 | 0xFFFFull << 21},
        {fields(0, -2048, false, false, false, false, false, 1), 0x800ull << 4 | 1ull << 21},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.m.compose(), c.mask) << show(c.m);
        EXPECT_EQ(AutomixerMask::decompose(c.mask), c.m) << show(c.m);
    }
}

TEST(AutomixerMask, GainIsSignExtendedFromBit15)
{
    const struct
    {
        quint64 mask;
        int gain;
    } cases[] = {
        {0xFFF0, -1},     // bits 4-15 all set
        {0x7FF0, 2047},   // bits 4-14 set, 15 clear
        {0x8000, -2048},  // only the sign bit
        {0x0010, 1},      //
        {0xFFFFFFF0, -1}, // bits above 15 belong to other fields
        {0x000F, 0},      // the priority is not the gain
    };
    for (const auto& c : cases)
        EXPECT_EQ(AutomixerMask::decompose(c.mask).gain, c.gain) << std::hex << c.mask;
}

TEST(AutomixerMask, EveryFieldSurvivesTheRoundTrip)
{
    for (int gain = AutomixerMask::kMinGain; gain <= AutomixerMask::kMaxGain; gain += 91)
        for (int bits = 0; bits < 32; ++bits) {
            const AutomixerMask m = fields((gain + bits) & 0xF, gain, bits & 1, bits & 2, bits & 4, bits & 8, bits & 16,
                                           (gain * 37 + bits) & 0xFFFF);
            const quint64 packed = m.compose();
            EXPECT_EQ(AutomixerMask::decompose(packed), m) << show(m);
            EXPECT_EQ(packed >> 37, 0u) << show(m);
        }
}

TEST(AutomixerMask, OldFirmwareGetsTheEntryIndexAsChannel)
{
    const QJsonArray masks{"5", "5", "5", "5"};
    const QJsonObject cfg = dsptest::config(
        {dsptest::channelNode(4), dsptest::automixerNode(masks), dsptest::matrixNode(4, 5), dsptest::channelNode(4)});
    for (const auto& fw : {qMakePair(QStringLiteral("3.1.2"), true), qMakePair(QStringLiteral("3.1.3"), false),
                           qMakePair(QStringLiteral("3.0.9"), true)}) {
        CDeviceDspData data;
        data.parse(dsptest::reply(cfg), fw.first);
        ASSERT_EQ(data.automixerChannelCount(), 1);
        const QVector<quint64>& stored = data.automixerChannels().first()->maskArr();
        ASSERT_EQ(stored.size(), masks.size());
        for (int k = 0; k < stored.size(); ++k) {
            const AutomixerMask m = AutomixerMask::decompose(stored.at(k));
            EXPECT_EQ(m.priority, 5) << fw.first.toStdString();
            EXPECT_EQ(m.chId, fw.second ? k : 0) << fw.first.toStdString() << " entry " << k;
        }
    }
}

TEST(DspNodeRequests, NodesAreAddressedInTheNodeOrder)
{
    const QJsonObject cfg =
        dsptest::config({dsptest::channelNode(4), dsptest::automixerNode({"1"}), dsptest::automixerNode({"2"}),
                         dsptest::aecNode(4), dsptest::matrixNode(4, 7), dsptest::channelNode(4)});
    CDeviceDspData data;
    data.parse(dsptest::reply(cfg), QStringLiteral("3.2.0"));
    ASSERT_EQ(data.automixerChannelCount(), 2);
    ASSERT_EQ(data.aecChannelCount(), 1);
    EXPECT_EQ(DspNodeRequests::aecNodeId(data, 0), 3);

    const struct
    {
        QJsonObject request;
        const char* nodeId;
        QJsonObject obj;
        QString flag;
    } cases[] = {
        {DspNodeRequests::automixer(data, 0), "1", data.automixerChannels().at(0)->objJson(), "bf_automix_0"},
        {DspNodeRequests::automixer(data, 1), "2", data.automixerChannels().at(1)->objJson(), "bf_automix_1"},
        {DspNodeRequests::aec(data, 0), "3", data.aecChannels().at(0)->objJson(), "bf_aec_0"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.request.value("ops").toString(), "setNodeData");
        EXPECT_EQ(c.request.value("uiTag").toString(), "dspUiTag");
        EXPECT_EQ(c.request.value("nodeId").toString(), c.nodeId);
        EXPECT_EQ(c.request.value("blockFlag").toString(), c.flag);
        EXPECT_EQ(c.request.value("obj").toObject(), c.obj) << c.nodeId;
    }
    // Records that do not exist give no request at all.
    EXPECT_TRUE(DspNodeRequests::aec(data, 1).isEmpty());
    EXPECT_TRUE(DspNodeRequests::automixer(data, -1).isEmpty());

    for (const auto& poll : {qMakePair(DspNodeRequests::activePoll(1), QStringLiteral("getAutomixActive")),
                             qMakePair(DspNodeRequests::levelPoll(1), QStringLiteral("getAutomixVolumeDbPost"))}) {
        EXPECT_EQ(poll.first.value("ops").toString(), poll.second);
        EXPECT_EQ(poll.first.value("nodeId").toString(), "2");
        EXPECT_EQ(poll.first.value("blockFlag").toString(), "bf_automix_1");
    }
}

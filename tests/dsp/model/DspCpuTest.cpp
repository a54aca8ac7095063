// The CPU estimate of a configuration and the record of the processor's CPU figures.

#include "CDeviceDspData.h"
#include "CFbeItem.h"
#include "CFirItem.h"
#include "DspBlockFactory.h"
#include "DspCpuEstimate.h"
#include "DspCpuFigures.h"
#include "DspDefaultConfig.h"

#include <gtest/gtest.h>

namespace {

void makeMixer(CDeviceDspData& data, int in, int out, int sampleRate)
{
    data.parse(DspDefaultConfig::reply(in, out, sampleRate), "3.2.0");
}

} // namespace

TEST(DspCpuTest, ChannelCountsAndSampleRate)
{
    CDeviceDspData data;
    makeMixer(data, 16, 16, 48000);
    EXPECT_DOUBLE_EQ(DspCpuEstimate::cost(data), 24);
    EXPECT_EQ(DspCpuEstimate::estimate(data, 1.0), 14);
    EXPECT_EQ(DspCpuEstimate::estimate(data, 0.4), 35); // 24 / 68

    makeMixer(data, 16, 16, 96000);
    EXPECT_EQ(DspCpuEstimate::estimate(data, 1.0), 28);
    makeMixer(data, 16, 16, 144000);
    EXPECT_EQ(DspCpuEstimate::estimate(data, 1.0), 56);
    makeMixer(data, 8, 8, 192000);
    EXPECT_EQ(DspCpuEstimate::estimate(data, 1.0), 28); // 6 / 21.25

    EXPECT_DOUBLE_EQ(DspCpuEstimate::capacityFactor(1.0, 48000), 1.0);
    EXPECT_DOUBLE_EQ(DspCpuEstimate::capacityFactor(1.0, 48001), 0.5);
    EXPECT_DOUBLE_EQ(DspCpuEstimate::capacityFactor(1.0, 96001), 0.25);
    EXPECT_DOUBLE_EQ(DspCpuEstimate::capacityFactor(1.0, 144001), 0.125);
    EXPECT_EQ(DspCpuEstimate::estimate(data, 0), 0);
    EXPECT_EQ(DspCpuEstimate::estimate(data, -1), 0);
}

TEST(DspCpuTest, BlocksAndSideChannelsAddTheirCost)
{
    CDeviceDspData data;
    makeMixer(data, 2, 2, 48000);                                                 // S = 0.375
    data.inputs().at(0)->appendBlock(DspBlockFactory::create(CBaseItem::KindEq)); // 10 bands: 2.3
    data.outputs().at(1)->appendBlock(DspBlockFactory::create(CBaseItem::KindFbe));
    auto* fir = new CFirItem;
    fir->setMaxTaps(1024);
    data.outputs().at(1)->appendBlock(fir);
    EXPECT_NEAR(DspCpuEstimate::cost(data), 0.375 + 2.3 + 2.27 + 32, 1e-9);
    data.automixerChannels().append(new DspAutomixerChannel);
    data.automixerChannels().append(new DspAutomixerChannel);
    data.aecChannels().append(new DspAecChannel(2));
    EXPECT_NEAR(DspCpuEstimate::cost(data), 0.375 + 2.3 + 2.27 + 32 + 10 + 30, 1e-9);
    EXPECT_EQ(DspCpuEstimate::estimate(data, 1.0), 45); // 76.945 / 170
}

TEST(DspCpuTest, EstimateStopsAt99)
{
    CDeviceDspData data;
    makeMixer(data, 4, 4, 48000);
    for (int i = 0; i < 80; ++i)
        data.inputs().at(i % 4)->appendBlock(new CFbeItem);
    EXPECT_GT(DspCpuEstimate::cost(data), 170);
    EXPECT_EQ(DspCpuEstimate::estimate(data, 1.0), 99);
}

TEST(DspCpuTest, FiguresAverageRoundsToNearest)
{
    DspCpuFigures f;
    f.update({"50", "95"});
    EXPECT_EQ(f.average(), 73);
    EXPECT_EQ(f.minimum(), 50);
    EXPECT_EQ(f.maximum(), 95);
    EXPECT_FALSE(f.forbidsEnabling());

    f.update({"95", "88"});
    EXPECT_EQ(f.average(), 92);
    EXPECT_TRUE(f.forbidsEnabling());
    f.update({"90", "90"});
    EXPECT_EQ(f.average(), 90);
    EXPECT_FALSE(f.forbidsEnabling());

    f.update({" 10", "x", "30"}); // unreadable items do not count
    EXPECT_EQ(f.average(), 20);
    EXPECT_EQ(f.minimum(), 10);
    f.update({});
    EXPECT_EQ(f.average(), 0);
    EXPECT_EQ(f.minimum(), 100);
    EXPECT_EQ(f.maximum(), 0);
}

TEST(DspCpuTest, ProcessWideRecord)
{
    DspCpuFigures& f = DspCpuFigures::instance();
    EXPECT_EQ(&f, &DspCpuFigures::instance());
    f.update({"91", "91"});
    f.setEstimate(42);
    EXPECT_TRUE(DspCpuFigures::instance().forbidsEnabling());
    EXPECT_EQ(DspCpuFigures::instance().estimate(), 42);
    f.reset();
    EXPECT_EQ(DspCpuFigures::instance().average(), 0);
    EXPECT_EQ(DspCpuFigures::instance().estimate(), 0);
}

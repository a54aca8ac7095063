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
    const struct
    {
        int channels, sampleRate;
        double factor;
        int estimate;
    } cases[] = {{16, 48000, 1.0, 14}, {16, 48000, 0.4, 35}, {16, 96000, 1.0, 28}, {16, 144000, 1.0, 56},
                 {8, 192000, 1.0, 28}, {16, 48000, 0, 0},    {16, 48000, -1, 0}};
    CDeviceDspData data;
    for (const auto& c : cases) {
        makeMixer(data, c.channels, c.channels, c.sampleRate);
        EXPECT_EQ(DspCpuEstimate::estimate(data, c.factor), c.estimate) << c.channels << " @ " << c.sampleRate;
    }
    makeMixer(data, 16, 16, 48000);
    EXPECT_DOUBLE_EQ(DspCpuEstimate::cost(data), 24);
    const double factors[][2] = {{48000, 1.0}, {48001, 0.5}, {96001, 0.25}, {144001, 0.125}};
    for (const auto& f : factors)
        EXPECT_DOUBLE_EQ(DspCpuEstimate::capacityFactor(1.0, int(f[0])), f[1]) << f[0];
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
    const struct
    {
        QStringList items;
        int average, minimum, maximum;
        bool forbids;
    } cases[] = {{{"50", "95"}, 73, 50, 95, false},
                 {{"95", "88"}, 92, 88, 95, true},
                 {{"90", "90"}, 90, 90, 90, false},
                 {{" 10", "x", "30"}, 20, 10, 30, false}, // unreadable items do not count
                 {{}, 0, 100, 0, false}};
    DspCpuFigures f;
    for (const auto& c : cases) {
        f.update(c.items);
        const std::string at = c.items.join(',').toStdString();
        EXPECT_EQ(f.average(), c.average) << at;
        EXPECT_EQ(f.minimum(), c.minimum) << at;
        EXPECT_EQ(f.maximum(), c.maximum) << at;
        EXPECT_EQ(f.forbidsEnabling(), c.forbids) << at;
    }
}

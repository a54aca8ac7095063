// What a configuration may bring is bounded when it is read: groups, blocks per channel, blocks in all and FIR
// coefficients. A cut is said in a warning; what is within the bounds is read whole.

#include "CDeviceDspData.h"
#include "CFirItem.h"
#include "DspTestConfig.h"
#include "FirCoefficientReader.h"

#include <QJsonArray>

#include <gtest/gtest.h>

using namespace dsptest;

namespace {

QStringList s_warnings;

void collect(QtMsgType type, const QMessageLogContext&, const QString& text)
{
    if (type == QtWarningMsg)
        s_warnings << text;
}

QJsonArray limits(int count)
{
    QJsonArray chain;
    for (int i = 0; i < count; ++i)
        chain.append(block(6, QJsonObject{}));
    return chain;
}

QJsonObject firBlock(int coefficients)
{
    QJsonArray arr;
    for (int i = 0; i < coefficients; ++i)
        arr.append(QString::number(i % 7 * 0.125));
    return block(5, QJsonObject{{"firType", "3"}, {"maxTaps", "8192"}, {"arr", arr}});
}

QJsonArray groups(int count)
{
    QJsonArray out;
    for (int i = 0; i < count; ++i)
        out.append(QJsonObject{{"name", QStringLiteral("g%1").arg(i)}, {"gainDb", "0"}, {"mute", "0"}});
    return out;
}

struct CapCase
{
    const char* name;
    int groups;
    int channels;
    int blocksPerChannel;
    int firCoefficients; ///< a custom FIR block appended to the first channel's chain when above 0
    int groupsRead;
    int blocksOfFirstChannel;
    int blocksInAll;
    int firRead;
    bool warned;
};

class DspParserCapsTest : public ::testing::TestWithParam<CapCase>
{
};

TEST_P(DspParserCapsTest, ReadsWithinTheBoundsAndWarnsWhenItCuts)
{
    const CapCase c = GetParam();
    QList<QJsonArray> chains;
    for (int j = 0; j < c.channels; ++j)
        chains << limits(c.blocksPerChannel);
    if (c.firCoefficients > 0)
        chains[0].append(firBlock(c.firCoefficients));
    CDeviceDspData data;
    setInfo(data, c.channels, 1);
    s_warnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler(collect);
    data.parse(reply(config({channelNode(c.channels, chains)}, groups(c.groups))), "3.2.0");
    qInstallMessageHandler(previous);

    EXPECT_EQ(data.groups().size(), c.groupsRead);
    ASSERT_EQ(data.inputs().size(), c.channels);
    EXPECT_EQ(data.inputs().at(0)->blocks().size(), c.blocksOfFirstChannel);
    int all = 0;
    for (const CInputChannel* in : data.inputs())
        all += in->blocks().size();
    EXPECT_EQ(all, c.blocksInAll);
    if (c.firCoefficients > 0) {
        const auto* fir = dynamic_cast<const CFirItem*>(data.inputs().at(0)->blocks().last());
        ASSERT_NE(fir, nullptr);
        EXPECT_EQ(fir->arrLength(), c.firRead);
    }
    EXPECT_EQ(s_warnings.filter(QStringLiteral("dsp config:")).size() > 0, c.warned)
        << s_warnings.join('\n').toStdString();
}

constexpr int kGroups = CDeviceDspData::MaxGroups;
constexpr int kPerChannel = CDeviceDspData::MaxBlocksPerChannel;
constexpr int kFir = FirCoefficientReader::kMaxCount;
// Channels of full chains that together pass the bound on all blocks.
constexpr int kFullChannels = CDeviceDspData::MaxBlocks / kPerChannel + 3;

INSTANTIATE_TEST_SUITE_P(Caps, DspParserCapsTest,
                         ::testing::Values(CapCase{"groupsAtTheBound", kGroups, 1, 1, 0, kGroups, 1, 1, 0, false},
                                           CapCase{"groupsOverTheBound", kGroups + 40, 1, 1, 0, kGroups, 1, 1, 0, true},
                                           CapCase{"chainAtTheBound", 0, 2, kPerChannel, 0, 0, kPerChannel,
                                                   2 * kPerChannel, 0, false},
                                           CapCase{"chainOverTheBound", 0, 2, kPerChannel + 100, 0, 0, kPerChannel,
                                                   2 * kPerChannel, 0, true},
                                           CapCase{"blocksInAllOverTheBound", 0, kFullChannels, kPerChannel, 0, 0,
                                                   kPerChannel, CDeviceDspData::MaxBlocks, 0, true},
                                           CapCase{"firAtTheBound", 0, 1, 1, kFir, 0, 2, 2, kFir, false},
                                           CapCase{"firOverTheBoundReadsNone", 0, 1, 1, kFir + 1, 0, 2, 2, 0, true}),
                         [](const ::testing::TestParamInfo<CapCase>& i) { return std::string(i.param.name); });

} // namespace

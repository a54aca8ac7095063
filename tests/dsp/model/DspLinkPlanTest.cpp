// Linking two channels: refusals, link and unlink, and former partners leaving their links.

#include "DspLinkPlan.h"

#include "CBaseItem.h"
#include "CDeviceDspData.h"
#include "DspBlockFactory.h"
#include "DspDefaultConfig.h"

#include <gtest/gtest.h>

namespace {

/// Inputs of a 4 x 4 configuration written "EQ#0,Delay;EQ" (channels split by ";", "#<id>" a group id); the same
/// form without kinds ("0,1;-1") lists every input's group ids after the plan is applied.
struct LinkCase
{
    const char* name;
    const char* inputs;
    int chA, chB;
    const char* refusal;
    bool unlink;
    const char* groupsAfter;
};

class DspLinkPlanTest : public ::testing::TestWithParam<LinkCase>
{
};

TEST_P(DspLinkPlanTest, PlanRefusesOrLeavesEveryLinkPaired)
{
    const LinkCase c = GetParam();
    CDeviceDspData data;
    data.parse(DspDefaultConfig::reply(4, 4, 48000), QStringLiteral("3.2.0"));
    const QStringList inputs = QString::fromUtf8(c.inputs).split(';');
    for (int ch = 0; ch < inputs.size(); ++ch)
        for (const QString& token : inputs[ch].split(',', Qt::SkipEmptyParts)) {
            CBaseItem* b =
                DspBlockFactory::create(token.startsWith("EQ") ? int(CBaseItem::KindEq) : int(CBaseItem::KindDelay));
            b->setGroupId(token.contains('#') ? token.section('#', 1).toInt() : -1);
            data.input(ch)->appendBlock(b);
        }
    const DspLinkPlan plan = DspLinkPlan::make(data, true, c.chA, c.chB);
    EXPECT_EQ(plan.refusal(), QString::fromUtf8(c.refusal));
    if (*c.refusal != 0) {
        EXPECT_TRUE(plan.entries().isEmpty());
        return;
    }
    EXPECT_EQ(plan.isUnlink(), c.unlink);
    plan.apply(data);
    QStringList after;
    for (int ch = 0; ch < 4; ++ch) {
        QStringList groups;
        for (const CBaseItem* b : data.input(ch)->blocks())
            groups << QString::number(b->groupId());
        after << groups.join(',');
    }
    EXPECT_EQ(after.join(';'), QString::fromUtf8(c.groupsAfter));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DspLinkPlanTest,
    ::testing::Values(LinkCase{"emptyChain", "EQ", 0, 1, "没有功能块无法链接", false, ""},
                      LinkCase{"differentChains", "EQ,Delay;EQ", 0, 1, "通道完全相同才能进行链接", false, ""},
                      LinkCase{"sameChannel", "EQ", 0, 0, "链接失败", false, ""},
                      LinkCase{"missingChannel", "EQ", 0, 7, "链接失败", false, ""},
                      LinkCase{"link", "EQ,Delay;EQ,Delay", 0, 1, "", false, "0,1;0,1;;"},
                      LinkCase{"idsInUseElsewhereAreSkipped", "EQ;EQ;EQ#0;EQ#0", 0, 1, "", false, "1;1;0;0"},
                      LinkCase{"unlink", "EQ#3;EQ#3", 0, 1, "", true, "-1;-1;;"},
                      // 1 is linked with 0; linking it with 2 takes 0 out of the link instead of leaving it alone.
                      LinkCase{"relinkFreesTheFormerPartner", "EQ#5;EQ#5;EQ", 1, 2, "", false, "-1;0;0;"}),
    [](const ::testing::TestParamInfo<LinkCase>& i) { return std::string(i.param.name); });

TEST(DspLinkPlanPartners, NeighboursOnTheSameSide)
{
    CDeviceDspData data;
    data.parse(DspDefaultConfig::reply(4, 1, 48000), QStringLiteral("3.2.0"));
    const struct
    {
        bool isInput;
        int ch;
        QVector<int> partners;
    } cases[] = {{true, 0, {1}}, {true, 2, {1, 3}}, {true, 3, {2}}, {true, 4, {}}, {false, 0, {}}, {true, -1, {}}};
    for (const auto& c : cases)
        EXPECT_EQ(DspLinkPlan::partners(data, c.isInput, c.ch), c.partners) << c.isInput << " " << c.ch;
}

} // namespace

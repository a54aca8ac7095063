// Linking two channels: refusals, link and unlink, and former partners leaving their links.

#include "DspLinkPlan.h"

#include "CBaseItem.h"
#include "CDeviceDspData.h"
#include "DspBlockFactory.h"
#include "DspDefaultConfig.h"

#include <gtest/gtest.h>

namespace {

/// One input channel: its block kinds and their group ids (-1 none).
struct Chain
{
    QList<int> kinds;
    QList<int> groups;
};

struct LinkCase
{
    const char* name;
    QList<Chain> inputs; ///< of a 4 x 4 configuration; missing channels are empty
    int chA, chB;
    QString refusal;
    bool unlink;
    QList<QList<int>> groupsAfter; ///< every input's group ids once the plan is applied
};

class DspLinkPlanTest : public ::testing::TestWithParam<LinkCase>
{
};

TEST_P(DspLinkPlanTest, PlanRefusesOrLeavesEveryLinkPaired)
{
    const LinkCase c = GetParam();
    CDeviceDspData data;
    data.parse(DspDefaultConfig::reply(4, 4, 48000), QStringLiteral("3.2.0"));
    for (int ch = 0; ch < c.inputs.size(); ++ch)
        for (int i = 0; i < c.inputs[ch].kinds.size(); ++i) {
            CBaseItem* b = DspBlockFactory::create(c.inputs[ch].kinds[i]);
            b->setGroupId(c.inputs[ch].groups.value(i, -1));
            data.input(ch)->appendBlock(b);
        }
    const DspLinkPlan plan = DspLinkPlan::make(data, true, c.chA, c.chB);
    EXPECT_EQ(plan.refusal(), c.refusal);
    if (!c.refusal.isEmpty()) {
        EXPECT_TRUE(plan.entries().isEmpty());
        return;
    }
    EXPECT_EQ(plan.isUnlink(), c.unlink);
    plan.apply(data);
    for (int ch = 0; ch < c.groupsAfter.size(); ++ch) {
        QList<int> groups;
        for (const CBaseItem* b : data.input(ch)->blocks())
            groups << b->groupId();
        EXPECT_EQ(groups, c.groupsAfter[ch]) << "input " << ch;
    }
}

constexpr int Eq = CBaseItem::KindEq;
constexpr int Delay = CBaseItem::KindDelay;

INSTANTIATE_TEST_SUITE_P(
    Cases, DspLinkPlanTest,
    ::testing::Values(
        LinkCase{"emptyChain", {{{Eq}, {}}}, 0, 1, QStringLiteral("没有功能块无法链接"), false, {}},
        LinkCase{"differentChains",
                 {{{Eq, Delay}, {}}, {{Eq}, {}}},
                 0,
                 1,
                 QStringLiteral("通道完全相同才能进行链接"),
                 false,
                 {}},
        LinkCase{"sameChannel", {{{Eq}, {}}}, 0, 0, QStringLiteral("链接失败"), false, {}},
        LinkCase{"missingChannel", {{{Eq}, {}}}, 0, 7, QStringLiteral("链接失败"), false, {}},
        LinkCase{"link", {{{Eq, Delay}, {}}, {{Eq, Delay}, {}}}, 0, 1, QString(), false, {{0, 1}, {0, 1}}},
        LinkCase{"idsInUseElsewhereAreSkipped",
                 {{{Eq}, {}}, {{Eq}, {}}, {{Eq}, {0}}, {{Eq}, {0}}},
                 0,
                 1,
                 QString(),
                 false,
                 {{1}, {1}, {0}, {0}}},
        LinkCase{"unlink", {{{Eq}, {3}}, {{Eq}, {3}}}, 0, 1, QString(), true, {{-1}, {-1}}},
        // 1 is linked with 0; linking it with 2 takes 0 out of the link instead of leaving it linked to nobody.
        LinkCase{"relinkFreesTheFormerPartner",
                 {{{Eq}, {5}}, {{Eq}, {5}}, {{Eq}, {}}},
                 1,
                 2,
                 QString(),
                 false,
                 {{-1}, {0}, {0}}}),
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

// Refusals of adding and pasting.

#include "DspEditRules.h"
#include "CDelayItem.h"
#include "CDeviceDspData.h"
#include "CEqBlockItem.h"
#include "CHlpfItem.h"
#include "CLimitItem.h"
#include "DspBlockFactory.h"
#include "DspDefaultConfig.h"

#include <gtest/gtest.h>

#include <memory>

using namespace DspEditRules;

namespace {

CDelayItem* delay(int maxNum)
{
    auto* d = new CDelayItem;
    d->setMaxNum(maxNum);
    return d;
}

CHlpfItem* filter(bool highPass)
{
    auto* f = new CHlpfItem;
    f->setIsHpf(highPass);
    return f;
}

class DspEditRulesTest : public ::testing::Test
{
protected:
    void SetUp() override { data.parse(DspDefaultConfig::reply(4, 4, 48000), "3.2.0"); }
    QString add(bool isInput, int ch, int kind, int maxNum = 0)
    {
        return canAdd(data, isInput, ch, kind, 2, 100000, maxNum);
    }
    CDeviceDspData data;
};

} // namespace

TEST_F(DspEditRulesTest, OneOfEachPerChannel)
{
    EXPECT_EQ(add(true, 0, CBaseItem::KindEq), "");
    data.inputs().at(0)->appendBlock(new CEqBlockItem(10));
    EXPECT_EQ(add(true, 0, CBaseItem::KindEq), "只允许添加一个EQ");
    EXPECT_EQ(add(true, 1, CBaseItem::KindEq), "");  // another channel
    EXPECT_EQ(add(false, 0, CBaseItem::KindEq), ""); // the output of the same index

    data.inputs().at(1)->appendBlock(filter(true));
    EXPECT_EQ(add(true, 1, AddHpf), "只允许添加一个HPF");
    EXPECT_EQ(add(true, 1, CBaseItem::KindHlpf), "只允许添加一个HPF");
    EXPECT_EQ(add(true, 1, AddLpf), ""); // one of each flavour
    data.inputs().at(1)->appendBlock(filter(false));
    EXPECT_EQ(add(true, 1, AddLpf), "只允许添加一个LPF");

    data.outputs().at(2)->appendBlock(DspBlockFactory::create(CBaseItem::KindDucker));
    EXPECT_EQ(add(false, 2, CBaseItem::KindDucker), "只允许添加一个闪避");
    // Other kinds may repeat.
    data.outputs().at(2)->appendBlock(new CLimitItem);
    EXPECT_EQ(add(false, 2, CBaseItem::KindLimit), "");

    EXPECT_FALSE(add(true, 9, CBaseItem::KindEq).isEmpty()); // no such channel
    EXPECT_FALSE(add(true, -1, CBaseItem::KindLimit).isEmpty());
}

TEST_F(DspEditRulesTest, SideChannelLimits)
{
    EXPECT_EQ(add(true, 0, AddAecChannel), "");
    data.aecChannels().append(new DspAecChannel(4));
    EXPECT_EQ(add(true, 0, AddAecChannel), "只能添加一个AEC");

    EXPECT_EQ(add(true, 0, AddAutomixerChannel), "");
    data.automixerChannels().append(new DspAutomixerChannel);
    EXPECT_EQ(add(true, 0, AddAutomixerChannel), "");
    data.automixerChannels().append(new DspAutomixerChannel);
    EXPECT_EQ(add(true, 0, AddAutomixerChannel), "AutoMixer通道数已达上限");
    EXPECT_EQ(canAdd(data, true, 0, AddAutomixerChannel, 3, 0, 0), "");
}

TEST_F(DspEditRulesTest, DelayMemoryBudgetCountsEveryDelay)
{
    data.inputs().at(0)->appendBlock(delay(48000));
    data.outputs().at(3)->appendBlock(delay(24000));
    EXPECT_EQ(delayMemoryUsed(data), 72000);
    EXPECT_EQ(add(true, 1, CBaseItem::KindDelay, 28000), ""); // exactly fills 100000
    EXPECT_EQ(add(true, 1, CBaseItem::KindDelay, 28001), "延时时长超过限制,不能添加");
    // A made block is judged by its own size and flavour.
    CDelayItem big;
    big.setMaxNum(240000);
    EXPECT_EQ(canAddBlock(data, true, 1, big, 8, 480000), "");
    EXPECT_EQ(canAddBlock(data, true, 1, big, 8, 300000), "延时时长超过限制,不能添加");
    std::unique_ptr<CHlpfItem> lpf(filter(false));
    data.inputs().at(2)->appendBlock(filter(false));
    EXPECT_EQ(canAddBlock(data, true, 2, *lpf, 8, 0), "只允许添加一个LPF");
}

TEST_F(DspEditRulesTest, PastingBlockParameters)
{
    data.inputs().at(0)->appendBlock(new CLimitItem);
    data.inputs().at(0)->appendBlock(delay(10000));
    data.inputs().at(1)->appendBlock(new CLimitItem);
    data.inputs().at(1)->appendBlock(delay(10000));
    data.outputs().at(0)->appendBlock(new CLimitItem);
    data.outputs().at(1)->appendBlock(new CEqBlockItem(5));
    std::unique_ptr<CBaseItem> copied(data.inputs().at(0)->block(0)->clone());

    EXPECT_EQ(canPasteBlock(data, *copied, true, 0, 0, true, 0, 0, 480000), "不能粘贴给同一功能块");
    EXPECT_EQ(canPasteBlock(data, *copied, true, 0, 0, true, 1, 0, 480000), "");
    EXPECT_EQ(canPasteBlock(data, *copied, true, 0, 0, false, 0, 0, 480000), ""); // same index, other side
    EXPECT_EQ(canPasteBlock(data, *copied, true, 0, 0, true, 1, 1, 480000), "类型不同无法粘贴");
    EXPECT_EQ(canPasteBlock(data, *copied, true, 0, 0, true, 1, 7, 480000), "类型不同无法粘贴");
    CEqBlockItem eq10(10);
    EXPECT_EQ(canPasteBlock(data, eq10, true, 3, 0, false, 1, 0, 480000), "类型不同无法粘贴");
    CEqBlockItem eq5(5);
    EXPECT_EQ(canPasteBlock(data, eq5, true, 3, 0, false, 1, 0, 480000), "");

    // The target's own delay is replaced: 20000 in use, 10000 of it swapped for 15000.
    std::unique_ptr<CDelayItem> bigger(delay(15000));
    EXPECT_EQ(canPasteBlock(data, *bigger, true, 0, 1, true, 1, 1, 25000), "");
    EXPECT_EQ(canPasteBlock(data, *bigger, true, 0, 1, true, 1, 1, 24999), "延时时长超过限制,不能粘贴延时");
}

TEST_F(DspEditRulesTest, PastingChannelParameters)
{
    data.inputs().at(0)->appendBlock(delay(30000));
    data.inputs().at(1)->appendBlock(delay(5000));
    EXPECT_EQ(canPasteChannel(data, true, 0, true, 0, 480000), "不能粘贴给同一通道");
    EXPECT_EQ(canPasteChannel(data, false, 0, true, 1, 480000), "输出通道不能粘贴给输入通道");
    EXPECT_EQ(canPasteChannel(data, true, 0, false, 1, 480000), "输入通道不能粘贴给输出通道");
    EXPECT_EQ(canPasteChannel(data, true, 0, true, 1, 480000), "");
    // 35000 in use; pasting channel 0 onto 1 makes it 60000.
    EXPECT_EQ(canPasteChannel(data, true, 0, true, 1, 60000), "");
    EXPECT_EQ(canPasteChannel(data, true, 0, true, 1, 59999), "延时时长超过限制,不能粘贴延时");
    // A channel copied earlier is judged by the copy, not by what the source holds now.
    std::unique_ptr<CInputChannel> copy(data.inputs().at(1)->clone());
    data.inputs().at(1)->clearBlocks();
    EXPECT_EQ(canPasteChannel(data, true, 1, true, 0, 5000, copy.get()), "");
    EXPECT_FALSE(canPasteChannel(data, true, 0, true, 8, 480000).isEmpty());
}

TEST(DspEditRulesFreeTest, CpuRefusalAndOutputPositions)
{
    EXPECT_EQ(cpuRefusal(99, false), "CPU资源不足");
    EXPECT_EQ(cpuRefusal(99, true), "");
    EXPECT_EQ(cpuRefusal(98, false), "");

    EXPECT_EQ(outputInsertIndex(2, 0), 2);
    EXPECT_EQ(outputInsertIndex(2, 2), 0);
    EXPECT_EQ(outputInsertIndex(5, 1), 4);
    EXPECT_EQ(outputInsertIndex(2, 7), 0); // bounded to the chain
    EXPECT_EQ(outputInsertIndex(2, -3), 2);
    EXPECT_EQ(outputInsertIndex(0, 0), 0);
}

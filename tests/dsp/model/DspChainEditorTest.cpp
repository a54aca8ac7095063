// Structural edits of a configuration: adding, deleting, copying, pasting and planning links, with their refusals.
// The rules themselves are DspEditRules' and DspLinkPlan's; here: what the editor builds, where it inserts, the
// facts it obeys (CPU, forcing, lock), its clipboards and its messages.

#include "DspChainEditor.h"

#include "BlockPosition.h"
#include "CBaseItem.h"
#include "CDelayItem.h"
#include "CDeviceDspData.h"
#include "CHlpfItem.h"
#include "DspBlockFactory.h"
#include "DspCpuFigures.h"
#include "DspDefaultConfig.h"
#include "DspEditRules.h"

#include <gtest/gtest.h>

namespace {

/// "EQ", "HPF", "LPF", "Delay", "Comp", with "@<freq or samples>" for filters and delays in labels, "/b" when
/// bypassed and "#<id>" with a group id.
QString label(const CBaseItem* b)
{
    QString l;
    if (const auto* f = dynamic_cast<const CHlpfItem*>(b))
        l = QStringLiteral("%1@%2").arg(f->isHpf() ? "HPF" : "LPF").arg(f->freq0());
    else if (const auto* d = dynamic_cast<const CDelayItem*>(b))
        l = QStringLiteral("Delay@%1").arg(d->maxNum());
    else
        l = b->kind() == CBaseItem::KindEq ? QStringLiteral("EQ") : QStringLiteral("Comp");
    if (b->isBypass())
        l += QStringLiteral("/b");
    if (b->groupId() >= 0)
        l += QStringLiteral("#%1").arg(b->groupId());
    return l;
}

/// A channel written "in0" or "out3"; a block "in0.2".
struct Place
{
    bool isInput = true;
    int ch = 0;
    int block = 0;
};

Place place(const QString& text)
{
    const bool in = text.startsWith(QLatin1String("in"));
    const QStringList parts = text.mid(in ? 2 : 3).split(QLatin1Char('.'));
    return {in, parts.value(0).toInt(), parts.value(1).toInt()};
}

/// Chains as "in0=EQ/b,Delay;out1=Comp#5": blocks of kinds EQ, HPF, Delay and Comp.
void build(CDeviceDspData& data, const QString& chains)
{
    for (const QString& chain : chains.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const Place at = place(chain.section(QLatin1Char('='), 0, 0));
        for (QString token : chain.section(QLatin1Char('='), 1).split(QLatin1Char(','))) {
            const int group = token.contains(QLatin1Char('#')) ? token.section(QLatin1Char('#'), 1).toInt() : -1;
            token = token.section(QLatin1Char('#'), 0, 0);
            const bool bypass = token.endsWith(QLatin1String("/b"));
            token.remove(QLatin1String("/b"));
            CBaseItem* b = token == QLatin1String("EQ")      ? DspBlockFactory::create(CBaseItem::KindEq)
                           : token == QLatin1String("Delay") ? DspBlockFactory::create(CBaseItem::KindDelay)
                           : token == QLatin1String("Comp")  ? DspBlockFactory::create(CBaseItem::KindCompress)
                                                             : new CHlpfItem;
            if (auto* f = dynamic_cast<CHlpfItem*>(b))
                f->setIsHpf(true);
            b->setBypass(bypass);
            b->setGroupId(group);
            data.channel(at.isInput, at.ch)->appendBlock(b);
        }
    }
}

enum Op
{
    Add,           ///< `target` at `at` (its block part is the position)
    Delete,        ///< the block at `at`
    DeleteChannel, ///< the chain of `at`
    Copy,          ///< the block at `from`
    Paste,         ///< copy the block at `from`, paste onto `at`
    PasteChanged,  ///< as Paste, but the source is bypassed between copy and paste
    PasteChannel,  ///< copy channel `from`, paste onto `at`
    Link,          ///< plan linking `at` with channel `target` of the same side
    Bypass,        ///< plan switching the bypass of the block at `at`
    ApplyBypass    ///< the device agreed to bypass (`target` 1) or enable (0) the block at `at`
};

enum Fact
{
    Forced = 1,
    Locked = 2,
    FullCpu = 4,     ///< a capacity factor that puts 4 x 4 channels at an estimate of 99
    SmallMemory = 8, ///< 20000 samples of delay memory
    HalfSecond = 16, ///< a new delay holds 0.5 s
    CpuHigh = 32     ///< the processor's last CPU figures average 95
};

struct EditCase
{
    const char* name;
    const char* chains;
    Op op;
    const char* at;
    int target;
    const char* from;
    int facts;
    bool done;
    const char* message;
    const char* after; ///< the chain at `at` afterwards, as labels joined by ","
};

class DspChainEditorTest : public ::testing::TestWithParam<EditCase>
{
};

TEST_P(DspChainEditorTest, EditIsDoneOrRefusedLeavingTheChainAsExpected)
{
    const EditCase c = GetParam();
    CDeviceDspData data;
    data.parse(DspDefaultConfig::reply(4, 4, 48000), QStringLiteral("3.2.0"));
    build(data, QLatin1String(c.chains));
    DspChainEditor editor;
    editor.setData(&data);
    DspChainEditor::Facts facts;
    facts.automixerLimit = 2;
    facts.delayBudget = (c.facts & SmallMemory) ? 20000 : 100000;
    facts.cpuFactor = (c.facts & FullCpu) ? 0.005 : 1.0;
    facts.forceAdd = c.facts & Forced;
    facts.locked = c.facts & Locked;
    editor.setFacts(facts);
    DspCpuFigures::instance().reset();
    if (c.facts & CpuHigh)
        DspCpuFigures::instance().update({QStringLiteral("95"), QStringLiteral("95")});

    const Place at = place(QLatin1String(c.at));
    const Place from = place(QLatin1String(c.from));
    DspChainEditor::Result r;
    switch (c.op) {
    case Add:
        r = editor.addBlock(c.target, at.isInput, at.ch, at.block, (c.facts & HalfSecond) ? 0.5 : 0.1);
        break;
    case Delete:
        r = editor.deleteBlock(at.isInput, at.ch, at.block);
        break;
    case DeleteChannel:
        r = editor.deleteChannel(at.isInput, at.ch);
        break;
    case Copy:
        r = editor.copyBlock(from.isInput, from.ch, from.block);
        break;
    case Paste:
    case PasteChanged:
        editor.copyBlock(from.isInput, from.ch, from.block);
        if (c.op == PasteChanged)
            data.channel(from.isInput, from.ch)->block(from.block)->setBypass(true);
        r = editor.pasteBlock(at.isInput, at.ch, at.block);
        break;
    case PasteChannel:
        editor.copyChannel(from.isInput, from.ch);
        r = editor.pasteChannel(at.isInput, at.ch);
        break;
    case Link:
        r = editor.planLink(at.isInput, at.ch, c.target, nullptr);
        break;
    case Bypass:
        r = editor.planBypass(at.isInput, at.ch, at.block, nullptr);
        break;
    case ApplyBypass: {
        bool in = !at.isInput;
        int ch = -1;
        r.done = editor.applyBypass(BlockPosition::flag(at.isInput, at.ch, at.block), c.target == 1, &in, &ch);
        EXPECT_EQ(r.done, in == at.isInput && ch == at.ch) << "the channel to redraw";
        break;
    }
    }
    DspCpuFigures::instance().reset();
    EXPECT_EQ(r.done, c.done);
    EXPECT_EQ(r.message, QString::fromUtf8(c.message));
    QStringList chain;
    if (const CChainChannel* ch = data.channel(at.isInput, at.ch))
        for (const CBaseItem* b : ch->blocks())
            chain << label(b);
    EXPECT_EQ(chain.join(QLatin1Char(',')), QLatin1String(c.after));
}

constexpr int Eq = CBaseItem::KindEq;
constexpr int Delay = CBaseItem::KindDelay;
constexpr int Comp = CBaseItem::KindCompress;
constexpr int Hpf = DspEditRules::AddHpf;
constexpr int Lpf = DspEditRules::AddLpf;

INSTANTIATE_TEST_SUITE_P(
    Edits, DspChainEditorTest,
    ::testing::Values(
        EditCase{"addIntoAnEmptyChain", "", Add, "in0.0", Eq, "", 0, true, "", "EQ"},
        EditCase{"addRefusedByARule", "in2=EQ", Add, "in2.1", Eq, "", 0, false, "只允许添加一个EQ", "EQ"},
        EditCase{"newHighPassAt20Hz", "", Add, "in0.0", Hpf, "", 0, true, "", "HPF@20"},
        EditCase{"newLowPassAt20kHz", "in0=HPF", Add, "in0.1", Lpf, "", 0, true, "", "HPF@1000,LPF@20000"},
        EditCase{"halfSecondDelay", "", Add, "in1.0", Delay, "", HalfSecond, true, "", "Delay@24000"},
        EditCase{"delayThatTheMemoryCannotHold", "", Add, "in1.0", Delay, "", HalfSecond | SmallMemory, false,
                 "延时时长超过限制,不能添加", ""},
        EditCase{"inputPositionBeyondTheChainAppends", "in0=EQ,Delay", Add, "in0.9", Comp, "", 0, true, "",
                 "EQ,Delay@48000,Comp"},
        EditCase{"outputPositionZeroAppends", "out1=Delay,Comp", Add, "out1.0", Eq, "", 0, true, "",
                 "Delay@48000,Comp,EQ"},
        EditCase{"outputPositionOfTheLengthPrepends", "out1=Delay,Comp", Add, "out1.2", Eq, "", 0, true, "",
                 "EQ,Delay@48000,Comp"},
        EditCase{"fullEstimate", "", Add, "in0.0", Eq, "", FullCpu, false, "CPU资源不足", ""},
        EditCase{"fullEstimateForced", "", Add, "in0.0", Eq, "", FullCpu | Forced, true, "", "EQ"},
        EditCase{"addWhileLocked", "", Add, "in0.0", Eq, "", Forced | Locked, false, "控制功能已上锁", ""},
        EditCase{"addToAMissingChannel", "", Add, "in9.0", Eq, "", 0, false, "", ""},
        EditCase{"deleteBlock", "in0=EQ,Delay", Delete, "in0.0", 0, "", 0, true, "", "Delay@48000"},
        EditCase{"deleteChannel", "in0=EQ,Delay", DeleteChannel, "in0", 0, "", 0, true, "", ""},
        EditCase{"deleteWhileLocked", "in0=EQ", DeleteChannel, "in0", 0, "", Locked, false, "控制功能已上锁", "EQ"},
        EditCase{"copy", "in0=EQ", Copy, "in0", 0, "in0.0", 0, true, "复制成功", "EQ"},
        EditCase{"pasteOntoTheBlockCopied", "in0=EQ", Paste, "in0.0", 0, "in0.0", 0, false, "不能粘贴给同一功能块",
                 "EQ"},
        EditCase{"pasteTakesBypass", "in0=EQ/b;in1=EQ", Paste, "in1.0", 0, "in0.0", 0, true, "粘贴成功", "EQ/b"},
        EditCase{"pasteGivesTheBlockAsCopied", "in0=EQ;in1=EQ", PasteChanged, "in1.0", 0, "in0.0", 0, true, "粘贴成功",
                 "EQ"},
        EditCase{"pasteAtFullEstimate", "in0=EQ;in1=EQ", Paste, "in1.0", 0, "in0.0", FullCpu, false, "CPU资源不足",
                 "EQ"},
        EditCase{"pasteChannelRefusedByARule", "in0=EQ", PasteChannel, "out1", 0, "in0", 0, false,
                 "输入通道不能粘贴给输出通道", ""},
        EditCase{"pastedChainJoinsNoLink", "in0=EQ#5,Delay#6;in3=Comp", PasteChannel, "in3", 0, "in0", 0, true,
                 "粘贴成功", "EQ,Delay@48000"},
        EditCase{"linkWhileLocked", "in0=EQ;in1=EQ", Link, "in0", 1, "", Locked, false, "控制功能已上锁", "EQ"},
        EditCase{"linkRefusedByThePlan", "in0=EQ", Link, "in0", 1, "", 0, false, "没有功能块无法链接", "EQ"},
        EditCase{"linkPlanned", "in0=EQ;in1=EQ", Link, "in0", 1, "", 0, true, "", "EQ"},
        EditCase{"enableAtTheCpuLimit", "in0=EQ/b", Bypass, "in0.0", 0, "", CpuHigh, false,
                 "Cpu is up limit, please reduce functions", "EQ/b"},
        EditCase{"bypassAtTheCpuLimitWaitsForTheDevice", "in0=EQ", Bypass, "in0.0", 0, "", CpuHigh, true, "", "EQ"},
        EditCase{"bypassWhileLocked", "in0=EQ", Bypass, "in0.0", 0, "", Locked, false, "控制功能已上锁", "EQ"},
        EditCase{"deviceAgreedToBypass", "out2=EQ,Delay", ApplyBypass, "out2.1", 1, "", 0, true, "",
                 "EQ,Delay@48000/b"},
        EditCase{"agreementForAMissingBlock", "out2=EQ", ApplyBypass, "out2.1", 1, "", 0, false, "", "EQ"}),
    [](const ::testing::TestParamInfo<EditCase>& i) { return std::string(i.param.name); });

} // namespace

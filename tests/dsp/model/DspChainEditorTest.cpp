// Structural edits of a configuration: adding, deleting, copying, pasting and planning links, with their refusals.

#include "DspChainEditor.h"

#include "CBaseItem.h"
#include "CDelayItem.h"
#include "CDeviceDspData.h"
#include "CHlpfItem.h"
#include "DspBlockFactory.h"
#include "DspDefaultConfig.h"
#include "DspEditRules.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using Result = DspChainEditor::Result;

constexpr int Eq = CBaseItem::KindEq;
constexpr int Delay = CBaseItem::KindDelay;
constexpr int Compress = CBaseItem::KindCompress;

/// A chain as short labels: "EQ", "HPF@20", "Delay@24000", ...; "/b" when bypassed, "#g" with a group id.
QStringList labels(const CChainChannel* ch)
{
    QStringList out;
    for (const CBaseItem* b : ch->blocks()) {
        QString l;
        if (const auto* f = dynamic_cast<const CHlpfItem*>(b))
            l = QStringLiteral("%1@%2").arg(f->isHpf() ? "HPF" : "LPF").arg(f->freq0());
        else if (const auto* d = dynamic_cast<const CDelayItem*>(b))
            l = QStringLiteral("Delay@%1").arg(d->maxNum());
        else
            l = b->kind() == Eq ? QStringLiteral("EQ") : QString::number(b->kind());
        if (b->isBypass())
            l += QStringLiteral("/b");
        if (b->groupId() >= 0)
            l += QStringLiteral("#%1").arg(b->groupId());
        out << l;
    }
    return out;
}

void add(CDeviceDspData& d, bool isInput, int ch, std::initializer_list<int> kinds)
{
    for (int kind : kinds)
        d.channel(isInput, ch)->appendBlock(DspBlockFactory::create(kind));
}

void addHighPass(CDeviceDspData& d, int ch)
{
    auto* f = new CHlpfItem;
    f->setIsHpf(true);
    d.input(ch)->appendBlock(f);
}

DspChainEditor::Facts facts(double cpuFactor = 1.0, bool force = false, bool locked = false, qint64 delay = 100000)
{
    DspChainEditor::Facts f;
    f.automixerLimit = 2;
    f.delayBudget = delay;
    f.cpuFactor = cpuFactor;
    f.forceAdd = force;
    f.locked = locked;
    return f;
}

constexpr double kFull = 0.005; // a 4 x 4 configuration estimates 99 with this capacity factor

struct EditCase
{
    const char* name;
    std::function<void(CDeviceDspData&)> setup;
    DspChainEditor::Facts facts;
    std::function<Result(DspChainEditor&)> edit;
    bool done;
    QString message;
    bool isInput; ///< the channel whose chain is checked afterwards
    int ch;
    QStringList chain;
};

class DspChainEditorTest : public ::testing::TestWithParam<EditCase>
{
};

TEST_P(DspChainEditorTest, EditIsDoneOrRefusedLeavingTheChainAsExpected)
{
    const EditCase c = GetParam();
    CDeviceDspData data;
    data.parse(DspDefaultConfig::reply(4, 4, 48000), QStringLiteral("3.2.0"));
    if (c.setup)
        c.setup(data);
    DspChainEditor editor;
    editor.setData(&data);
    editor.setFacts(c.facts);
    const Result r = c.edit(editor);
    EXPECT_EQ(r.done, c.done);
    EXPECT_EQ(r.message, c.message);
    EXPECT_EQ(labels(data.channel(c.isInput, c.ch)), c.chain);
}

const auto none = std::function<void(CDeviceDspData&)>();

INSTANTIATE_TEST_SUITE_P(
    Adding, DspChainEditorTest,
    ::testing::Values(EditCase{"intoAnEmptyChain",
                               none,
                               facts(),
                               [](DspChainEditor& e) { return e.addBlock(Eq, true, 0, 0); },
                               true,
                               QString(),
                               true,
                               0,
                               {"EQ"}},
                      EditCase{"secondEqualiser",
                               [](CDeviceDspData& d) { add(d, true, 2, {Eq}); },
                               facts(),
                               [](DspChainEditor& e) { return e.addBlock(Eq, true, 2, 1); },
                               false,
                               QStringLiteral("只允许添加一个EQ"),
                               true,
                               2,
                               {"EQ"}},
                      EditCase{"highPassStartsAt20Hz",
                               none,
                               facts(),
                               [](DspChainEditor& e) { return e.addBlock(DspEditRules::AddHpf, true, 0, 0); },
                               true,
                               QString(),
                               true,
                               0,
                               {"HPF@20"}},
                      EditCase{"lowPassBesideAHighPassStartsAt20kHz",
                               [](CDeviceDspData& d) { addHighPass(d, 0); },
                               facts(),
                               [](DspChainEditor& e) { return e.addBlock(DspEditRules::AddLpf, true, 0, 1); },
                               true,
                               QString(),
                               true,
                               0,
                               {"HPF@1000", "LPF@20000"}},
                      EditCase{"secondHighPass",
                               [](CDeviceDspData& d) { addHighPass(d, 0); },
                               facts(),
                               [](DspChainEditor& e) { return e.addBlock(DspEditRules::AddHpf, true, 0, 0); },
                               false,
                               QStringLiteral("只允许添加一个HPF"),
                               true,
                               0,
                               {"HPF@1000"}},
                      EditCase{"halfSecondDelay",
                               none,
                               facts(),
                               [](DspChainEditor& e) { return e.addBlock(Delay, true, 1, 0, 0.5); },
                               true,
                               QString(),
                               true,
                               1,
                               {"Delay@24000"}},
                      EditCase{"delayBeyondTheMemory",
                               none,
                               facts(1.0, false, false, 20000),
                               [](DspChainEditor& e) { return e.addBlock(Delay, true, 1, 0, 0.5); },
                               false,
                               QStringLiteral("延时时长超过限制,不能添加"),
                               true,
                               1,
                               {}},
                      EditCase{"inputPositionBeyondTheChainAppends",
                               [](CDeviceDspData& d) {
                                   add(d, true, 0, {Eq, Delay});
                               },
                               facts(),
                               [](DspChainEditor& e) { return e.addBlock(Compress, true, 0, 9); },
                               true,
                               QString(),
                               true,
                               0,
                               {"EQ", "Delay@48000", "5"}},
                      EditCase{"outputPositionZeroAppends",
                               [](CDeviceDspData& d) {
                                   add(d, false, 1, {Delay, Compress});
                               },
                               facts(),
                               [](DspChainEditor& e) { return e.addBlock(Eq, false, 1, 0); },
                               true,
                               QString(),
                               false,
                               1,
                               {"Delay@48000", "5", "EQ"}},
                      EditCase{"outputPositionOfTheChainLengthPrepends",
                               [](CDeviceDspData& d) {
                                   add(d, false, 1, {Delay, Compress});
                               },
                               facts(),
                               [](DspChainEditor& e) { return e.addBlock(Eq, false, 1, 2); },
                               true,
                               QString(),
                               false,
                               1,
                               {"EQ", "Delay@48000", "5"}},
                      EditCase{"fullEstimate",
                               none,
                               facts(kFull),
                               [](DspChainEditor& e) { return e.addBlock(Eq, true, 0, 0); },
                               false,
                               QStringLiteral("CPU资源不足"),
                               true,
                               0,
                               {}},
                      EditCase{"fullEstimateForced",
                               none,
                               facts(kFull, true),
                               [](DspChainEditor& e) { return e.addBlock(Eq, true, 0, 0); },
                               true,
                               QString(),
                               true,
                               0,
                               {"EQ"}},
                      EditCase{"locked",
                               none,
                               facts(1.0, true, true),
                               [](DspChainEditor& e) { return e.addBlock(Eq, true, 0, 0); },
                               false,
                               QStringLiteral("控制功能已上锁"),
                               true,
                               0,
                               {}},
                      EditCase{"missingChannel",
                               none,
                               facts(),
                               [](DspChainEditor& e) { return e.addBlock(Eq, true, 9, 0); },
                               false,
                               QString(),
                               true,
                               0,
                               {}}),
    [](const ::testing::TestParamInfo<EditCase>& i) { return std::string(i.param.name); });

INSTANTIATE_TEST_SUITE_P(DeletingAndPasting, DspChainEditorTest,
                         ::testing::Values(EditCase{"deleteBlock",
                                                    [](CDeviceDspData& d) {
                                                        add(d, true, 0, {Eq, Delay});
                                                    },
                                                    facts(),
                                                    [](DspChainEditor& e) { return e.deleteBlock(true, 0, 0); },
                                                    true,
                                                    QString(),
                                                    true,
                                                    0,
                                                    {"Delay@48000"}},
                                           EditCase{"deleteChannelKeepsTheChannel",
                                                    [](CDeviceDspData& d) {
                                                        add(d, true, 0, {Eq, Delay});
                                                    },
                                                    facts(),
                                                    [](DspChainEditor& e) { return e.deleteChannel(true, 0); },
                                                    true,
                                                    QString(),
                                                    true,
                                                    0,
                                                    {}},
                                           EditCase{"deleteWhileLocked",
                                                    [](CDeviceDspData& d) { add(d, true, 0, {Eq}); },
                                                    facts(1.0, false, true),
                                                    [](DspChainEditor& e) { return e.deleteChannel(true, 0); },
                                                    false,
                                                    QStringLiteral("控制功能已上锁"),
                                                    true,
                                                    0,
                                                    {"EQ"}},
                                           EditCase{"copyBlock",
                                                    [](CDeviceDspData& d) { add(d, true, 0, {Eq}); },
                                                    facts(),
                                                    [](DspChainEditor& e) { return e.copyBlock(true, 0, 0); },
                                                    true,
                                                    QStringLiteral("复制成功"),
                                                    true,
                                                    0,
                                                    {"EQ"}},
                                           EditCase{"pasteWithoutCopy",
                                                    [](CDeviceDspData& d) { add(d, true, 0, {Eq}); },
                                                    facts(),
                                                    [](DspChainEditor& e) { return e.pasteBlock(true, 0, 0); },
                                                    false,
                                                    QString(),
                                                    true,
                                                    0,
                                                    {"EQ"}},
                                           EditCase{"pasteOntoTheBlockCopied",
                                                    [](CDeviceDspData& d) { add(d, true, 0, {Eq}); },
                                                    facts(),
                                                    [](DspChainEditor& e) {
                                                        e.copyBlock(true, 0, 0);
                                                        return e.pasteBlock(true, 0, 0);
                                                    },
                                                    false,
                                                    QStringLiteral("不能粘贴给同一功能块"),
                                                    true,
                                                    0,
                                                    {"EQ"}},
                                           EditCase{"pasteOntoAnotherKind",
                                                    [](CDeviceDspData& d) {
                                                        add(d, true, 0, {Eq, Delay});
                                                    },
                                                    facts(),
                                                    [](DspChainEditor& e) {
                                                        e.copyBlock(true, 0, 0);
                                                        return e.pasteBlock(true, 0, 1);
                                                    },
                                                    false,
                                                    QStringLiteral("类型不同无法粘贴"),
                                                    true,
                                                    0,
                                                    {"EQ", "Delay@48000"}},
                                           EditCase{"pasteTakesBypassAndParameters",
                                                    [](CDeviceDspData& d) {
                                                        add(d, true, 0, {Eq});
                                                        add(d, true, 1, {Eq});
                                                        d.input(0)->block(0)->setBypass(true);
                                                    },
                                                    facts(),
                                                    [](DspChainEditor& e) {
                                                        e.copyBlock(true, 0, 0);
                                                        return e.pasteBlock(true, 1, 0);
                                                    },
                                                    true,
                                                    QStringLiteral("粘贴成功"),
                                                    true,
                                                    1,
                                                    {"EQ/b"}},
                                           EditCase{"pasteGivesTheBlockAsCopiedNotAsItIsNow",
                                                    [](CDeviceDspData& d) {
                                                        add(d, true, 0, {Eq});
                                                        add(d, true, 1, {Eq});
                                                    },
                                                    facts(),
                                                    [](DspChainEditor& e) {
                                                        e.copyBlock(true, 0, 0);
                                                        e.data()->input(0)->block(0)->setBypass(true);
                                                        return e.pasteBlock(true, 1, 0);
                                                    },
                                                    true,
                                                    QStringLiteral("粘贴成功"),
                                                    true,
                                                    1,
                                                    {"EQ"}},
                                           EditCase{"pasteAtFullEstimate",
                                                    [](CDeviceDspData& d) {
                                                        add(d, true, 0, {Eq});
                                                        add(d, true, 1, {Eq});
                                                    },
                                                    facts(kFull),
                                                    [](DspChainEditor& e) {
                                                        e.copyBlock(true, 0, 0);
                                                        return e.pasteBlock(true, 1, 0);
                                                    },
                                                    false,
                                                    QStringLiteral("CPU资源不足"),
                                                    true,
                                                    1,
                                                    {"EQ"}},
                                           EditCase{"pasteChannelOntoItself",
                                                    [](CDeviceDspData& d) { add(d, true, 0, {Eq}); },
                                                    facts(),
                                                    [](DspChainEditor& e) {
                                                        e.copyChannel(true, 0);
                                                        return e.pasteChannel(true, 0);
                                                    },
                                                    false,
                                                    QStringLiteral("不能粘贴给同一通道"),
                                                    true,
                                                    0,
                                                    {"EQ"}},
                                           EditCase{"pasteInputChannelOntoAnOutput",
                                                    [](CDeviceDspData& d) { add(d, true, 0, {Eq}); },
                                                    facts(),
                                                    [](DspChainEditor& e) {
                                                        e.copyChannel(true, 0);
                                                        return e.pasteChannel(false, 1);
                                                    },
                                                    false,
                                                    QStringLiteral("输入通道不能粘贴给输出通道"),
                                                    false,
                                                    1,
                                                    {}},
                                           EditCase{"pastedChainJoinsNoLink",
                                                    [](CDeviceDspData& d) {
                                                        add(d, true, 0, {Eq, Delay});
                                                        add(d, true, 3, {Compress});
                                                        d.input(0)->block(0)->setGroupId(5);
                                                    },
                                                    facts(),
                                                    [](DspChainEditor& e) {
                                                        e.copyChannel(true, 0);
                                                        return e.pasteChannel(true, 3);
                                                    },
                                                    true,
                                                    QStringLiteral("粘贴成功"),
                                                    true,
                                                    3,
                                                    {"EQ", "Delay@48000"}}),
                         [](const ::testing::TestParamInfo<EditCase>& i) { return std::string(i.param.name); });

INSTANTIATE_TEST_SUITE_P(Linking, DspChainEditorTest,
                         ::testing::Values(EditCase{"locked",
                                                    [](CDeviceDspData& d) {
                                                        add(d, true, 0, {Eq});
                                                        add(d, true, 1, {Eq});
                                                    },
                                                    facts(1.0, false, true),
                                                    [](DspChainEditor& e) { return e.planLink(true, 0, 1, nullptr); },
                                                    false,
                                                    QStringLiteral("控制功能已上锁"),
                                                    true,
                                                    0,
                                                    {"EQ"}},
                                           EditCase{"planRefusal",
                                                    [](CDeviceDspData& d) { add(d, true, 0, {Eq}); },
                                                    facts(),
                                                    [](DspChainEditor& e) { return e.planLink(true, 0, 1, nullptr); },
                                                    false,
                                                    QStringLiteral("没有功能块无法链接"),
                                                    true,
                                                    0,
                                                    {"EQ"}}),
                         [](const ::testing::TestParamInfo<EditCase>& i) { return std::string(i.param.name); });

} // namespace

#include "DspEditRules.h"

#include "CBaseItem.h"
#include "CDelayItem.h"
#include "CDeviceDspData.h"
#include "CEqBlockItem.h"
#include "CHlpfItem.h"
#include "DspCpuEstimate.h"

#include <QCoreApplication>

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("DspEditRules", text);
}

qint64 chainDelay(const CChainChannel& ch)
{
    qint64 sum = 0;
    for (const CBaseItem* b : ch.blocks())
        if (const auto* d = dynamic_cast<const CDelayItem*>(b))
            sum += qMax(0, d->maxNum());
    return sum;
}

bool hasFilter(const CChainChannel& ch, bool highPass)
{
    for (const CBaseItem* b : ch.blocks())
        if (const auto* f = dynamic_cast<const CHlpfItem*>(b))
            if (f->isHpf() == highPass)
                return true;
    return false;
}

} // namespace

namespace DspEditRules {

qint64 delayMemoryUsed(const CDeviceDspData& data)
{
    qint64 sum = 0;
    for (const CInputChannel* ch : data.inputs())
        sum += chainDelay(*ch);
    for (const COutputChannel* ch : data.outputs())
        sum += chainDelay(*ch);
    return sum;
}

QString canAdd(const CDeviceDspData& data, bool isInput, int chIndex, int kind, int automixerLimit, qint64 delayBudget,
               int delayMaxNum)
{
    if (kind == AddAecChannel)
        return data.aecChannels().isEmpty() ? QString() : tr("只能添加一个AEC");
    if (kind == AddAutomixerChannel)
        return data.automixerChannels().size() < automixerLimit ? QString() : tr("AutoMixer通道数已达上限");

    const CChainChannel* ch = data.channel(isInput, chIndex);
    if (!ch)
        return tr("通道不存在");
    switch (kind) {
    case CBaseItem::KindEq:
        return ch->indexOfKind(kind) >= 0 ? tr("只允许添加一个EQ") : QString();
    case CBaseItem::KindHlpf:
    case AddHpf:
        return hasFilter(*ch, true) ? tr("只允许添加一个HPF") : QString();
    case AddLpf:
        return hasFilter(*ch, false) ? tr("只允许添加一个LPF") : QString();
    case CBaseItem::KindDucker:
        return ch->indexOfKind(kind) >= 0 ? tr("只允许添加一个闪避") : QString();
    case CBaseItem::KindChAec:
        return ch->indexOfKind(kind) >= 0 ? tr("只能添加一个AEC") : QString();
    case CBaseItem::KindDelay:
        return delayMemoryUsed(data) + qMax(0, delayMaxNum) > delayBudget ? tr("延时时长超过限制,不能添加") : QString();
    default:
        return QString();
    }
}

QString canAddBlock(const CDeviceDspData& data, bool isInput, int chIndex, const CBaseItem& block, int automixerLimit,
                    qint64 delayBudget)
{
    int kind = block.kind();
    int delayMaxNum = 0;
    if (const auto* f = dynamic_cast<const CHlpfItem*>(&block))
        kind = f->isHpf() ? AddHpf : AddLpf;
    if (const auto* d = dynamic_cast<const CDelayItem*>(&block))
        delayMaxNum = d->maxNum();
    return canAdd(data, isInput, chIndex, kind, automixerLimit, delayBudget, delayMaxNum);
}

QString canPasteBlock(const CDeviceDspData& data, const CBaseItem& copied, bool srcIsInput, int srcCh, int srcBlock,
                      bool dstIsInput, int dstCh, int dstBlock, qint64 delayBudget)
{
    if (srcIsInput == dstIsInput && srcCh == dstCh && srcBlock == dstBlock)
        return tr("不能粘贴给同一功能块");
    const CChainChannel* ch = data.channel(dstIsInput, dstCh);
    const CBaseItem* target = ch ? ch->block(dstBlock) : nullptr;
    if (!target || target->kind() != copied.kind())
        return tr("类型不同无法粘贴");
    // An equaliser's band count is fixed on the device: bands do not carry over to another size.
    const auto* eqSource = dynamic_cast<const CEqBlockItem*>(&copied);
    const auto* eqTarget = dynamic_cast<const CEqBlockItem*>(target);
    if (eqSource && eqTarget && eqSource->bandCount() != eqTarget->bandCount())
        return tr("类型不同无法粘贴");
    const auto* delaySource = dynamic_cast<const CDelayItem*>(&copied);
    const auto* delayTarget = dynamic_cast<const CDelayItem*>(target);
    if (delaySource && delayTarget &&
        delayMemoryUsed(data) - qMax(0, delayTarget->maxNum()) + qMax(0, delaySource->maxNum()) > delayBudget)
        return tr("延时时长超过限制,不能粘贴延时");
    return QString();
}

QString canPasteChannel(const CDeviceDspData& data, bool srcIsInput, int srcCh, bool dstIsInput, int dstCh,
                        qint64 delayBudget, const CChainChannel* copied)
{
    if (srcIsInput == dstIsInput && srcCh == dstCh)
        return tr("不能粘贴给同一通道");
    if (!srcIsInput && dstIsInput)
        return tr("输出通道不能粘贴给输入通道");
    if (srcIsInput && !dstIsInput)
        return tr("输入通道不能粘贴给输出通道");
    const CChainChannel* source = copied ? copied : data.channel(srcIsInput, srcCh);
    const CChainChannel* target = data.channel(dstIsInput, dstCh);
    if (!source || !target)
        return tr("通道不存在");
    if (delayMemoryUsed(data) - chainDelay(*target) + chainDelay(*source) > delayBudget)
        return tr("延时时长超过限制,不能粘贴延时");
    return QString();
}

QString cpuRefusal(int estimate, bool forceAdd)
{
    return estimate >= DspCpuEstimate::Limit && !forceAdd ? tr("CPU资源不足") : QString();
}

int outputInsertIndex(int chainLength, int position)
{
    const int length = qMax(0, chainLength);
    return qBound(0, length - position, length);
}

} // namespace DspEditRules

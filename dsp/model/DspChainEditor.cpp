#include "DspChainEditor.h"

#include "BlockPosition.h"
#include "CBaseItem.h"
#include "CDelayItem.h"
#include "CDeviceDspData.h"
#include "CHlpfItem.h"
#include "DspBlockFactory.h"
#include "DspCpuEstimate.h"
#include "DspCpuFigures.h"
#include "DspEditRules.h"

#include <QCoreApplication>

#include <cmath>

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("DspChainEditor", text);
}

DspChainEditor::Result done(const QString& message = QString(), int index = -1)
{
    return {true, message, index};
}

} // namespace

DspChainEditor::DspChainEditor() = default;
DspChainEditor::~DspChainEditor() = default;

CChainChannel* DspChainEditor::channel(bool isInput, int chIndex) const
{
    return m_data != nullptr ? m_data->channel(isInput, chIndex) : nullptr;
}

DspChainEditor::Result DspChainEditor::refused(const QString& text) const
{
    return {false, text, -1};
}

QString DspChainEditor::lockRefusal() const
{
    return m_facts.locked ? tr("控制功能已上锁") : QString();
}

int DspChainEditor::estimate() const
{
    return m_data != nullptr ? DspCpuEstimate::estimate(*m_data, m_facts.cpuFactor) : 0;
}

DspChainEditor::Result DspChainEditor::addBlock(int target, bool isInput, int chIndex, int position,
                                                double delaySeconds)
{
    CChainChannel* ch = channel(isInput, chIndex);
    if (ch == nullptr)
        return refused(QString());
    if (m_facts.locked)
        return refused(lockRefusal());
    const QString cpu = DspEditRules::cpuRefusal(estimate(), m_facts.forceAdd);
    if (!cpu.isEmpty())
        return refused(cpu);
    const bool filter = target == DspEditRules::AddHpf || target == DspEditRules::AddLpf;
    const int kind = filter ? int(CBaseItem::KindHlpf) : target;
    std::unique_ptr<CBaseItem> block(DspBlockFactory::create(kind));
    if (!block)
        return refused(QString());
    if (kind == CBaseItem::KindHlpf) {
        auto* f = static_cast<CHlpfItem*>(block.get());
        const bool hpf = target != DspEditRules::AddLpf;
        f->setIsHpf(hpf);
        f->setFreq0(hpf ? 20 : 20000);
    } else if (kind == CBaseItem::KindDelay) {
        static_cast<CDelayItem*>(block.get())->setMaxNum(int(std::lround(m_data->sampleRate() * delaySeconds)));
    }
    const QString refusal =
        DspEditRules::canAddBlock(*m_data, isInput, chIndex, *block, m_facts.automixerLimit, m_facts.delayBudget);
    if (!refusal.isEmpty())
        return refused(refusal);
    const int n = ch->blocks().size();
    const int index = isInput ? qBound(0, position, n) : DspEditRules::outputInsertIndex(n, position);
    ch->insertBlock(index, block.release());
    return done(QString(), index);
}

DspChainEditor::Result DspChainEditor::deleteBlock(bool isInput, int chIndex, int blockIndex)
{
    CChainChannel* ch = channel(isInput, chIndex);
    if (ch == nullptr || ch->block(blockIndex) == nullptr)
        return refused(QString());
    if (m_facts.locked)
        return refused(lockRefusal());
    ch->removeBlock(blockIndex);
    return done();
}

DspChainEditor::Result DspChainEditor::copyBlock(bool isInput, int chIndex, int blockIndex)
{
    const CChainChannel* ch = channel(isInput, chIndex);
    const CBaseItem* b = ch != nullptr ? ch->block(blockIndex) : nullptr;
    if (b == nullptr)
        return refused(QString());
    m_blockClip.reset(b->clone());
    m_blockClipInput = isInput;
    m_blockClipCh = chIndex;
    m_blockClipIndex = blockIndex;
    return done(tr("复制成功"));
}

DspChainEditor::Result DspChainEditor::pasteBlock(bool isInput, int chIndex, int blockIndex)
{
    const CChainChannel* ch = channel(isInput, chIndex);
    CBaseItem* b = ch != nullptr ? ch->block(blockIndex) : nullptr;
    if (b == nullptr || !m_blockClip)
        return refused(QString());
    if (m_facts.locked)
        return refused(lockRefusal());
    QString refusal = DspEditRules::canPasteBlock(*m_data, *m_blockClip, m_blockClipInput, m_blockClipCh,
                                                  m_blockClipIndex, isInput, chIndex, blockIndex, m_facts.delayBudget);
    if (refusal.isEmpty())
        refusal = DspEditRules::cpuRefusal(estimate(), m_facts.forceAdd);
    if (!refusal.isEmpty())
        return refused(refusal);
    if (!b->copyParamsFrom(*m_blockClip))
        return refused(tr("类型不同无法粘贴"));
    return done(tr("粘贴成功"));
}

DspChainEditor::Result DspChainEditor::copyChannel(bool isInput, int chIndex)
{
    if (channel(isInput, chIndex) == nullptr)
        return refused(QString());
    if (isInput)
        m_channelClip.reset(m_data->input(chIndex)->clone());
    else
        m_channelClip.reset(m_data->output(chIndex)->clone());
    m_channelClipInput = isInput;
    m_channelClipCh = chIndex;
    return done(tr("复制成功"));
}

DspChainEditor::Result DspChainEditor::pasteChannel(bool isInput, int chIndex)
{
    CChainChannel* ch = channel(isInput, chIndex);
    if (ch == nullptr || !m_channelClip)
        return refused(QString());
    if (m_facts.locked)
        return refused(lockRefusal());
    QString refusal = DspEditRules::canPasteChannel(*m_data, m_channelClipInput, m_channelClipCh, isInput, chIndex,
                                                    m_facts.delayBudget, m_channelClip.get());
    if (refusal.isEmpty())
        refusal = DspEditRules::cpuRefusal(estimate(), m_facts.forceAdd);
    if (!refusal.isEmpty())
        return refused(refusal);
    ch->copyChainFrom(*m_channelClip);
    // The copies would otherwise join the source channel's links: a pasted chain starts unlinked.
    for (CBaseItem* b : ch->blocks())
        b->setGroupId(-1);
    return done(tr("粘贴成功"));
}

DspChainEditor::Result DspChainEditor::deleteChannel(bool isInput, int chIndex)
{
    CChainChannel* ch = channel(isInput, chIndex);
    if (ch == nullptr)
        return refused(QString());
    if (m_facts.locked)
        return refused(lockRefusal());
    ch->clearBlocks();
    return done();
}

DspChainEditor::Result DspChainEditor::planBypass(bool isInput, int chIndex, int blockIndex, bool* bypass) const
{
    const CChainChannel* ch = channel(isInput, chIndex);
    const CBaseItem* b = ch != nullptr ? ch->block(blockIndex) : nullptr;
    if (b == nullptr)
        return refused(QString());
    if (m_facts.locked)
        return refused(lockRefusal());
    const bool next = !b->isBypass();
    if (!next && DspCpuFigures::instance().forbidsEnabling())
        return refused(QStringLiteral("Cpu is up limit, please reduce functions"));
    if (bypass != nullptr)
        *bypass = next;
    return done();
}

bool DspChainEditor::applyBypass(const QString& blockFlag, bool bypass, bool* isInput, int* chIndex) const
{
    if (m_data == nullptr)
        return false;
    for (int side = 0; side < 2; ++side) {
        const bool in = side == 0;
        const int count = in ? m_data->inputs().size() : m_data->outputs().size();
        for (int c = 0; c < count; ++c) {
            const CChainChannel* ch = m_data->channel(in, c);
            for (int i = 0; i < ch->blocks().size(); ++i) {
                if (BlockPosition::flag(in, c, i) != blockFlag)
                    continue;
                ch->block(i)->setBypass(bypass);
                if (isInput != nullptr)
                    *isInput = in;
                if (chIndex != nullptr)
                    *chIndex = c;
                return true;
            }
        }
    }
    return false;
}

QVector<int> DspChainEditor::linkPartners(bool isInput, int chIndex) const
{
    return m_data != nullptr ? DspLinkPlan::partners(*m_data, isInput, chIndex) : QVector<int>();
}

DspChainEditor::Result DspChainEditor::planLink(bool isInput, int chIndex, int partner, DspLinkPlan* plan) const
{
    if (m_data == nullptr)
        return refused(QString());
    if (m_facts.locked)
        return refused(lockRefusal());
    const DspLinkPlan made = DspLinkPlan::make(*m_data, isInput, chIndex, partner);
    if (!made.refusal().isEmpty())
        return refused(made.refusal());
    if (plan != nullptr)
        *plan = made;
    return done();
}

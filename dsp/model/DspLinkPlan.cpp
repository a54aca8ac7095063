#include "DspLinkPlan.h"

#include "BlockPosition.h"
#include "CBaseItem.h"
#include "CDeviceDspData.h"
#include "CHlpfItem.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QSet>

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("DspLinkPlan", text);
}

/// Kind and filter flavour: a high-pass is not the same block as a low-pass.
int flavour(const CBaseItem* b)
{
    if (b->kind() == CBaseItem::KindHlpf)
        return static_cast<const CHlpfItem*>(b)->isHpf() ? 1000 : 1001;
    return b->kind();
}

void collectGroupIds(const CChainChannel* ch, QSet<int>& used)
{
    for (const CBaseItem* b : ch->blocks())
        if (b->groupId() >= 0)
            used.insert(b->groupId());
}

} // namespace

DspLinkPlan DspLinkPlan::make(const CDeviceDspData& data, bool isInput, int chA, int chB)
{
    DspLinkPlan plan;
    const CChainChannel* a = data.channel(isInput, chA);
    const CChainChannel* b = data.channel(isInput, chB);
    if (a == nullptr || b == nullptr || chA == chB) {
        plan.m_refusal = tr("链接失败");
        return plan;
    }
    if (a->blocks().isEmpty() || b->blocks().isEmpty()) {
        plan.m_refusal = tr("没有功能块无法链接");
        return plan;
    }
    const int n = a->blocks().size();
    bool same = b->blocks().size() == n;
    bool linked = same;
    for (int i = 0; same && i < n; ++i) {
        const CBaseItem* x = a->blocks().at(i);
        const CBaseItem* y = b->blocks().at(i);
        same = flavour(x) == flavour(y);
        linked = linked && x->groupId() >= 0 && x->groupId() == y->groupId();
    }
    if (!same) {
        plan.m_refusal = tr("通道完全相同才能进行链接");
        return plan;
    }
    plan.m_unlink = linked;
    QSet<int> own;
    collectGroupIds(a, own);
    collectGroupIds(b, own);
    QSet<int> used;
    QVector<Entry> leaving;
    for (int side = 0; side < 2; ++side) {
        const bool in = side == 0;
        const int count = in ? data.inputs().size() : data.outputs().size();
        for (int c = 0; c < count; ++c) {
            if (in == isInput && (c == chA || c == chB))
                continue;
            const CChainChannel* other = data.channel(in, c);
            for (int i = 0; i < other->blocks().size(); ++i) {
                const int id = other->blocks().at(i)->groupId();
                if (id >= 0 && own.contains(id))
                    leaving.append({in, c, i, -1});
                else if (id >= 0)
                    used.insert(id);
            }
        }
    }
    int next = 0;
    for (int i = 0; i < n; ++i) {
        int id = -1;
        if (!linked) {
            while (used.contains(next))
                ++next;
            id = next++;
        }
        plan.m_entries.append({isInput, chA, i, id});
        plan.m_entries.append({isInput, chB, i, id});
    }
    plan.m_entries += leaving;
    return plan;
}

QVector<int> DspLinkPlan::partners(const CDeviceDspData& data, bool isInput, int chIndex)
{
    const int count = isInput ? data.inputs().size() : data.outputs().size();
    QVector<int> out;
    if (chIndex < 0 || chIndex >= count)
        return out;
    if (chIndex > 0)
        out.append(chIndex - 1);
    if (chIndex + 1 < count)
        out.append(chIndex + 1);
    return out;
}

QJsonObject DspLinkPlan::request(const CDeviceDspData& data) const
{
    QJsonArray arr;
    for (const Entry& e : m_entries) {
        const BlockPosition pos = BlockPosition::of(data, e.isInput, e.chIndex, e.blockIndex);
        QJsonObject o;
        o.insert(QStringLiteral("nodeId"), QString::number(pos.nodeId));
        o.insert(QStringLiteral("portIndex"), QString::number(pos.portIndex));
        o.insert(QStringLiteral("procIndex"), QString::number(pos.procIndex));
        o.insert(QStringLiteral("val"), QString::number(e.groupId));
        arr.append(o);
    }
    QJsonObject o;
    o.insert(QStringLiteral("arr"), arr);
    o.insert(QStringLiteral("ops"), QStringLiteral("setBorderProcGroupIdBatch"));
    o.insert(QStringLiteral("uiTag"), QStringLiteral("dspUiTag"));
    return o;
}

void DspLinkPlan::apply(CDeviceDspData& data) const
{
    for (const Entry& e : m_entries) {
        const CChainChannel* ch = data.channel(e.isInput, e.chIndex);
        if (CBaseItem* b = ch != nullptr ? ch->block(e.blockIndex) : nullptr)
            b->setGroupId(e.groupId);
    }
}

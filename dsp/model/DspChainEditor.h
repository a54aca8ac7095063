#pragma once
#include "DspLinkPlan.h"

#include <QString>
#include <QVector>

#include <memory>

class CBaseItem;
class CChainChannel;
class CDeviceDspData;

/// The structural edits of a processor configuration: adding, removing, copying, pasting and linking blocks,
/// each with its refusals. Widget-free: the caller gives the facts (limits of the model, the lock, forcing) and
/// shows the result; the diagram runs it online and the offline workspace can run it on its own models.
///
/// Nothing is sent from here: structural edits reach the device with the next save; a link is only planned,
/// because it waits for the device's consent.
class DspChainEditor
{
public:
    struct Facts
    {
        int automixerLimit = 0;
        qint64 delayBudget = 0; ///< delay memory of the model, in samples
        double cpuFactor = 1.0; ///< the model's capacity factor
        bool forceAdd = false;  ///< adds and pastes beyond the CPU estimate are forced
        bool locked = false;    ///< the processor's lock refuses every structural edit
    };

    struct Result
    {
        bool done = false;
        /// Why nothing was done (empty when there is nothing to tell, e.g. a missing block), or the confirmation
        /// of a done copy or paste ("复制成功", "粘贴成功"); empty for other done edits.
        QString message;
        /// Index of the block inserted by addBlock.
        int index = -1;
    };

    DspChainEditor();
    ~DspChainEditor();
    DspChainEditor(const DspChainEditor&) = delete;
    DspChainEditor& operator=(const DspChainEditor&) = delete;

    /// The configuration to edit (not owned; null edits nothing). The clipboards keep their copies.
    void setData(CDeviceDspData* data) { m_data = data; }
    CDeviceDspData* data() const { return m_data; }
    void setFacts(const Facts& facts) { m_facts = facts; }
    const Facts& facts() const { return m_facts; }

    /// The CPU estimate of the configuration as it stands (0 without one).
    int estimate() const;

    /// Adds a block of `target` (a CBaseItem::Kind or DspEditRules::AddHpf/AddLpf) to a channel. An input's
    /// `position` is the index to insert at; an output's counts from the chain's end. A new delay holds
    /// `delaySeconds` of the sample rate.
    Result addBlock(int target, bool isInput, int chIndex, int position, double delaySeconds = 0.1);
    Result deleteBlock(bool isInput, int chIndex, int blockIndex);
    Result copyBlock(bool isInput, int chIndex, int blockIndex);
    Result pasteBlock(bool isInput, int chIndex, int blockIndex);
    Result copyChannel(bool isInput, int chIndex);
    /// Pastes the copied channel's chain; the pasted blocks join no link.
    Result pasteChannel(bool isInput, int chIndex);
    /// Clears the channel's chain (the channel stays).
    Result deleteChannel(bool isInput, int chIndex);

    /// Switching a block's bypass: refused while locked, and enabling while the processor's CPU average is above
    /// its limit. Done gives the new state in `bypass`; nothing changes yet, the device answers first.
    Result planBypass(bool isInput, int chIndex, int blockIndex, bool* bypass) const;
    /// Applies the device's consent to a bypass switch of the block with `blockFlag`. False when no block has it;
    /// otherwise `isInput` and `chIndex` name the channel to redraw.
    bool applyBypass(const QString& blockFlag, bool bypass, bool* isInput, int* chIndex) const;

    /// The channels `chIndex` may be linked with (DspLinkPlan::partners).
    QVector<int> linkPartners(bool isInput, int chIndex) const;
    /// Plans linking (or unlinking) two channels of one side; refused while locked or by the plan's own rules.
    Result planLink(bool isInput, int chIndex, int partner, DspLinkPlan* plan) const;

private:
    CChainChannel* channel(bool isInput, int chIndex) const;
    Result refused(const QString& text) const;
    QString lockRefusal() const;

    CDeviceDspData* m_data = nullptr;
    Facts m_facts;
    std::unique_ptr<CBaseItem> m_blockClip;
    bool m_blockClipInput = true;
    int m_blockClipCh = -1;
    int m_blockClipIndex = -1;
    std::unique_ptr<CChainChannel> m_channelClip;
    bool m_channelClipInput = true;
    int m_channelClipCh = -1;
};

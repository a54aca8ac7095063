#pragma once
#include <QJsonObject>
#include <QString>
#include <QVector>

class CDeviceDspData;

/// Linking two channels of one side: their blocks pairwise share a group id, so the device changes them
/// together. Widget-free: the diagram asks, sends the request and applies the plan on the device's consent.
class DspLinkPlan
{
public:
    struct Entry
    {
        bool isInput = true;
        int chIndex = 0;
        int blockIndex = 0;
        int groupId = -1; ///< the block's new group id (-1 unlinks)
    };

    /// The plan for channels `chA` and `chB` of one side. Already linked channels (every block pair sharing a
    /// group id) are unlinked; otherwise each block pair gets a group id that no other block uses. Either way,
    /// blocks of other channels that shared a group id with the two leave it, so no former partner keeps a link
    /// to nobody. Refused when a channel is missing, has no blocks, or the chains differ in length or kinds.
    static DspLinkPlan make(const CDeviceDspData& data, bool isInput, int chA, int chB);
    /// The channels `chIndex` may be linked with: its neighbours on the same side, the previous one first.
    static QVector<int> partners(const CDeviceDspData& data, bool isInput, int chIndex);

    QString refusal() const { return m_refusal; }
    bool isUnlink() const { return m_unlink; }
    const QVector<Entry>& entries() const { return m_entries; }
    /// {"arr":[{"nodeId","portIndex","procIndex","val"}],"ops":"setBorderProcGroupIdBatch","uiTag":"dspUiTag"}.
    QJsonObject request(const CDeviceDspData& data) const;
    /// Writes the group ids into the blocks (entries whose block is gone are skipped).
    void apply(CDeviceDspData& data) const;

private:
    QString m_refusal;
    bool m_unlink = false;
    QVector<Entry> m_entries;
};

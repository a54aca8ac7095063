#pragma once
#include <QJsonObject>
#include <QString>

class CDeviceDspData;

/// The requests of the echo-canceller and automixer editors. Nodes are addressed by their index in the node order
/// inputs, automixers, AECs, matrix, outputs: automixer k is node k + 1, AEC e is node automixerCount + e + 1.
class DspNodeRequests
{
public:
    static int automixerNodeId(int index) { return index + 1; }
    static int aecNodeId(const CDeviceDspData& data, int index);

    /// The editors' blockFlags: replies carry them back to the one editor that asked.
    static QString automixerFlag(int index);
    static QString aecFlag(int index);

    /// {"uiTag":"dspUiTag","ops":"setNodeData","nodeId","obj","blockFlag"}.
    static QJsonObject setNodeData(int nodeId, const QJsonObject& obj, const QString& blockFlag);
    /// setNodeData with the whole object of AEC channel `index` (or automixer `index`); empty when there is none.
    static QJsonObject aec(const CDeviceDspData& data, int index);
    static QJsonObject automixer(const CDeviceDspData& data, int index);

    /// The automixer's live-state polls: "getAutomixActive" and "getAutomixVolumeDbPost".
    static QJsonObject activePoll(int index);
    static QJsonObject levelPoll(int index);
};

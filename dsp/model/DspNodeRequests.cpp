#include "DspNodeRequests.h"

#include "CDeviceDspData.h"

namespace {

QJsonObject poll(const char* ops, int index)
{
    return {{QStringLiteral("uiTag"), QStringLiteral("dspUiTag")},
            {QStringLiteral("ops"), QLatin1String(ops)},
            {QStringLiteral("nodeId"), QString::number(DspNodeRequests::automixerNodeId(index))},
            {QStringLiteral("blockFlag"), DspNodeRequests::automixerFlag(index)}};
}

} // namespace

int DspNodeRequests::aecNodeId(const CDeviceDspData& data, int index)
{
    return data.automixerChannelCount() + index + 1;
}

QString DspNodeRequests::automixerFlag(int index)
{
    return QStringLiteral("bf_automix_%1").arg(index);
}

QString DspNodeRequests::aecFlag(int index)
{
    return QStringLiteral("bf_aec_%1").arg(index);
}

QJsonObject DspNodeRequests::setNodeData(int nodeId, const QJsonObject& obj, const QString& blockFlag)
{
    return {{QStringLiteral("uiTag"), QStringLiteral("dspUiTag")},
            {QStringLiteral("ops"), QStringLiteral("setNodeData")},
            {QStringLiteral("nodeId"), QString::number(nodeId)},
            {QStringLiteral("obj"), obj},
            {QStringLiteral("blockFlag"), blockFlag}};
}

QJsonObject DspNodeRequests::aec(const CDeviceDspData& data, int index)
{
    if (index < 0 || index >= data.aecChannelCount())
        return {};
    return setNodeData(aecNodeId(data, index), data.aecChannels().at(index)->objJson(), aecFlag(index));
}

QJsonObject DspNodeRequests::automixer(const CDeviceDspData& data, int index)
{
    if (index < 0 || index >= data.automixerChannelCount())
        return {};
    return setNodeData(automixerNodeId(index), data.automixerChannels().at(index)->objJson(), automixerFlag(index));
}

QJsonObject DspNodeRequests::activePoll(int index)
{
    return poll("getAutomixActive", index);
}

QJsonObject DspNodeRequests::levelPoll(int index)
{
    return poll("getAutomixVolumeDbPost", index);
}

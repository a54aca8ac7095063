#pragma once
#include <QJsonObject>
#include <QString>

class CDeviceDspData;

/// The request objects the diagram page sends (every value a JSON string; written compact with sorted keys).
namespace DspDiagramRequests {

/// "setMute", "setInverse", "setGain" or "setGroupId" for one channel: {"inArr"|"outArr":[{"index","val"}],
/// "ops","uiTag"}. Booleans go as "1"/"0", gains with six significant digits.
QJsonObject channelValue(const QString& ops, bool isInput, int chIndex, const QString& value);
QJsonObject mute(bool isInput, int chIndex, bool mute);
QJsonObject inverse(bool isInput, int chIndex, bool inverse);
QJsonObject gain(bool isInput, int chIndex, double db);
QJsonObject groupId(bool isInput, int chIndex, int groupId);

/// The name operation of a channel: "setPhyChNameRx"/"setChNameRx" for physical/network inputs,
/// "setPhyChNameTx"/"setChNameTx" for outputs, with the index within that kind; empty ops for the processor's
/// extra channels, which have no name on the device.
struct NameTarget
{
    QString ops;
    int id = -1;
};
NameTarget nameTarget(const CDeviceDspData& data, bool isInput, int chIndex);
QJsonObject channelName(const NameTarget& target, const QString& name);

/// {"config": the configuration, "ops":"setConfig","uiTag":"dspUiTag"}.
QJsonObject saveConfig(const CDeviceDspData& data, const QString& firmwareVersion);
/// The processor's version request (the save is followed by a fresh download).
QJsonObject version();

} // namespace DspDiagramRequests

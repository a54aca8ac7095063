#pragma once
#include <QJsonObject>
#include <QString>

/// The channel group requests of the channel-volume page (UDP to the processor; every value a JSON string):
/// {"index","ops":"setGroupGain","uiTag","val":dB}, {"index","ops":"setGroupMute","uiTag","val":"1"/"0"} and
/// {"index","name","ops":"setGroupName","uiTag"}, with the limits the processor accepts.
namespace DspGroupRequests {

/// The page shows (and the processor keeps) at most this many groups.
constexpr int MaxGroups = 16;
constexpr double MinGainDb = -60;
constexpr double MaxGainDb = 12;
constexpr int MaxNameLength = 32;

QJsonObject gain(int index, double db);
QJsonObject mute(int index, bool mute);
QJsonObject name(int index, const QString& name);

/// Why a group name cannot be sent ("设置失败,名字不能为空", "设置失败,名字不能太长"); empty when it can.
QString nameRefusal(const QString& name);
/// True for a finite gain within [MinGainDb, MaxGainDb].
bool isGainInRange(double db);

} // namespace DspGroupRequests

#pragma once
// Configurations in the device's own JSON form, built by hand (not by the model's writer) for the model tests.

#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>

class CDeviceDspData;

namespace dsptest {

/// One "procArr" entry.
QJsonObject block(int jsonType, const QJsonObject& obj, bool bypass = false, int groupId = -1, int core = -1);
/// A channel node ("type" "0") of `count` channels; channel j gets `chains[j]` when given.
QJsonObject channelNode(int count, const QList<QJsonArray>& chains = {}, int groupIdOfFirst = -1);
/// A matrix node of `columns` columns with `rows` cells each; cell (c, r) is on when (c + r) is even and has gain
/// code (c + r) % 241 when `withGains`.
QJsonObject matrixNode(int columns, int rows, bool withGains = true);
QJsonObject aecNode(int nearCount);
QJsonObject automixerNode(const QJsonArray& masks);
/// A configuration object of groups and nodes.
QJsonObject config(const QJsonArray& nodes, const QJsonArray& groups = {}, int sampleRate = 48000);
/// A whole getConfig reply around a configuration.
QString reply(const QJsonObject& config);

/// 16 inputs and 16 outputs with every block kind, one AEC and two automixer channels, four groups and a matrix
/// with gains, as a device with firmware "3.2.0" sends it.
QJsonObject realisticConfig();
/// Every place where `b` differs from `a`, as "/path/to/value old -> new" (values as JSON).
QStringList differences(const QJsonValue& a, const QJsonValue& b);
/// A model whose DSP information says `in` x `out` channels.
void setInfo(CDeviceDspData& data, int in, int out);

} // namespace dsptest

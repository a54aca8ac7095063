#pragma once
#include <QJsonObject>
#include <QString>
#include <QVector>

/// Reads the processor's meter replies for the channel-volume page.
namespace DspChannelMeters {

/// The meters shows nothing below this level (silence, "-inf").
constexpr int FloorDb = -90;

/// Levels of consecutive channels of one side, the first being channel `start`.
struct Levels
{
    int start = 0;
    QVector<int> db;
};

/// "getVolumeDb" carries "inArr"/"outArr" from channel 0; "getVolumeDbBatchIn"/"getVolumeDbBatchOut" carry
/// "idStart" and "arr". False when the reply holds no meters of that side. Unreadable entries read as FloorDb;
/// at most `limit` entries are taken.
bool read(const QJsonObject& reply, bool isInput, int limit, Levels* out);
/// A level text in whole dB ("-inf" is FloorDb, nothing below FloorDb or above 0 shown); FloorDb when unreadable.
int levelDb(const QString& text);

} // namespace DspChannelMeters

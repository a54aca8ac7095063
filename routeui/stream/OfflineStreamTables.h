#pragma once
#include <QJsonObject>

class OfflineDevice;

/// An offline device's transmit streams in the form the stream view lists a live device's tables, so one list
/// page serves both. A design device has no receive tables: only its multicast transmit streams appear.
class OfflineStreamTables
{
public:
    static QJsonObject device(const OfflineDevice& device);
};

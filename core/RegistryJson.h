#pragma once
#include "DvmTypes.h"

#include <QJsonObject>

/// JSON views of registry records, as the headless controller prints them: addresses dotted,
/// numbers as JSON numbers, texts as stored.
namespace RegistryJson {

/// Announcement fields, clock state, fetched counts, completeness and the non-empty table
/// entries below each table's fetched count.
QJsonObject device(const DevRecord* rec);
/// A stream description with numbers as JSON numbers.
QJsonObject stream(const StreamDesc& s);
/// A multicast stream learnt from SAP.
QJsonObject mcast(const McastRecord& rec);

} // namespace RegistryJson

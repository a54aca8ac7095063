#pragma once
#include <QString>

/// Firmware versions are compared as plain text, the way the devices' own tools order them:
/// "3.1.10.0" sorts before "3.1.4.6". Every firmware rule of the program goes through here, so
/// they all agree on which side of a threshold a device is.
namespace FirmwareVersion {

/// <0, 0 or >0 as `a` sorts before, equal to or after `b` (case-sensitive text order).
int compare(const QString& a, const QString& b);
bool before(const QString& firmware, const QString& reference);
bool after(const QString& firmware, const QString& reference);

} // namespace FirmwareVersion

#pragma once
#include <QString>

class CDeviceDspData;

/// The firmware text that decides which configuration fields the processor reads and writes (matrix gains,
/// automixer masks): the version its own "getVersion" reported, else the device's firmware. The processor's
/// version is the one that knows its configuration; the device's may be far older or newer.
QString dspFirmwareText(const CDeviceDspData* data, const QString& devId);

#pragma once
#include "DevDetail.h"

#include <QJsonObject>
#include <QString>
#include <cstdint>

/// Decoders of reply fields that land in the device detail.
namespace ReplyDecoders {

/// A lock mask text: hexadecimal when it holds "0x", decimal otherwise; 0 when unreadable.
uint32_t lockMask(const QString& val);

struct DeviceLock
{
    int routeLock = 0;  ///< bit 0
    int detailLock = 0; ///< 2 when bit 16 is set, else bit 1
};
DeviceLock deviceLock(const QString& val);

/// The DSP-lock level 0..3 of a "getLock" reply tagged for the signal processor.
int dspLockLevel(const QString& val);

/// The password-set flag a "setPassword" reply implies.
int passwordSetFlag(const QJsonObject& reply);

/// Applies a "getVersion" reply: OEM code, firmware version and build, PTP settings, supported
/// sample rates (the current rate alone when the device lists none) and packet-time divisors.
void applyVersion(const QJsonObject& reply, int currentSampleRate, DevDetail_t& detail);

} // namespace ReplyDecoders

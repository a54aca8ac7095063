#pragma once
#include <QString>
#include <cstdint>

/// The lock masks a device takes in "setLock": chosen levels to bit masks, and masks to their wire text.
/// Reading a mask back into levels is ReplyDecoders' job; these are its inverse.
namespace LockMasks {

/// Route level 0 normal / 1 read-only; detail level 0 normal / 1 read-only / 2 hidden. Out-of-range
/// levels count as normal, so a bad value never locks more than was asked.
uint32_t deviceMask(int routeLevel, int detailLevel);
/// DSP level 0 normal, 1 read-only, 2 detail read-only, 3 hidden; anything else is normal.
uint32_t dspMask(int dspLevel);
/// "0x" and lower-case hexadecimal without leading zeros ("0x0" for none).
QString maskText(uint32_t mask);

} // namespace LockMasks

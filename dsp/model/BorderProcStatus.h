#pragma once

/// The gain a dynamics block reports in its status poll ("obj"."gain", linear).
namespace BorderProcStatus {

/// The gain in dB, 20 log10(gain), rounded to the meter's half-dB steps: x = ceil(g); x - 1 when x - g > 0.8,
/// x - 0.5 when x - g > 0.4, else x. Gains that are not positive (or not numbers) give MinDb.
double roundedDb(double linearGain);
/// What the meter shows: the integer part of roundedDb().
int meterDb(double linearGain);
constexpr double MinDb = -90;

} // namespace BorderProcStatus

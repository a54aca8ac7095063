#pragma once

#include <QString>
#include <QStringList>

class SimDevice;

/// The four level meters of a device.
enum class SimMeter
{
    PhyRx, ///< physical inputs
    PhyTx, ///< physical outputs
    NetRx, ///< network receive channels
    NetTx  ///< network transmit channels
};

/// The levels a device reports: a slow sine per channel, each channel at its own phase, raised by the
/// channel's physical gain; silence ("-inf") on a network receive channel without a route, a muted or
/// powered-off channel and a physical input described as silent.
class SimLevels
{
public:
    /// One period of the sine.
    static constexpr int kPeriodMs = 8000;

    /// Number of channels of a meter.
    static int count(const SimDevice& device, SimMeter meter);
    /// The level of channel `id` at monotonic time nowMs in dBFS; -infinity for silence.
    static double level(const SimDevice& device, SimMeter meter, int id, qint64 nowMs);
    /// Every channel's level as the device writes it.
    static QStringList texts(const SimDevice& device, SimMeter meter, qint64 nowMs);
    /// One decimal ("-23.5"); "-inf" for silence.
    static QString text(double db);
};

#include "SimLevels.h"

#include "SimDevice.h"

#include <QHash>

#include <cmath>
#include <limits>

namespace {

constexpr double kPi = 3.14159265358979323846;

SimSide sideOf(SimMeter meter)
{
    return meter == SimMeter::PhyRx || meter == SimMeter::NetRx ? SimSide::Rx : SimSide::Tx;
}

bool isPhysical(SimMeter meter)
{
    return meter == SimMeter::PhyRx || meter == SimMeter::PhyTx;
}

} // namespace

int SimLevels::count(const SimDevice& device, SimMeter meter)
{
    const SimDeviceConfig& c = device.config();
    switch (meter) {
    case SimMeter::PhyRx:
        return c.phyChNumRx;
    case SimMeter::PhyTx:
        return c.phyChNumTx;
    case SimMeter::NetRx:
        return c.chNumRx;
    case SimMeter::NetTx:
        return c.chNumTx;
    }
    return 0;
}

double SimLevels::level(const SimDevice& device, SimMeter meter, int id, qint64 nowMs)
{
    constexpr double kSilence = -std::numeric_limits<double>::infinity();
    const SimDeviceState& st = device.state();
    if (id < 0 || id >= count(device, meter))
        return kSilence;
    double gain = 0.0;
    if (meter == SimMeter::NetRx && device.rxChMap()[id] < 0)
        return kSilence;
    if (isPhysical(meter)) {
        const SimSide side = sideOf(meter);
        if (st.isPhyMuted(side, id) || (meter == SimMeter::PhyRx && st.silentPhyRx.contains(id)))
            return kSilence;
        if (meter == SimMeter::PhyTx && id < st.ampPower.size() && !st.ampPower[id])
            return kSilence;
        gain = st.phyGain[int(side)].value(id, 0.0);
    }
    // Phases spread by device, meter and channel so neighbouring meters never move together.
    const double phase = (qHash(device.devId()) % 628) / 100.0 + int(meter) * 1.3 + id * 0.7;
    const double t = double(nowMs % kPeriodMs) / kPeriodMs;
    return -24.0 + 9.0 * std::sin(2 * kPi * t + phase) + gain;
}

QStringList SimLevels::texts(const SimDevice& device, SimMeter meter, qint64 nowMs)
{
    QStringList out;
    const int n = count(device, meter);
    out.reserve(n);
    for (int id = 0; id < n; ++id)
        out.append(text(level(device, meter, id, nowMs)));
    return out;
}

QString SimLevels::text(double db)
{
    if (std::isinf(db) && db < 0)
        return QStringLiteral("-inf");
    // Rounded first so a value just below zero never shows as "-0.0".
    const double rounded = std::round(db * 10.0) / 10.0;
    return QString::number(rounded == 0.0 ? 0.0 : rounded, 'f', 1);
}

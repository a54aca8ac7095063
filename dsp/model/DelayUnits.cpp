#include "DelayUnits.h"

#include <QtGlobal>

#include <cmath>

double DelayUnits::samplesPer(Unit unit, int sampleRate)
{
    const double rate = sampleRate > 0 ? sampleRate : kDefaultRate;
    switch (unit) {
    case Milliseconds:
        return rate / 1000;
    case Meters:
        return rate / kSpeedOfSound;
    case Feet:
        return kFootInMeters / kSpeedOfSound * rate;
    default:
        return 1;
    }
}

int DelayUnits::toSamples(double value, Unit unit, int sampleRate, int maxNum)
{
    const double samples = value * samplesPer(unit, sampleRate);
    if (!std::isfinite(samples))
        return 0;
    const double rounded = std::round(samples);
    return int(qBound(0.0, rounded, double(qMax(0, maxNum))));
}

double DelayUnits::fromSamples(int samples, Unit unit, int sampleRate)
{
    return samples / samplesPer(unit, sampleRate);
}

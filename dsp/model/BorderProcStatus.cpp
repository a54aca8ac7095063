#include "BorderProcStatus.h"

#include <cmath>

namespace BorderProcStatus {

double roundedDb(double linearGain)
{
    if (!(linearGain > 0) || !std::isfinite(linearGain))
        return MinDb;
    const double g = 20 * std::log10(linearGain);
    const double x = std::ceil(g);
    double db = x;
    if (x - g > 0.8)
        db = x - 1;
    else if (x - g > 0.4)
        db = x - 0.5;
    return db;
}

int meterDb(double linearGain)
{
    return int(roundedDb(linearGain));
}

} // namespace BorderProcStatus

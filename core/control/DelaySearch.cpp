#include "DelaySearch.h"

#include <algorithm>

namespace DelaySearch {

Result find(const Probe& probe, int maxDelay, int coarseStep)
{
    Result best;
    maxDelay = std::clamp(maxDelay, 0, 100000);
    coarseStep = std::max(1, coarseStep);
    auto tryDelay = [&](int delay) {
        double level = 0;
        ++best.probes;
        if (!probe(delay, &level))
            return false;
        // The first minimum wins a tie, so the result does not wander between equal readings.
        if (!best.ok || level < best.level) {
            best.ok = true;
            best.delay = delay;
            best.level = level;
        }
        return true;
    };
    for (int d = 0; d <= maxDelay; d += coarseStep) {
        if (!tryDelay(d))
            return Result{false, 0, 0, best.probes};
    }
    const int centre = best.delay;
    for (int d = std::max(0, centre - coarseStep + 1); d <= std::min(maxDelay, centre + coarseStep - 1); ++d) {
        if (d == centre)
            continue;
        if (!tryDelay(d))
            return Result{false, 0, 0, best.probes};
    }
    return best;
}

} // namespace DelaySearch

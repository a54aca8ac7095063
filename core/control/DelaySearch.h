#pragma once
#include <functional>

/// Finds the delay of the cancellation stage that leaves the least of the test signal: a coarse sweep over the
/// stage's range, then every sample around the best coarse point. The level falls only within a few samples of
/// the true delay (about 16 samples), so the coarse step must not exceed that width.
namespace DelaySearch {

constexpr int kCoarseStep = 16;

/// Sets the stage to `delay` samples and reads the level left; false when the device did not answer.
using Probe = std::function<bool(int delay, double* level)>;

struct Result
{
    bool ok = false;  ///< false when a probe failed; nothing else is valid then
    int delay = 0;    ///< samples
    double level = 0; ///< dBFS at that delay
    int probes = 0;   ///< how many settings were tried
};

/// Sweeps 0..maxDelay (clamped to 0..100000). At most maxDelay / coarseStep + 2 * coarseStep + 1 probes.
Result find(const Probe& probe, int maxDelay, int coarseStep = kCoarseStep);

} // namespace DelaySearch

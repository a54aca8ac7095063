#pragma once
// Timing of a piece of work over several rounds, and one figure line against its target.
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace BenchTiming {

struct Figure
{
    double median = 0;
    double worst = 0;
};

/// Median and worst of `rounds` runs of `work`, in milliseconds (rounds >= 1).
inline Figure measure(int rounds, const std::function<void()>& work)
{
    std::vector<double> times;
    for (int i = 0; i < std::max(1, rounds); ++i) {
        QElapsedTimer t;
        t.start();
        work();
        times.push_back(t.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return {times[times.size() / 2], times.back()};
}

/// Prints the figure; true when its median is under the target.
inline bool report(const char* what, const Figure& f, double targetMs)
{
    const bool ok = f.median < targetMs;
    std::printf("%-48s median %8.3f ms  worst %8.3f ms  target < %6.1f ms  %s\n", what, f.median, f.worst, targetMs,
                ok ? "ok" : "MISSED");
    return ok;
}

} // namespace BenchTiming

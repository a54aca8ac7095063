#pragma once
// Console output of Google Benchmark, plus the figures kept for the closing summary.

#include <benchmark/benchmark.h>

#include <map>
#include <string>

/// Prints the usual table and remembers, per benchmark name, the times per iteration and the
/// user counters, so that main can print ratios and targets at the end.
class SummaryReporter : public benchmark::ConsoleReporter
{
public:
    struct Result
    {
        double nsPerIteration = 0; ///< wall time
        double cpuNsPerIteration = 0;
        benchmark::UserCounters counters;
    };

    void ReportRuns(const std::vector<Run>& reports) override;

    /// Null when the benchmark did not run (filtered out or failed).
    const Result* find(const std::string& name) const;
    bool anyError() const { return m_anyError; }

private:
    std::map<std::string, Result> m_results;
    bool m_anyError = false;
};

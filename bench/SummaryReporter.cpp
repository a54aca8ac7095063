#include "SummaryReporter.h"

void SummaryReporter::ReportRuns(const std::vector<Run>& reports)
{
    ConsoleReporter::ReportRuns(reports);
    // With --benchmark_repetitions the median replaces the single runs: the machine is shared.
    for (const bool median : {false, true}) {
        for (const Run& run : reports) {
            if (run.error_occurred) {
                m_anyError = true;
                continue;
            }
            const bool isMedian = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if ((median ? !isMedian : run.run_type != Run::RT_Iteration) || run.iterations == 0) {
                continue;
            }
            Result& r = m_results[run.run_name.str()];
            r.nsPerIteration = run.real_accumulated_time * 1e9 / static_cast<double>(run.iterations);
            r.cpuNsPerIteration = run.cpu_accumulated_time * 1e9 / static_cast<double>(run.iterations);
            r.counters = run.counters;
        }
    }
}

const SummaryReporter::Result* SummaryReporter::find(const std::string& name) const
{
    auto it = m_results.find(name);
    return it == m_results.end() ? nullptr : &it->second;
}

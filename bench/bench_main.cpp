// meridane-bench: resident memory of a full registry first (in a fresh process, before any
// benchmark has touched the tables), then the timed benchmarks, then one summary of figures.

#include "BenchMessages.h"
#include "BenchRegistry.h"
#include "DevManager.h"
#include "MemoryProbe.h"
#include "SummaryReporter.h"

#include <benchmark/benchmark.h>
#include <cstdio>

namespace {

constexpr double kAnnounceRatioTarget = 1.5;
constexpr double kMemoryTargetMb = 256.0;

struct MemoryFigures
{
    long startKb = -1;
    long emptyKb = -1;
    long announcedKb = -1;
    long completeKb = -1;
    int syncSteps = -1;
    int live = 0;
    int complete = 0;
};

MemoryFigures measureMemory()
{
    MemoryFigures m;
    m.startKb = MemoryProbe::residentKb();
    BenchRegistry reg;
    reg.reset();
    m.emptyKb = MemoryProbe::residentKb();
    reg.announce(0, DVM_MAX_DEVS, BenchMessages::Shape());
    m.announcedKb = MemoryProbe::residentKb();
    m.syncSteps = reg.completeTables(BenchMessages::Shape());
    m.completeKb = MemoryProbe::residentKb();
    m.live = int(getAllDevs().size());
    m.complete = reg.completeCount();
    reg.reset();
    return m;
}

double mb(long kb)
{
    return double(kb) / 1024.0;
}

const char* verdict(bool ok)
{
    return ok ? "ok" : "MISSED";
}

void printTime(const SummaryReporter& rep, const char* label, const char* name)
{
    const SummaryReporter::Result* r = rep.find(name);
    if (r) {
        std::printf("  %-48s %12.0f ns\n", label, r->cpuNsPerIteration);
    } else {
        std::printf("  %-48s %15s\n", label, "not run");
    }
}

void printRatio(const SummaryReporter& rep, const char* label, const char* name, const char* base, bool target)
{
    const SummaryReporter::Result* r = rep.find(name);
    const SummaryReporter::Result* b = rep.find(base);
    if (!r || !b || b->cpuNsPerIteration <= 0) {
        std::printf("  %-48s %15s\n", label, "not run");
        return;
    }
    const double ratio = r->cpuNsPerIteration / b->cpuNsPerIteration;
    std::printf("  %-48s %12.0f ns  %5.2fx parse", label, r->cpuNsPerIteration, ratio);
    if (target) {
        std::printf("  (target <= %.1fx) %s", kAnnounceRatioTarget, verdict(ratio <= kAnnounceRatioTarget));
    }
    std::printf("\n");
}

void printRound(const SummaryReporter& rep, const char* label, const char* name)
{
    const SummaryReporter::Result* r = rep.find(name);
    if (!r) {
        std::printf("  %-48s %15s\n", label, "not run");
        return;
    }
    auto it = r->counters.find("requests/round");
    const double requests = it == r->counters.end() ? 0.0 : double(it->second.value);
    std::printf("  %-48s %12.1f us  %6.0f requests/round\n", label, r->cpuNsPerIteration / 1000.0, requests);
}

} // namespace

int main(int argc, char** argv)
{
    // Before Initialize: nothing of the registry is resident yet.
    const MemoryFigures mem = measureMemory();

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 2;
    }
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    // CPU time: the machine is often shared, and every benchmark here runs on one thread.
    std::printf("\n== Meridane registry: summary (CPU time per operation) ==\n");
    std::printf("(a) announcement \"iAmVeranto\" (64/64 channels, 1024 devices)\n");
    printTime(reporter, "bare QJsonDocument::fromJson of the same bytes", "BM_AnnounceJsonParse");
    printRatio(reporter, "parse + reading all 22 members (QJsonObject)", "BM_AnnounceJsonFields",
               "BM_AnnounceJsonParse", false);
    printRatio(reporter, "refresh of a known device, 1024 live", "BM_AnnounceRefresh", "BM_AnnounceJsonParse", true);
    printRatio(reporter, "new device, 0..1023 live", "BM_AnnounceNew", "BM_AnnounceJsonParse", true);
    std::printf("(b) SAP announcement, L24/48000/8 with AES67 attributes\n");
    printTime(reporter, "parseSapAnnounce", "BM_SapParse");
    printTime(reporter, "userCallLib_handleUdp_sap (known stream)", "BM_SapHandle");
    std::printf("(c) synchronisation round userCallLib_timer(20), 1024 live devices\n");
    printRound(reporter, "tables incomplete (nothing answered)", "BM_SyncRoundIncomplete");
    printRound(reporter, "tables complete", "BM_SyncRoundComplete");
    std::printf("(d) resident memory (VmRSS of this process); DevRecord is %zu bytes\n", sizeof(DevRecord));
    std::printf("  %-48s %10.1f MB\n", "at start", mb(mem.startKb));
    std::printf("  %-48s %10.1f MB\n", "registry reset, 0 devices", mb(mem.emptyKb));
    std::printf("  %-48s %10.1f MB\n", "1024 devices announced", mb(mem.announcedKb));
    std::printf("  %-48s %10.1f MB  (+%.1f MB; target <= %.0f MB) %s\n", "1024 devices, tables complete",
                mb(mem.completeKb), mb(mem.completeKb - mem.emptyKb), kMemoryTargetMb,
                verdict(mb(mem.completeKb) <= kMemoryTargetMb));
    std::printf("  %-48s %d live, %d complete after %d sync steps\n", "population", mem.live, mem.complete,
                mem.syncSteps);

    // Timings are reported, not enforced; a broken registry path is a failure.
    const bool populated = mem.live == DVM_MAX_DEVS && mem.complete == DVM_MAX_DEVS;
    if (!populated) {
        std::printf("FAILED: the simulated population did not reach 1024 devices with complete tables\n");
    }
    if (reporter.anyError()) {
        std::printf("FAILED: a benchmark reported an error\n");
    }
    return populated && !reporter.anyError() ? 0 : 1;
}

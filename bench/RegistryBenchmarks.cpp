// Per-message and per-step costs of the registry, each against the work it cannot avoid.

#include "BenchMessages.h"
#include "BenchRegistry.h"
#include "DevManager.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <benchmark/benchmark.h>
#include <vector>

namespace {

constexpr int kDevices = DVM_MAX_DEVS;

const std::vector<QByteArray>& announcements()
{
    static const std::vector<QByteArray> msgs = [] {
        std::vector<QByteArray> out;
        for (int i = 0; i < kDevices; ++i) {
            out.push_back(BenchMessages::announcement(i, BenchMessages::Shape()));
        }
        return out;
    }();
    return msgs;
}

/// Keeps devices alive however many steps a benchmark runs; restores the normal life after.
class LongLife
{
public:
    LongLife() { dvm_setAnnounceLifeMs(1 << 30); }
    ~LongLife() { dvm_setAnnounceLifeMs(DVM_LIFE_MS); }
};

// The floor for (a): what any handling of an announcement must spend on the JSON alone.
void BM_AnnounceJsonParse(benchmark::State& state)
{
    const auto& msgs = announcements();
    size_t i = 0;
    for (auto _ : state) {
        const QByteArray& m = msgs[i++ % msgs.size()];
        QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromRawData(m.constData(), m.size()));
        benchmark::DoNotOptimize(doc);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_AnnounceJsonParse);

// Parse plus reading every member as text: the least that handling through QJsonObject costs.
void BM_AnnounceJsonFields(benchmark::State& state)
{
    static const char* const keys[] = {
        "ops",        "devId",      "name",       "ip",         "port",          "chNumRx",   "chNumTx", "ucastNumRx",
        "ucastNumTx", "mcastNumRx", "mcastNumTx", "sampleRate", "sampleByteNum", "pFrameNum", "dscp",    "delayUs",
        "myClkId",    "gmClkId",    "model",      "phyChNumRx", "phyChNumTx",    "canWork"};
    const auto& msgs = announcements();
    size_t i = 0;
    for (auto _ : state) {
        const QByteArray& m = msgs[i++ % msgs.size()];
        const QJsonObject obj = QJsonDocument::fromJson(QByteArray::fromRawData(m.constData(), m.size())).object();
        for (const char* key : keys) {
            QString v = obj.value(QLatin1String(key)).toString();
            benchmark::DoNotOptimize(v);
        }
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_AnnounceJsonFields);

// The steady state of a network: every device re-announces about once a second.
void BM_AnnounceRefresh(benchmark::State& state)
{
    const auto& msgs = announcements();
    BenchRegistry reg;
    reg.reset();
    reg.announce(0, kDevices, BenchMessages::Shape());
    if (getAllDevs().size() != size_t(kDevices)) {
        state.SkipWithError("registry did not take 1024 devices");
        return;
    }
    size_t i = 0;
    for (auto _ : state) {
        const QByteArray& m = msgs[i % msgs.size()];
        int rc =
            userCallLib_handleUdp_mcast(m.constData(), m.size(), BenchMessages::deviceIp(int(i % msgs.size())), 9996);
        benchmark::DoNotOptimize(rc);
        ++i;
    }
    state.counters["notifications"] = double(reg.notified());
    state.SetItemsProcessed(state.iterations());
    reg.reset();
}
BENCHMARK(BM_AnnounceRefresh);

// A device appearing; the list it is searched against grows from 0 to 1023 entries.
void BM_AnnounceNew(benchmark::State& state)
{
    const auto& msgs = announcements();
    BenchRegistry reg;
    reg.reset();
    int next = 0;
    for (auto _ : state) {
        if (next == kDevices) {
            state.PauseTiming();
            reg.reset();
            next = 0;
            state.ResumeTiming();
        }
        const QByteArray& m = msgs[size_t(next)];
        int rc = userCallLib_handleUdp_mcast(m.constData(), m.size(), BenchMessages::deviceIp(next), 9996);
        benchmark::DoNotOptimize(rc);
        ++next;
    }
    state.SetItemsProcessed(state.iterations());
    reg.reset();
}
BENCHMARK(BM_AnnounceNew);

void BM_SapParse(benchmark::State& state)
{
    const QByteArray packet = BenchMessages::sapAnnouncement(0);
    McastRecord rec;
    if (!parseSapAnnounce(packet.constData(), packet.size(), &rec)) {
        state.SkipWithError("realistic SAP packet rejected");
        return;
    }
    for (auto _ : state) {
        int rc = parseSapAnnounce(packet.constData(), packet.size(), &rec);
        benchmark::DoNotOptimize(rc);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SapParse);

// Parse plus store: after the first packet every one refreshes a known stream.
void BM_SapHandle(benchmark::State& state)
{
    const QByteArray packet = BenchMessages::sapAnnouncement(0);
    BenchRegistry reg;
    reg.reset();
    const uint32_t src = BenchMessages::deviceIp(0);
    userCallLib_handleUdp_sap(packet.constData(), packet.size(), src, 9875);
    if (getAllMcasts().size() != 1) {
        state.SkipWithError("realistic SAP packet not stored");
        return;
    }
    for (auto _ : state) {
        int rc = userCallLib_handleUdp_sap(packet.constData(), packet.size(), src, 9875);
        benchmark::DoNotOptimize(rc);
    }
    state.SetItemsProcessed(state.iterations());
    reg.reset();
}
BENCHMARK(BM_SapHandle);

// Worst case of a step: no device has answered yet, so every table of every device is requested.
void BM_SyncRoundIncomplete(benchmark::State& state)
{
    BenchRegistry reg;
    reg.reset();
    LongLife life; // after the reset, which restores the normal life
    reg.announce(0, kDevices, BenchMessages::Shape());
    reg.clearCounters();
    for (auto _ : state) {
        userCallLib_timer(20);
    }
    state.counters["requests/round"] = double(reg.sent()) / double(state.iterations());
    reg.reset();
}
BENCHMARK(BM_SyncRoundIncomplete)->Unit(benchmark::kMicrosecond);

// The common case: a settled network, where a step only ages devices and finds nothing to fetch.
void BM_SyncRoundComplete(benchmark::State& state)
{
    BenchRegistry reg;
    reg.reset();
    LongLife life; // after the reset, which restores the normal life
    reg.announce(0, kDevices, BenchMessages::Shape());
    if (reg.completeTables(BenchMessages::Shape()) < 0) {
        state.SkipWithError("tables did not complete");
        return;
    }
    reg.clearCounters();
    for (auto _ : state) {
        userCallLib_timer(20);
    }
    state.counters["requests/round"] = double(reg.sent()) / double(state.iterations());
    reg.reset();
}
BENCHMARK(BM_SyncRoundComplete)->Unit(benchmark::kMicrosecond);

// Table fetch of answering devices from their first announcement: steps of 20 ms until every table is complete,
// with the table requests paced (arg 1) and unpaced (arg 0, every incomplete table at every step). Devices answer
// between steps, as a network would. The pacing must not cost answering devices more than a tenth.
void BM_TableFetch(benchmark::State& state)
{
    const int devices = static_cast<int>(state.range(0));
    const bool paced = state.range(1) != 0;
    BenchRegistry reg;
    int steps = 0;
    long long requests = 0;
    for (auto _ : state) {
        reg.reset();
        if (!paced)
            dvm_setTablePacing(0, 0);
        reg.announce(0, devices, BenchMessages::Shape());
        steps = reg.completeTables(BenchMessages::Shape(), 4096);
        requests = reg.sent();
        if (steps < 0) {
            state.SkipWithError("tables did not complete");
            break;
        }
    }
    state.counters["fetch_ms"] = 20.0 * steps;
    state.counters["requests"] = double(requests);
    state.counters["requests/s"] = steps > 0 ? double(requests) * 50.0 / steps : 0.0;
    reg.reset();
}
BENCHMARK(BM_TableFetch)
    ->ArgNames({"devices", "paced"})
    ->Args({100, 0})
    ->Args({100, 1})
    ->Args({1024, 0})
    ->Args({1024, 1})
    ->Unit(benchmark::kMillisecond);

} // namespace

// Pacing of the table requests: one outstanding request per table, repeats with a growing delay, an answer
// resetting it, and a global budget shared by all devices. Time is the registry's own: 20 ms per timer step.

#include "DvmTestSupport.h"
#include "TablePacer.h"

#include <algorithm>
#include <functional>
#include <iostream>
#include <map>

namespace {

const uint32_t kDevIp = 0x0A4D000B; // 10.77.0.11
constexpr int kStepMs = 20;

class DvmPacing : public DvmTest
{
protected:
    /// A device with 16 receive channels and two streams of each kind: all eight tables to fetch.
    static void addDevice(const QString& devId = "MD0A", const QString& ip = "10.77.0.11")
    {
        QJsonObject a = announcement(devId, ip);
        for (const char* key : {"chNumRx", "ucastNumRx", "ucastNumTx", "mcastNumRx", "mcastNumTx"})
            a.insert(key, key == QLatin1String("chNumRx") ? "16" : "2");
        announce(a);
    }
    /// Steps until `ms` of registry time have passed; returns the send times (ms) of each request op.
    std::map<QString, std::vector<int>> runSilent(int ms, int startMs = 0)
    {
        std::map<QString, std::vector<int>> times;
        for (int now = startMs + kStepMs; now <= startMs + ms; now += kStepMs) {
            sent.clear();
            tick();
            for (const SentDatagram& d : sent)
                times[d.msg.value("ops").toString()].push_back(now);
        }
        return times;
    }
};

// A device that never answers costs a few datagrams a second: each table's request is repeated after 200 ms,
// then after twice the previous wait, never more often and never waiting more than 5 s.
TEST_F(DvmPacing, SilentDeviceIsAskedWithGrowingDelay)
{
    addDevice();
    const auto times = runSilent(60000);
    ASSERT_EQ(size_t(DVM_T_COUNT), times.size()) << "every table is asked";
    int total = 0;
    for (const auto& entry : times) {
        const std::vector<int>& at = entry.second;
        total += int(at.size());
        ASSERT_GE(at.size(), 3u) << entry.first.toStdString();
        int previousGap = 0;
        for (size_t i = 1; i < at.size(); ++i) {
            const int gap = at[i] - at[i - 1];
            const int wanted = i == 1 ? TablePacer::kFirstDelayMs : std::min(2 * previousGap, TablePacer::kMaxDelayMs);
            // the 20 ms step may round a wait up by one step
            EXPECT_GE(gap, wanted - kStepMs) << entry.first.toStdString() << " repeat " << i;
            EXPECT_LE(gap, wanted + kStepMs) << entry.first.toStdString() << " repeat " << i;
            previousGap = gap;
        }
        EXPECT_GE(at.back(), 60000 - TablePacer::kMaxDelayMs - kStepMs) << "still asked at the end";
    }
    std::cout << "[ pacing ] silent device, 60 s: N = " << total << " table requests (" << total / 60.0 << "/s)\n";
    EXPECT_LE(total, 3 * 60) << "at most three datagrams a second on average";
    // Once the delay reached its ceiling: eight tables every 5 s.
    const auto late = runSilent(30000, 60000);
    int lateTotal = 0;
    for (const auto& entry : late)
        lateTotal += int(entry.second.size());
    EXPECT_LE(lateTotal, DVM_T_COUNT * (30000 / TablePacer::kMaxDelayMs + 1));
    EXPECT_GE(lateTotal, DVM_T_COUNT * (30000 / TablePacer::kMaxDelayMs - 1));
}

// An answer moves the fetched position: the next page goes at the next step, and a later silence starts again
// from the first delay. A changed position from an invalidation counts the same way.
TEST_F(DvmPacing, AnswerOrInvalidationResetsTheDelay)
{
    addDevice();
    const struct
    {
        const char* name;
        std::function<void()> answer;
        const char* ops;
        const char* idStart;
    } cases[] = {
        {"answered page", [] { reply(kDevIp, "getAllRxCh", 0, 8, QJsonArray{}); }, "getAllRxCh", "8"},
        {"route change",
         [] {
             mcast(QJsonObject{{"ops", "updateRoute"}}, kDevIp);
         },
         "getAllRxCh", "0"},
    };
    for (const auto& c : cases) {
        runSilent(4000); // the delay has grown well past a second
        c.answer();
        sent.clear();
        tick();
        bool found = false;
        for (const SentDatagram& d : sent) {
            if (d.msg.value("ops").toString() == c.ops) {
                found = true;
                EXPECT_EQ(c.idStart, d.msg.value("idStart").toString()) << c.name;
            }
        }
        EXPECT_TRUE(found) << c.name << ": asked at once";
        const auto again = runSilent(TablePacer::kFirstDelayMs + kStepMs);
        ASSERT_EQ(1u, again.count(c.ops)) << c.name << ": repeated after the first delay";
        EXPECT_EQ(1u, again.at(c.ops).size()) << c.name;
    }
}

// A page that does not move the position (empty, backward, or the same page again) is no answer: the request is
// not repeated at every step, and nothing outside the one outstanding request is sent for that table.
TEST_F(DvmPacing, PageThatDoesNotMoveIsNoAnswer)
{
    addDevice();
    int asked = 0;
    for (int step = 0; step < 50; ++step) {
        sent.clear();
        tick();
        for (const SentDatagram& d : sent)
            asked += d.msg.value("ops").toString() == "getAllRxCh";
        reply(kDevIp, "getAllRxCh", 8, 0, QJsonArray{});
    }
    EXPECT_EQ(0, findDevByIp(kDevIp)->tables.fetched[DVM_T_RXCH]);
    EXPECT_EQ(3, asked) << "at 0, 200 and 600 ms within the first second";
}

/// Counts requests per destination without parsing them: large populations over a simulated minute.
struct Counter
{
    long long total = 0;
    std::map<uint32_t, int> perIp;
    static int hook(void* ctx, const char*, int length, uint32_t ip, uint16_t)
    {
        auto* self = static_cast<Counter*>(ctx);
        ++self->total;
        ++self->perIp[ip];
        return length;
    }
};

// Many silent devices share one budget: no second carries more than the burst plus a second's refill, and every
// device is still asked (the step that spends the budget hands the turn on to the next device).
TEST_F(DvmPacing, GlobalBudgetCapsAllDevicesTogether)
{
    const struct
    {
        int rate;
        int burst;
        int devices;
    } cases[] = {
        {TablePacer::kRatePerSecond, TablePacer::kBurst, DVM_MAX_DEVS},
        {500, 100, 200},
    };
    for (const auto& c : cases) {
        dvm_resetForTest();
        dvm_setAnnounceLifeMs(1 << 30);
        dvm_setTablePacing(c.rate, c.burst);
        for (int i = 0; i < c.devices; ++i) {
            const QString ip = QString("10.77.%1.%2").arg(1 + i / 200).arg(1 + i % 200);
            addDevice(QString("FAKE%1").arg(i), ip);
        }
        Counter counter;
        dvm_setSendHook(&Counter::hook, &counter);
        long long peak = 0;
        for (int second = 0; second < 60; ++second) {
            const long long before = counter.total;
            tick(1000 / kStepMs);
            peak = std::max(peak, counter.total - before);
        }
        dvm_setSendHook(&DvmTest::onSend, this);
        std::cout << "[ pacing ] " << c.devices << " silent devices, cap " << c.rate << "/s burst " << c.burst
                  << ": 60 s N = " << counter.total << ", busiest second " << peak << "\n";
        EXPECT_LE(peak, c.burst + c.rate) << c.devices;
        EXPECT_EQ(size_t(c.devices), counter.perIp.size()) << "every device asked";
        EXPECT_LE(counter.total, 60LL * c.rate + c.burst);
    }
}

TEST(TablePacerRule, BudgetRefillsAtItsRateUpToTheBurst)
{
    TablePacer pacer;
    pacer.reset(1000, 10); // one request per millisecond, ten at most
    int taken = 0;
    while (pacer.take())
        ++taken;
    EXPECT_EQ(10, taken);
    const struct
    {
        int elapsedMs;
        int available;
    } cases[] = {{0, 0}, {3, 3}, {-50, 0}, {1000, 10}};
    for (const auto& c : cases) {
        pacer.advance(c.elapsedMs);
        int n = 0;
        while (pacer.take())
            ++n;
        EXPECT_EQ(c.available, n) << c.elapsedMs << " ms";
    }
    pacer.reset(0, 0); // unpaced: no budget, every wanted table is due
    TablePace pace{};
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(pacer.take());
        EXPECT_TRUE(pacer.due(pace, 0, true));
        pacer.asked(pace, 0);
    }
    EXPECT_FALSE(pacer.due(pace, 0, false));
}

} // namespace

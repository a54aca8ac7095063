// Readers on several threads while one thread changes the store: every copy a reader gets is
// whole (fields edited together stay together) and every list it gets is in order.

#include "DevDetailStore.h"
#include "StoreTestSupport.h"

#include <atomic>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace {

DevDetail_t numbered(int i, int generation)
{
    DevDetail_t d;
    d.devId = QStringLiteral("MRH1-%1").arg(i);
    d.name = QStringLiteral("n%1-%2").arg(generation % 7).arg(i);
    d.customStr = d.name; // written together with the name in every edit
    d.ip = uint32_t(0x0A000000 + i);
    return d;
}

bool inNameOrder(const QVector<DevDetail_t>& list)
{
    for (int i = 1; i < list.size(); ++i)
        if (list[i - 1].name > list[i].name)
            return false;
    return true;
}

} // namespace

TEST(DevDetailStoreConcurrencyTest, ReadersSeeWholeDetailsWhileOneThreadWrites)
{
    dvm_resetForTest();
    storetest::announce("MREA-3", "10.1.0.3");
    DevDetailStore store;
    constexpr int kDevs = 40;
    std::atomic<bool> done{false};
    std::atomic<int> faults{0};
    std::atomic<long> reads{0};
    std::atomic<int> started{0};

    std::vector<std::thread> readers;
    for (int r = 0; r < 3; ++r)
        readers.emplace_back([&, r] {
            started.fetch_add(1);
            while (!done.load()) {
                const int i = int(reads.fetch_add(1) % kDevs);
                const DevDetail_t d = store.getDevDetail(QStringLiteral("MRH1-%1").arg(i));
                if (!d.isEmpty() && d.customStr != d.name)
                    faults.fetch_add(1);
                const DevDetail_t byIp = store.getDevDetailByIp(uint32_t(0x0A000000 + i));
                if (!byIp.isEmpty() && byIp.customStr != byIp.name)
                    faults.fetch_add(1);
                if (r == 0 && !inNameOrder(store.devDetails()))
                    faults.fetch_add(1);
                if (r == 1) {
                    store.containsIp(uint32_t(0x0A000000 + i));
                    store.devIdForReplyAddress(dvm_parseIp("10.1.0.3"));
                    store.mcastEntries();
                }
                if (r == 2)
                    store.moduleMap(0);
            }
        });

    // Writing starts once every reader runs and goes on until they have read a good deal.
    while (started.load() < 3)
        std::this_thread::yield();
    for (int round = 0; round < 400 || (reads.load() < 2000 && round < 200000); ++round) {
        const int i = round % kDevs;
        store.insertDevDetail(numbered(i, round));
        store.updateDevDetail(numbered((i + 1) % kDevs, 0).devId, [round](DevDetail_t& d) {
            d.name = QStringLiteral("u%1").arg(round % 11);
            d.customStr = d.name;
        });
        if (round % 5 == 0)
            store.removeDevDetail(numbered((i + 3) % kDevs, 0).devId);
        if (round % 10 == 0) {
            store.insertMcast(
                McastEntry{QStringLiteral("s%1").arg(round % 13), QString(), {}, uint32_t(round % 9 + 1)});
            store.removeMcast(uint32_t(round % 5 + 1));
            store.rebuildModuleMaps();
            store.setReplyAddress(QStringLiteral("x%1").arg(round % 4), uint32_t(round));
        }
    }
    done.store(true);
    for (std::thread& t : readers)
        t.join();

    EXPECT_EQ(faults.load(), 0);
    EXPECT_GE(reads.load(), 2000);
    EXPECT_TRUE(inNameOrder(store.devDetails()));
    dvm_resetForTest();
}

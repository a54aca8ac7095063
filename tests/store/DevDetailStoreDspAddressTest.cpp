// The device detail store's signal-processor addresses.

#include "DevDetailStore.h"

#include <gtest/gtest.h>

#include <thread>

TEST(DevDetailStoreDspAddressTest, KeptPerDeviceUntilForgottenOrCleared)
{
    DevDetailStore store;
    store.setDspAddress("MRD-M8-1", 0xC0A80A05u);
    store.setDspAddress("MRD-M16-2", 0xC0A80A06u);
    store.setDspAddress("MRD-M8-1", 0xC0A80A07u); // a new address replaces the old
    EXPECT_EQ(store.dspAddress("MRD-M8-1"), 0xC0A80A07u);
    EXPECT_EQ(store.dspAddress("mrd-m8-1"), 0u); // devIds are case-sensitive
    store.setDspAddress("MRD-M8-1", 0);          // 0 forgets
    EXPECT_EQ(store.dspAddress("MRD-M8-1"), 0u);
    EXPECT_EQ(store.dspAddress("MRD-M16-2"), 0xC0A80A06u);
    store.clear();
    EXPECT_EQ(store.dspAddress("MRD-M16-2"), 0u);
}

TEST(DevDetailStoreDspAddressTest, WritersAndReadersOnOtherThreads)
{
    DevDetailStore store;
    constexpr int kRounds = 2000;
    std::thread writer([&store] {
        for (int i = 1; i <= kRounds; ++i)
            store.setDspAddress(QStringLiteral("D%1").arg(i % 16), uint32_t(i));
    });
    // Every read sees either nothing or an address some write stored for that device.
    for (int i = 0; i < kRounds; ++i) {
        const uint32_t ip = store.dspAddress(QStringLiteral("D%1").arg(i % 16));
        EXPECT_TRUE(ip == 0 || int(ip % 16) == i % 16) << ip;
    }
    writer.join();
    EXPECT_EQ(store.dspAddress("D0"), uint32_t(kRounds));
}

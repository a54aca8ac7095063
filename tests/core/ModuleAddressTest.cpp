// Expansion-module addresses decide whose replies a datagram is: the store takes one only when it
// is unique and no listed device holds it.
#include "DevDetailStore.h"
#include "StoreTestSupport.h"

#include <gtest/gtest.h>

using storetest::announce;

namespace {

struct ModuleAddressTest : ::testing::Test
{
    void SetUp() override { dvm_resetForTest(); }
    void TearDown() override { dvm_resetForTest(); }
    DevDetailStore store;
};

} // namespace

TEST_F(ModuleAddressTest, TwoHostsClaimingOneModuleKeepItWithTheFirstOrWithNone)
{
    // Both hosts end in the same tail, so both derive the module "MREA-0A4D0015".
    announce("MRH1-0A4D0015", "10.0.0.1");
    announce("MREA-0A4D0015", "10.0.0.2");
    ASSERT_EQ(store.addFromRegistry("MRH1-0A4D0015"), DevDetailStore::Added);
    store.rebuildModuleMaps();
    EXPECT_EQ(store.devIdForReplyAddress(dvm_parseIp("10.0.0.2")), "MRH1-0A4D0015");

    announce("MRH2-0A4D0015", "10.0.0.3");
    ASSERT_EQ(store.addFromRegistry("MRH2-0A4D0015"), DevDetailStore::Added);
    store.rebuildModuleMaps();
    EXPECT_EQ(store.module(0, "MRH1-0A4D0015").ip, dvm_parseIp("10.0.0.2")) << "the first owner keeps it";
    EXPECT_EQ(store.module(0, "MRH2-0A4D0015").ip, 0u);
    EXPECT_EQ(store.devIdForReplyAddress(dvm_parseIp("10.0.0.2")), "MRH1-0A4D0015");

    // Found by both at once, nobody held it: nobody gets it.
    store.clear();
    store.addFromRegistry("MRH1-0A4D0015");
    store.addFromRegistry("MRH2-0A4D0015");
    store.rebuildModuleMaps();
    EXPECT_TRUE(store.moduleMap(0).isEmpty());
    EXPECT_EQ(store.devIdForReplyAddress(dvm_parseIp("10.0.0.2")), "");
}

TEST_F(ModuleAddressTest, ReplyAddressesNeverTakeAListedDevicesAddress)
{
    announce("MRD-0A4D0001", "10.0.0.1");
    announce("MRD-0A4D0002", "10.0.0.2");
    store.addFromRegistry("MRD-0A4D0001");
    store.addFromRegistry("MRD-0A4D0002");
    const struct
    {
        const char* devId;
        const char* ip;
        bool taken;
    } cases[] = {
        {"MRD-0A4D0001", "10.0.0.2", false},                                      // another device's address
        {"MRD-0A4D0001", "0.0.0.0", false},  {"MRD-0A4D0001", "10.0.0.1", true},  // its own
        {"MRD-0A4D0001", "10.0.7.7", true},  {"MRD-0A4D0002", "10.0.7.7", false}, // held by another entry
    };
    for (const auto& c : cases)
        EXPECT_EQ(store.setReplyAddress(c.devId, dvm_parseIp(c.ip)), c.taken) << c.devId << " " << c.ip;
    EXPECT_EQ(store.devIdForReplyAddress(dvm_parseIp("10.0.7.7")), "MRD-0A4D0001");
    EXPECT_EQ(store.devIdForReplyAddress(dvm_parseIp("10.0.0.2")), "");
}

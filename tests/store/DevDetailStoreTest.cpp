// The device detail store: order by name, one address per listed device, streams, module maps.

#include "DevDetailStore.h"
#include "StoreTestSupport.h"

#include <gtest/gtest.h>

using storetest::announce;

namespace {

DevDetail_t detail(const QString& devId, const QString& name, uint32_t ip)
{
    DevDetail_t d;
    d.devId = devId;
    d.name = name;
    d.ip = ip;
    return d;
}

QStringList idsOf(const QVector<DevDetail_t>& list)
{
    QStringList out;
    for (const DevDetail_t& d : list)
        out << d.devId;
    return out;
}

class DevDetailStoreTest : public ::testing::Test
{
protected:
    void SetUp() override { dvm_resetForTest(); }
    void TearDown() override { dvm_resetForTest(); }
    DevDetailStore store;
};

} // namespace

TEST_F(DevDetailStoreTest, ListedInAscendingCaseSensitiveNameOrder)
{
    store.insertDevDetail(detail("d1", "beta", 1));
    store.insertDevDetail(detail("d2", "Beta", 2)); // upper case sorts first
    store.insertDevDetail(detail("d3", "alpha", 3));
    store.insertDevDetail(detail("d4", "beta", 4)); // equal name: goes before the listed one
    store.insertDevDetail(detail("d5", "", 5));
    EXPECT_EQ(idsOf(store.devDetails()), QStringList({"d5", "d2", "d3", "d4", "d1"}));

    // A renamed device moves to its place; its devId cannot be edited away.
    ASSERT_TRUE(store.updateDevDetail("d5", [](DevDetail_t& d) {
        d.name = "zeta";
        d.devId = "other";
    }));
    EXPECT_EQ(idsOf(store.devDetails()), QStringList({"d2", "d3", "d4", "d1", "d5"}));
    EXPECT_FALSE(store.updateDevDetail("missing", [](DevDetail_t&) { ADD_FAILURE() << "edited a missing device"; }));
}

TEST_F(DevDetailStoreTest, OneAddressOneListedDevice)
{
    EXPECT_EQ(store.insertDevDetail(detail("A", "a", 7)), DevDetailStore::Inserted);
    EXPECT_EQ(store.insertDevDetail(detail("B", "b", 7)), DevDetailStore::IpTaken);
    EXPECT_EQ(store.devCount(), 1);
    EXPECT_TRUE(store.containsIp(7));
    EXPECT_FALSE(store.containsIp(7, "A")); // its own address does not block a re-listing
    // The same device again replaces its detail instead of being listed twice.
    EXPECT_EQ(store.insertDevDetail(detail("A", "a2", 8)), DevDetailStore::Replaced);
    EXPECT_EQ(store.devCount(), 1);
    EXPECT_EQ(store.getDevDetailByIp(8).devId, "A");
    EXPECT_TRUE(store.getDevDetailByIp(7).isEmpty());
    EXPECT_EQ(store.insertDevDetail(detail("B", "b", 7)), DevDetailStore::Inserted);

    EXPECT_TRUE(store.removeDevDetail("A"));
    EXPECT_FALSE(store.removeDevDetail("A"));
    EXPECT_TRUE(store.getDevDetail("A", __func__, __LINE__).isEmpty());
    EXPECT_EQ(store.getDevDetail("B").name, "b");
}

TEST_F(DevDetailStoreTest, RegistryDevicesSharingAnAddress)
{
    announce("dev-1", "10.0.0.5", {{"chNumRx", "2"}});
    EXPECT_EQ(store.addFromRegistry("dev-1"), DevDetailStore::Added);
    // The registry lets another device take the address only once dev-1 expired; the store may
    // still list dev-1 then.
    dvm_setDevLife(findDevById("dev-1"), 0);
    announce("dev-2", "10.0.0.5");
    EXPECT_EQ(store.addFromRegistry("dev-2"), DevDetailStore::AddressTaken);
    EXPECT_EQ(store.addFromRegistry("dev-3"), DevDetailStore::NotInRegistry);
    EXPECT_EQ(idsOf(store.devDetails()), QStringList({"dev-1"}));
    const DevDetail_t d = store.getDevDetail("dev-1");
    EXPECT_EQ(d.ip, dvm_parseIp("10.0.0.5"));
    EXPECT_EQ(d.macText, "00:1D:C1:00:00:0B");
    EXPECT_EQ(d.rxChNames.size(), 2);
}

TEST_F(DevDetailStoreTest, CanWorkAndMacFollowTheRegistry)
{
    announce("dev-1", "10.0.0.1");
    announce("dev-2", "10.0.0.2");
    store.addFromRegistry("dev-1");
    store.addFromRegistry("dev-2");
    store.insertDevDetail(detail("gone", "c", 99)); // not in the registry: left alone
    EXPECT_EQ(store.syncCanWork(), 0);

    announce("dev-2", "10.0.0.2", {{"canWork", "0"}, {"myClkId", "00-1D-C1-AB-CD-EF"}});
    EXPECT_EQ(store.syncCanWork(), 1);
    EXPECT_FALSE(store.getDevDetail("dev-2").canWork);
    EXPECT_TRUE(store.getDevDetail("dev-1").canWork);
    EXPECT_TRUE(store.containsDevId("gone"));

    ASSERT_TRUE(store.updateFromRegistry("dev-2"));
    EXPECT_EQ(store.getDevDetail("dev-2").macText, "00:1D:C1:AB:CD:EF");
    EXPECT_FALSE(store.updateFromRegistry("gone"));
}

TEST_F(DevDetailStoreTest, StreamsInNameOrderKeyedByDestination)
{
    ASSERT_EQ(storetest::announceStream("Stage", "239.69.1.10", 2), 1);
    ASSERT_EQ(storetest::announceStream("Desk", "239.69.1.11", 8), 1);
    const McastEntry stage = McastEntry::fromRegistry(dvm_parseIp("239.69.1.10"));
    ASSERT_FALSE(stage.isEmpty());
    EXPECT_EQ(stage.name, "Stage\r"); // the SAP line's CR is kept
    EXPECT_EQ(stage.chNames, QStringList({"out1", "out2"}));
    EXPECT_TRUE(stage.sdp.contains("s=Stage"));
    EXPECT_TRUE(McastEntry::fromRegistry(dvm_parseIp("239.69.1.99")).isEmpty());

    store.insertMcast(stage);
    store.insertMcast(McastEntry::fromRegistry(dvm_parseIp("239.69.1.11")));
    McastEntry renamed = stage;
    renamed.name = "Amps"; // same stream announced under a new name: replaced, not doubled
    store.insertMcast(renamed);
    store.insertMcast(McastEntry()); // ignored
    QStringList names;
    for (const McastEntry& e : store.mcastEntries())
        names << e.name;
    EXPECT_EQ(names, QStringList({"Amps", "Desk\r"}));
    EXPECT_EQ(store.mcastByDstIp(dvm_parseIp("239.69.1.11")).chNames.size(), 8);

    EXPECT_TRUE(store.removeMcast(dvm_parseIp("239.69.1.10")));
    EXPECT_FALSE(store.removeMcast(dvm_parseIp("239.69.1.10")));
    EXPECT_EQ(store.mcastEntries().size(), 1);
}

TEST_F(DevDetailStoreTest, ModuleMapsFollowLiveRegistryModules)
{
    const QString host = "MRH2-0A4D0015";
    const QString other = "MRD-0A4D0015"; // not a host: no module look-up
    dvm_setAnnounceLifeMs(50);
    auto announceAll = [&](bool withB) {
        announce(host, "10.0.0.1");
        announce("MREA-0A4D0015", "10.0.0.2", {{"chNumRx", "16"}, {"chNumTx", "8"}});
        if (withB)
            announce("MREB-0A4D0015", "10.0.0.3");
        announce(other, "10.0.0.4");
    };
    announceAll(true);
    store.addFromRegistry(host);
    store.addFromRegistry(other);
    store.rebuildModuleMaps();

    const DevDetailStore::ModuleInfo a = store.module(0, host);
    EXPECT_EQ(a.ip, dvm_parseIp("10.0.0.2"));
    EXPECT_EQ(a.chNumRx, 16);
    EXPECT_EQ(a.chNumTx, 8);
    EXPECT_EQ(store.module(1, host).ip, dvm_parseIp("10.0.0.3"));
    EXPECT_EQ(store.moduleMap(0).size(), 1);
    EXPECT_TRUE(store.moduleMap(2).isEmpty());
    EXPECT_EQ(store.devIdForReplyAddress(dvm_parseIp("10.0.0.2")), host);

    // Module B stops announcing: its entry goes at the next rebuild, module A's stays.
    userCallLib_timer(20);
    announceAll(false);
    userCallLib_timer(40); // module B has aged out
    ASSERT_EQ(findDevById("MREB-0A4D0015"), nullptr);
    store.rebuildModuleMaps();
    EXPECT_EQ(store.module(1, host).ip, 0u);
    EXPECT_EQ(store.module(0, host).ip, dvm_parseIp("10.0.0.2"));

    // The host leaves the list: its entries go, addresses recorded for others stay.
    store.setReplyAddress("MRD-0A4D0015", dvm_parseIp("10.0.9.9"));
    store.removeDevDetail(host);
    store.rebuildModuleMaps();
    EXPECT_TRUE(store.moduleMap(1).isEmpty());
    EXPECT_EQ(store.module(0, host).ip, 0u);
    EXPECT_EQ(store.devIdForReplyAddress(dvm_parseIp("10.0.9.9")), "MRD-0A4D0015");
    EXPECT_EQ(store.devIdForReplyAddress(0), "");
}

// Answers to the secondary-unit probe: what counts as an answer, what is read from it.

#include "SecondaryUnitProbe.h"
#include "DevDetailStore.h"
#include "StoreTestSupport.h"

#include <gtest/gtest.h>

namespace {

struct ProbeCase
{
    const char* text;
    bool isAnswer;
    const char* hostname;
    const char* ip;
    const char* mainDevId;
};

class ProbeParseTest : public ::testing::TestWithParam<ProbeCase>
{
};

} // namespace

TEST_P(ProbeParseTest, Parse)
{
    const ProbeCase& c = GetParam();
    const SecondaryUnitProbe::Answer a = SecondaryUnitProbe::parse(c.text, ModelTable::instance());
    EXPECT_EQ(a.isAnswer, c.isAnswer);
    EXPECT_EQ(a.hostname, QString::fromUtf8(c.hostname));
    EXPECT_EQ(a.ip, dvm_parseIp(c.ip));
    EXPECT_EQ(a.mainDevId, QString::fromUtf8(c.mainDevId));
}

INSTANTIATE_TEST_SUITE_P(
    Answers, ProbeParseTest,
    ::testing::Values(
        ProbeCase{"iAmMeridane!\nhostname=SMRP-00112233\nip=10.0.0.9\n", true, "SMRP-00112233", "10.0.0.9",
                  "MRP-00112233"},
        ProbeCase{"iAmMeridane!\r\nhostname=SMRQ-7\r\nip=10.0.0.10\r\n", true, "SMRQ-7", "10.0.0.10", "MRQ-7"},
        ProbeCase{"ip=10.0.0.11\nhostname=SMRP-1\niAmMeridane!", true, "SMRP-1", "10.0.0.11", "MRP-1"},
        // A main unit, an unknown family, and a unit without a usable address: no main devId.
        ProbeCase{"iAmMeridane!\nhostname=MRP-1\nip=10.0.0.12\n", true, "MRP-1", "10.0.0.12", ""},
        ProbeCase{"iAmMeridane!\nhostname=SMRX-1\nip=10.0.0.13\n", true, "SMRX-1", "10.0.0.13", ""},
        ProbeCase{"iAmMeridane!\nhostname=SMRP-1\nip=0.0.0.0\n", true, "SMRP-1", "0.0.0.0", ""},
        ProbeCase{"iAmMeridane!\nhostname=SMRP-1\nip=garbage\n", true, "SMRP-1", "0.0.0.0", ""},
        // "ip=" inside another key is not the address.
        ProbeCase{"iAmMeridane!\ngwip=10.0.0.1\nhostname=SMRP-2\nip=10.0.0.14", true, "SMRP-2", "10.0.0.14", "MRP-2"},
        // Both markers are required.
        ProbeCase{"hostname=SMRP-1\nip=10.0.0.15\n", false, "", "0.0.0.0", ""},
        ProbeCase{"iAmMeridane!\nhostname=SMRP-1\n", false, "", "0.0.0.0", ""},
        ProbeCase{"AreYouMeridane?", false, "", "0.0.0.0", ""}, ProbeCase{"", false, "", "0.0.0.0", ""}));

TEST(SecondaryUnitProbeTest, RecordsOnlyDevicesTheRegistryHolds)
{
    dvm_resetForTest();
    storetest::announce("MRP-00112233", "10.0.0.1");
    DevDetailStore store;
    const auto known =
        SecondaryUnitProbe::parse("iAmMeridane!\nhostname=SMRP-00112233\nip=10.0.1.1\n", ModelTable::instance());
    const auto unknown =
        SecondaryUnitProbe::parse("iAmMeridane!\nhostname=SMRP-99\nip=10.0.1.2\n", ModelTable::instance());
    EXPECT_TRUE(SecondaryUnitProbe::record(known, store));
    EXPECT_FALSE(SecondaryUnitProbe::record(unknown, store));
    EXPECT_EQ(store.secondaryUnits(), (QMap<QString, uint32_t>{{"MRP-00112233", dvm_parseIp("10.0.1.1")}}));
    dvm_resetForTest();
}

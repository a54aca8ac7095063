// The model table: the compiled-in rows and the rules built on its prefixes.

#include "ModelTable.h"

#include <gtest/gtest.h>

TEST(ModelTableTest, CompiledInTableIsLoaded)
{
    const ModelTable& t = ModelTable::instance();
    EXPECT_EQ(t.hostPrefixes(), QStringList({"MRH1-", "MRH2-", "MRH3-", "MRH4-", "MRH5-"}));
    EXPECT_EQ(t.moduleFamilies(), QStringList({"MREA-", "MREB-"}));
    ASSERT_EQ(t.secondaryUnitFamilies().size(), 2);
    for (const char* model : {"MRD-A16", "MRD-D8", "MRD-P64"})
        EXPECT_FALSE(t.deviceTypeText(model).isEmpty()) << model;
    EXPECT_EQ(t.deviceTypeText("MRD-A16"), "Stagebox A16");
    EXPECT_EQ(t.deviceTypeText("NOPE"), "");
    EXPECT_EQ(t.modelRow("MRD-D8").value("deviceType").toString(), t.deviceTypeText("MRD-D8"));
}

TEST(ModelTableTest, HostsModulesAndSecondaryUnits)
{
    const ModelTable& t = ModelTable::instance();
    EXPECT_EQ(t.moduleDevIds("MRH2-0A4D0015"), QStringList({"MREA-0A4D0015", "MREB-0A4D0015"}));
    // Only the part after the last "-" names the modules.
    EXPECT_EQ(t.moduleDevIds("MRH5-AB-77"), QStringList({"MREA-77", "MREB-77"}));
    EXPECT_TRUE(t.moduleDevIds("MRD-0A4D0015").isEmpty());
    EXPECT_TRUE(t.moduleDevIds("xMRH2-1").isEmpty()); // a prefix, not anywhere

    EXPECT_TRUE(t.isExpansionModule("MREA-0A4D0015"));
    EXPECT_TRUE(t.isExpansionModule("x-MREB-1"));
    EXPECT_FALSE(t.isExpansionModule("MRH2-0A4D0015"));

    EXPECT_EQ(t.secondaryUnitDevId("SMRP-00112233"), "MRP-00112233");
    EXPECT_EQ(t.secondaryUnitDevId("SMRQ-1"), "MRQ-1");
    EXPECT_EQ(t.secondaryUnitDevId("MRP-00112233"), ""); // the main unit itself
    EXPECT_EQ(t.secondaryUnitDevId("SMRX-1"), "");
    EXPECT_EQ(t.secondaryUnitDevId("smrp-1"), ""); // case-sensitive
}

TEST(ModelTableTest, MalformedTablesAreRejected)
{
    ModelTable t;
    QString error;
    EXPECT_FALSE(ModelTable::fromJson("[1]", &t, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(ModelTable::fromJson(R"({"hostPrefixes":"MRH1-"})", &t));
    EXPECT_FALSE(ModelTable::fromJson(R"({"hostPrefixes":[],"moduleFamilies":[{}]})", &t));
    // A unit prefix that is not the devId prefix behind one letter could not be mapped back.
    EXPECT_FALSE(ModelTable::fromJson(
        R"({"hostPrefixes":[],"secondaryUnitFamilies":[{"devIdPrefix":"MRP-","unitPrefix":"SXMRP-"}]})", &t));
    EXPECT_FALSE(ModelTable::fromJson(R"({"hostPrefixes":[],"models":[{"model":"A"},{"model":"A"}]})", &t));
    EXPECT_TRUE(t.hostPrefixes().isEmpty()); // failures leave the table untouched

    ASSERT_TRUE(ModelTable::fromJson(
        R"({"hostPrefixes":["H-"],"moduleFamilies":[{"prefix":"M-"}],"models":[{"model":"A","cpuFactor":2}]})", &t,
        &error))
        << error.toStdString();
    EXPECT_EQ(t.moduleDevIds("H-9"), QStringList({"M-9"}));
    EXPECT_EQ(t.modelRow("A").value("cpuFactor").toInt(), 2); // later properties ride along
}

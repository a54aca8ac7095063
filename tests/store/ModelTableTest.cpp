// The model table: the compiled-in rows and the rules built on its prefixes.

#include "ModelTable.h"

#include <gtest/gtest.h>

TEST(ModelTableTest, HostsModulesAndSecondaryUnitsFromTheCompiledInTable)
{
    const ModelTable& t = ModelTable::instance();
    EXPECT_EQ(t.deviceTypeText("MRD-A16"), "Stagebox A16");
    EXPECT_EQ(t.modelRow("MRD-D8").value("deviceType").toString(), t.deviceTypeText("MRD-D8"));
    EXPECT_EQ(t.deviceTypeText("NOPE"), "");

    EXPECT_EQ(t.moduleDevIds("MRH2-0A4D0015"), QStringList({"MREA-0A4D0015", "MREB-0A4D0015"}));
    // Only the part after the last "-" names the modules.
    EXPECT_EQ(t.moduleDevIds("MRH5-AB-77"), QStringList({"MREA-77", "MREB-77"}));
    EXPECT_TRUE(t.moduleDevIds("MRD-0A4D0015").isEmpty());
    EXPECT_TRUE(t.moduleDevIds("xMRH2-1").isEmpty()); // a prefix, not anywhere

    EXPECT_TRUE(t.isExpansionModule("MREA-0A4D0015"));
    EXPECT_TRUE(t.isExpansionModule("x-MREB-1"));
    EXPECT_FALSE(t.isExpansionModule("MRH2-0A4D0015"));

    const struct
    {
        const char* hostname;
        const char* mainDevId;
    } units[] = {{"SMRP-00112233", "MRP-00112233"},
                 {"SMRQ-1", "MRQ-1"},
                 {"MRP-00112233", ""}, // the main unit itself
                 {"SMRX-1", ""},
                 {"smrp-1", ""}}; // case-sensitive
    for (const auto& u : units)
        EXPECT_EQ(t.secondaryUnitDevId(u.hostname), u.mainDevId) << u.hostname;
}

TEST(ModelTableTest, MalformedTablesAreRejectedAndLeaveTheTableUntouched)
{
    ModelTable t;
    QString error;
    EXPECT_FALSE(ModelTable::fromJson("[1]", &t, &error));
    EXPECT_FALSE(error.isEmpty());
    for (const char* bad : {
             R"({"hostPrefixes":"MRH1-"})",
             R"({"hostPrefixes":[],"moduleFamilies":[{}]})",
             // A unit prefix that is not the devId prefix behind one letter could not be mapped back.
             R"({"hostPrefixes":[],"secondaryUnitFamilies":[{"devIdPrefix":"MRP-","unitPrefix":"SXMRP-"}]})",
             R"({"hostPrefixes":[],"models":[{"model":"A"},{"model":"A"}]})",
         })
        EXPECT_FALSE(ModelTable::fromJson(bad, &t)) << bad;
    EXPECT_TRUE(t.hostPrefixes().isEmpty());

    ASSERT_TRUE(ModelTable::fromJson(
        R"({"hostPrefixes":["H-"],"moduleFamilies":[{"prefix":"M-"}],"models":[{"model":"A","cpuFactor":2}]})", &t,
        &error))
        << error.toStdString();
    EXPECT_EQ(t.moduleDevIds("H-9"), QStringList({"M-9"}));
    EXPECT_EQ(t.modelRow("A").value("cpuFactor").toInt(), 2); // later properties ride along
}

TEST(ModelTableTest, RowValuesOverrideAndBadOrMissingOnesFallBack)
{
    ModelTable t;
    ASSERT_TRUE(ModelTable::fromJson(R"({"hostPrefixes":[],"models":[
        {"model":"P","dsp":true,"levelBatch":true},
        {"model":"M","dsp":true,"dspLockPort":9995,"interfaces":3,
         "dspCpuFactor":2,"automixerLimit":4,"dspDelayBudget":96000},
        {"model":"W","interfaces":9,"dspLockPort":70000,"dspCpuFactor":-1,"automixerLimit":-3,"dspDelayBudget":-5},
        {"model":"C","dspCpuFactor":"x","automixerLimit":"4","dspDelayBudget":1e300}]})",
                                     &t));
    EXPECT_TRUE(t.hasDsp("P") && t.isLevelBatch("P"));
    EXPECT_FALSE(t.hasDsp("W") || t.isLevelBatch("M"));
    const struct
    {
        const char* model;
        int lockPort, interfaces, automixers;
        double cpuFactor;
        qint64 delayBudget;
    } rows[] = {
        {"P", 8999, 1, 8, 1.0, 480000},
        {"M", 9995, 3, 4, 2.0, 96000},
        // Out-of-range values fall back to what a device can have; a factor that is not positive
        // would divide by zero or flip signs.
        {"W", 8999, 3, 8, 1.0, 480000},
        {"C", 8999, 1, 8, 1.0, 480000},
        {"nope", 8999, 1, 8, 1.0, 480000},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(t.dspLockPort(r.model), r.lockPort) << r.model;
        EXPECT_EQ(t.interfaceCount(r.model), r.interfaces) << r.model;
        EXPECT_EQ(t.automixerLimit(r.model), r.automixers) << r.model;
        EXPECT_DOUBLE_EQ(t.dspCpuFactor(r.model), r.cpuFactor) << r.model;
        EXPECT_EQ(t.dspDelayBudget(r.model), r.delayBudget) << r.model;
    }
}

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

TEST(ModelTableTest, ModelPropertiesChooseViewPaths)
{
    ModelTable t;
    ASSERT_TRUE(ModelTable::fromJson(R"({"hostPrefixes":[],"models":[
        {"model":"P","dsp":true,"levelBatch":true},
        {"model":"M","dsp":true,"dspLockPort":9995},
        {"model":"A","amplifier":true},
        {"model":"B","interfaces":3},
        {"model":"W","interfaces":9,"dspLockPort":70000},
        {"model":"V","virtualSoundCard":true}]})",
                                     &t));
    EXPECT_TRUE(t.hasDsp("P"));
    EXPECT_TRUE(t.isLevelBatch("P"));
    EXPECT_EQ(t.dspLockPort("P"), 8999);
    EXPECT_EQ(t.dspLockPort("M"), 9995);
    EXPECT_TRUE(t.isAmplifier("A"));
    EXPECT_FALSE(t.hasDsp("A"));
    EXPECT_EQ(t.interfaceCount("B"), 3);
    EXPECT_TRUE(t.isVirtualSoundCard("V"));
    EXPECT_TRUE(ModelTable::instance().supportsPriority("MRD-A16"));
    EXPECT_FALSE(ModelTable::instance().supportsPriority("MRV-VSC"));
    // Out-of-range values in the table fall back to what a device can have.
    EXPECT_EQ(t.interfaceCount("W"), 3);
    EXPECT_EQ(t.dspLockPort("W"), 8999);
    // Unknown models take the ordinary path.
    EXPECT_EQ(t.interfaceCount("nope"), 1);
    EXPECT_FALSE(t.isAmplifier("nope") || t.hasDsp("nope") || t.isLevelBatch("nope") || t.isVirtualSoundCard("nope"));
    // The compiled-in table names two models that take the processor lock on the lock port.
    int onLockPort = 0;
    for (const QString& m : ModelTable::instance().models())
        onLockPort += ModelTable::instance().dspLockPort(m) == 9995;
    EXPECT_EQ(onLockPort, 2);
}

TEST(ModelTableTest, SignalProcessorProperties)
{
    const ModelTable& t = ModelTable::instance();
    EXPECT_TRUE(t.isVirtualMixer("MRV-MIX"));
    EXPECT_TRUE(t.hasDsp("MRV-MIX"));
    EXPECT_EQ(t.deviceTypeText("MRV-MIX"), "Virtual mixer");
    EXPECT_FALSE(t.isVirtualMixer("MRD-P64"));

    EXPECT_TRUE(t.hasSeparateDspAddress("MRD-M8"));
    EXPECT_TRUE(t.hasSeparateDspAddress("MRD-M16"));
    EXPECT_FALSE(t.hasSeparateDspAddress("MRD-P64"));
    EXPECT_FALSE(t.hasSeparateDspAddress("NOPE"));

    EXPECT_DOUBLE_EQ(t.dspCpuFactor("MRD-M8"), 0.4);
    EXPECT_DOUBLE_EQ(t.dspCpuFactor("MRD-M16"), 1.0);
    EXPECT_DOUBLE_EQ(t.dspCpuFactor("NOPE"), 1.0);
    EXPECT_EQ(t.automixerLimit("MRD-P64"), 8);
    EXPECT_EQ(t.dspDelayBudget("MRD-P64"), 480000);
}

TEST(ModelTableTest, SignalProcessorRowsOverrideAndBadValuesFallBack)
{
    ModelTable t;
    ASSERT_TRUE(ModelTable::fromJson(R"({"hostPrefixes":[],"models":[
        {"model":"A","dspCpuFactor":2,"automixerLimit":4,"dspDelayBudget":96000},
        {"model":"B","dspCpuFactor":-1,"automixerLimit":-3,"dspDelayBudget":-5},
        {"model":"C","dspCpuFactor":"x","automixerLimit":"4","dspDelayBudget":1e300}]})",
                                     &t));
    EXPECT_DOUBLE_EQ(t.dspCpuFactor("A"), 2.0);
    EXPECT_EQ(t.automixerLimit("A"), 4);
    EXPECT_EQ(t.dspDelayBudget("A"), 96000);
    EXPECT_DOUBLE_EQ(t.dspCpuFactor("B"), 1.0); // a factor that is not positive would divide by zero or flip signs
    EXPECT_EQ(t.automixerLimit("B"), 8);
    EXPECT_EQ(t.dspDelayBudget("B"), 480000);
    EXPECT_DOUBLE_EQ(t.dspCpuFactor("C"), 1.0);
    EXPECT_EQ(t.automixerLimit("C"), 8);
    EXPECT_EQ(t.dspDelayBudget("C"), 480000);
}

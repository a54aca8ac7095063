#include "ModifyTypePlan.h"

#include <gtest/gtest.h>

using namespace ModifyTypePlan;

namespace {

Facts ready()
{
    Facts f;
    f.refreshed = true;
    f.devId = "MD0A4D000C";
    f.ip = "10.77.0.12";
    f.type = "MRD-D8";
    f.suffix = "4D000C";
    f.i2sFile = "/app/testConfig/_i2s_oem.cfg";
    f.dspFile = "/app/testConfig/defaultConfig.json-96000";
    f.dspRate = 96000;
    return f;
}

TEST(ModifyTypePlan, RefusalsInOrder)
{
    const struct
    {
        const char* what;
        void (*edit)(Facts&);
        const char* refusal; // empty: runs
    } rows[] = {
        {"ready", [](Facts&) {}, ""},
        {"not refreshed", [](Facts& f) { f.refreshed = false; }, "设备信息未刷新，请重新点击"},
        {"no device", [](Facts& f) { f.devId.clear(); }, "设备信息未刷新，请重新点击"},
        {"empty suffix", [](Facts& f) { f.suffix = "  "; }, "设备ID后缀不能为空"},
        {"suffix with a blank", [](Facts& f) { f.suffix = "a b"; }, "只能包含数字、字符、-、_，长度不能超过12"},
        {"type with a quote", [](Facts& f) { f.type = "x\"y"; }, "只能包含数字、字符、-、_，长度不能超过12"},
        {"type of 13", [](Facts& f) { f.type = QString(13, 'T'); }, "只能包含数字、字符、-、_，长度不能超过12"},
        {"type of 12", [](Facts& f) { f.type = QString(12, 'T'); }, ""},
        {"empty type", [](Facts& f) { f.type.clear(); }, "只能包含数字、字符、-、_，长度不能超过12"},
        {"I2S file missing", [](Facts& f) { f.writeI2s = true; }, "I2S配置文件不存在，请拷贝配置文件到对应目录"},
        {"I2S file missing but not wanted", [](Facts& f) { f.i2sExists = false; }, ""},
        {"DSP file missing", [](Facts& f) { f.writeDsp = true; }, "DSP配置文件不存在，请拷贝配置文件到对应目录"},
        {"both present",
         [](Facts& f) {
             f.writeI2s = f.i2sExists = true;
             f.writeDsp = f.dspExists = true;
         },
         ""},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        Facts f = ready();
        r.edit(f);
        EXPECT_EQ(refusal(f), QString::fromUtf8(r.refusal));
    }
}

TEST(ModifyTypePlan, StepsAndTheirFailures)
{
    Facts f = ready();
    QVector<Step> s = steps(f);
    ASSERT_EQ(s.size(), 3);
    EXPECT_EQ(s[0].args, QStringList({"1p", "2", "@", "MD0A4D000C", "10.77.0.12"}));
    EXPECT_EQ(s[0].failure, "开启控制失败");
    EXPECT_EQ(s[1].args, QStringList({"2p", "2", "@", "10.77.0.12", "MRD-D8"}));
    EXPECT_EQ(s[1].failure, "修改类型失败");
    EXPECT_EQ(s[2].args, QStringList({"6p", "2", "@", "10.77.0.12", "MRD-D8", "4D000C"}));
    EXPECT_EQ(s[2].failure, "修改名称失败");

    f.writeI2s = f.writeDsp = true;
    s = steps(f);
    ASSERT_EQ(s.size(), 5);
    EXPECT_EQ(s[3].args,
              QStringList({"5p", "2", "@", "10.77.0.12", "/app/testConfig/_i2s_oem.cfg", "/config/_i2s_oem.cfg"}));
    EXPECT_EQ(s[3].failure, "修改I2S配置失败");
    EXPECT_EQ(s[4].args.at(0), "7p");
    EXPECT_EQ(s[4].args.last(), "/usr/local/bin/dsp/defaultConfig.json-96000");
    EXPECT_EQ(s[4].failure, "修改DSP配置失败");

    EXPECT_EQ(localDspFile("/opt/m", 48000), "/opt/m/testConfig/defaultConfig.json-48000");
    EXPECT_EQ(localI2sFile("/opt/m"), "/opt/m/testConfig/_i2s_oem.cfg");
}

} // namespace

#include "UserSettings.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(TestSignalSettings, KeysRoundTripAndKeepTheOtherKeys)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.path() + "/UserConfig.ini";
    {
        QSettings seed(path, QSettings::IniFormat);
        seed.setValue("Langue", "chs");
        seed.setValue("Other/kept", "yes");
    }
    UserSettings s(path, dir.path() + "/Config.ini");
    EXPECT_EQ(s.testDots(4800), 4800) << "missing: the fallback";
    EXPECT_DOUBLE_EQ(s.testReductVal(-40.0), -40.0);
    EXPECT_TRUE(s.setTestDots(143));
    EXPECT_TRUE(s.setTestDots2(96));
    EXPECT_TRUE(s.setTestReductVal(-45.5));
    EXPECT_TRUE(s.setTestHasSignalVal(-30.0));
    UserSettings again(path, dir.path() + "/Config.ini");
    EXPECT_EQ(again.testDots(0), 143);
    EXPECT_EQ(again.testDots2(0), 96);
    EXPECT_DOUBLE_EQ(again.testReductVal(0), -45.5);
    EXPECT_DOUBLE_EQ(again.testHasSignalVal(0), -30.0);
    EXPECT_TRUE(again.isChinese());
    QSettings check(path, QSettings::IniFormat);
    EXPECT_EQ(check.value("Other/kept").toString(), "yes");
    EXPECT_EQ(check.value("_testDots").toString(), "143");
    EXPECT_EQ(check.value("_testReductVal").toString(), "-45.5");
}

TEST(TestSignalSettings, HandEditedValuesAreBoundedOrIgnored)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.path() + "/UserConfig.ini";
    const struct
    {
        const char* dots;
        const char* threshold;
        int wantDots;
        double wantThreshold;
    } rows[] = {
        {"-5", "5", 0, 0.0},
        {"999999", "-500", UserSettings::kMaxTestDots, -120.0},
        {"abc", "nan", 7, -25.0},
        {"", "inf", 7, -25.0},
        {" 12 ", " -33.5 ", 12, -33.5},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.dots);
        QFile::remove(path);
        {
            QSettings seed(path, QSettings::IniFormat);
            seed.setValue("_testDots", r.dots);
            seed.setValue("_testHasSignalVal", r.threshold);
        }
        UserSettings s(path, dir.path() + "/Config.ini");
        EXPECT_EQ(s.testDots(7), r.wantDots);
        EXPECT_DOUBLE_EQ(s.testHasSignalVal(-25.0), r.wantThreshold);
    }
}

} // namespace

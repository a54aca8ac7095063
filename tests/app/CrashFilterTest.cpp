#include "AppVersion.h"
#include "platform/LinuxPlatformServices.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <csignal>
#include <ctime>
#include <gtest/gtest.h>

namespace {

TEST(CrashFilter, FileNameFollowsTheDumpRule)
{
    struct tm when = {};
    when.tm_year = 126;
    when.tm_mon = 8;
    when.tm_mday = 18;
    when.tm_hour = 14;
    when.tm_min = 30;
    when.tm_sec = 25;
    char path[128];
    const QByteArray prefix = LinuxPlatformServices::crashPathPrefix("/home/u/Documents").toUtf8();
    ASSERT_TRUE(LinuxPlatformServices::formatCrashPath(prefix.constData(), when, path, sizeof path));
    const QDateTime same(QDate(2026, 9, 18), QTime(14, 30, 25));
    EXPECT_EQ(QString::fromUtf8(path), AppVersion::crashDumpPath("/home/u/Documents", same));
    char tiny[8];
    EXPECT_FALSE(LinuxPlatformServices::formatCrashPath(prefix.constData(), when, tiny, sizeof tiny));
}

void crashWithFilter(const QString& documents)
{
    LinuxPlatformServices services{QString()};
    services.installCrashFilter(documents);
    raise(SIGSEGV);
}

TEST(CrashFilterDeathTest, FaultWritesAReportAndEndsTheProcess)
{
    // Forked without exec, so the child writes into the folder this test made.
    GTEST_FLAG_SET(death_test_style, "fast");
    QTemporaryDir docs;
    ASSERT_TRUE(docs.isValid());
    EXPECT_EXIT(crashWithFilter(docs.path()), ::testing::ExitedWithCode(LinuxPlatformServices::kCrashExitCode), "");
    const QStringList files = QDir(docs.path() + "/Meridane3").entryList(QDir::Files);
    ASSERT_EQ(files.size(), 1);
    EXPECT_TRUE(QRegularExpression("^0918143025_\\d{12}\\.dmp$").match(files.first()).hasMatch())
        << files.first().toStdString();
    QFile report(docs.path() + "/Meridane3/" + files.first());
    ASSERT_TRUE(report.open(QIODevice::ReadOnly));
    EXPECT_TRUE(report.readAll().startsWith("signal 11\n"));
}

TEST(CrashFilterDeathTest, UnwritableFolderStillEndsTheProcess)
{
    // Forked without exec, so the child writes into the folder this test made.
    GTEST_FLAG_SET(death_test_style, "fast");
    EXPECT_EXIT(crashWithFilter("/proc/meridane-no-such-dir"),
                ::testing::ExitedWithCode(LinuxPlatformServices::kCrashExitCode), "");
}

} // namespace

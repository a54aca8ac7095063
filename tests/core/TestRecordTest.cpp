#include "TestRecord.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QStringList fileLines(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts);
}

TEST(TestRecord, NamesAndStamps)
{
    const QDateTime when(QDate(2026, 3, 7), QTime(9, 5, 2));
    EXPECT_EQ(TestRecord::fileName(when.date()), "2026-03-07.txt");
    EXPECT_EQ(TestRecord::line(when, "通道1=>ok"), QStringLiteral("2026-03-07 09:05:02 通道1=>ok"));
    EXPECT_EQ(TestRecord::line(when, "a\r\nb\nc\rd"), "2026-03-07 09:05:02 a b c d") << "one line per result";
    EXPECT_EQ(TestRecord::line(when, QString(5000, 'x')).size(), 20 + TestRecord::kMaxLineChars);
}

TEST(TestRecord, AppendsToTheFileOfEachDate)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString folder = dir.path() + "/nested/records";
    TestRecord record(folder);
    const QDateTime day1(QDate(2026, 3, 7), QTime(23, 59, 59));
    const QDateTime day2(QDate(2026, 3, 8), QTime(0, 0, 1));
    EXPECT_TRUE(record.append("first", day1));
    EXPECT_TRUE(record.append("second", day1));
    EXPECT_TRUE(record.append("third", day2));
    EXPECT_EQ(fileLines(folder + "/2026-03-07.txt"),
              QStringList({"2026-03-07 23:59:59 first", "2026-03-07 23:59:59 second"}));
    EXPECT_EQ(fileLines(folder + "/2026-03-08.txt"), QStringList({"2026-03-08 00:00:01 third"}));
    // A new record object on the same folder keeps what was there.
    EXPECT_TRUE(TestRecord(folder).append("fourth", day2));
    EXPECT_EQ(fileLines(folder + "/2026-03-08.txt").size(), 2);
}

TEST(TestRecord, FailedWriteIsReported)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // A file where the folder should be: the folder cannot be made.
    QFile blocker(dir.path() + "/taken");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QString error;
    EXPECT_FALSE(TestRecord(dir.path() + "/taken/sub").append("x", QDateTime::currentDateTime(), &error));
    EXPECT_FALSE(error.isEmpty());
    // The day's file name taken by a folder.
    const QDateTime when(QDate(2026, 1, 1), QTime(1, 0));
    ASSERT_TRUE(QDir(dir.path()).mkpath("r/2026-01-01.txt"));
    error.clear();
    EXPECT_FALSE(TestRecord(dir.path() + "/r").append("x", when, &error));
    EXPECT_FALSE(error.isEmpty());
}

} // namespace

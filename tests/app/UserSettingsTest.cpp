#include "UserSettings.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <functional>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

class UserSettingsTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

    QString path(const char* name) const { return m_dir.filePath(QLatin1String(name)); }
    UserSettings settings() const { return UserSettings(path("UserConfig.ini"), path("Config.ini")); }

    static QByteArray contents(const QString& file)
    {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    static void write(const QString& file, const QByteArray& bytes)
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

    /// Runs `action` without the right to write into the test folder. Root ignores permissions, so as root it
    /// runs in a child process that has given up root first.
    bool withoutWriteAccess(const std::function<bool()>& action)
    {
        const QByteArray dir = QFile::encodeName(m_dir.path());
        if (geteuid() != 0) {
            ::chmod(dir.constData(), 0555);
            const bool ok = action();
            ::chmod(dir.constData(), 0755);
            return ok;
        }
        ::chmod(dir.constData(), 0755); // readable by the unprivileged child, writable only by root
        const pid_t child = fork();
        if (child == 0) {
            const uid_t nobody = 65534;
            if (setgid(nobody) != 0 || setuid(nobody) != 0)
                _exit(2);
            _exit(action() ? 0 : 1);
        }
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status));
        EXPECT_NE(WEXITSTATUS(status), 2) << "could not drop privileges";
        return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }

    QTemporaryDir m_dir;
};

} // namespace

TEST_F(UserSettingsTest, MissingFilesMeanEnglishAndCurrentFolder)
{
    EXPECT_FALSE(settings().isChinese());
    EXPECT_EQ(settings().lastCfgDirPath(), QStringLiteral("."));
    write(path("UserConfig.ini"), "[General]\nLangue=CHS\n");
    write(path("Config.ini"), "[General]\nlastCfgDirPath=\n");
    EXPECT_FALSE(settings().isChinese());
    EXPECT_EQ(settings().lastCfgDirPath(), QStringLiteral("."));
}

TEST_F(UserSettingsTest, WritesAreReadBackAtOnce)
{
    UserSettings s = settings();
    ASSERT_TRUE(s.setChinese(true));
    EXPECT_TRUE(s.isChinese());
    EXPECT_TRUE(contents(path("UserConfig.ini")).contains("Langue=chs"));
    ASSERT_TRUE(s.setChinese(false));
    EXPECT_FALSE(settings().isChinese());
    EXPECT_TRUE(contents(path("UserConfig.ini")).contains("Langue=en"));

    // Same-length values in quick succession: each read must see the latest file, not a cached one.
    const QString dirs[] = {QStringLiteral("/cfg/a"), QStringLiteral("/cfg/b"), QStringLiteral("D:/配置/项目 1")};
    for (const QString& dir : dirs) {
        ASSERT_TRUE(s.setLastCfgDirPath(dir));
        EXPECT_EQ(s.lastCfgDirPath(), dir);
    }
    ASSERT_TRUE(s.setLastCfgDirPath(QString()));
    EXPECT_EQ(s.lastCfgDirPath(), QStringLiteral("."));
}

TEST_F(UserSettingsTest, OtherKeysAndGroupsSurviveAWrite)
{
    {
        QSettings seed(path("UserConfig.ini"), QSettings::IniFormat);
        seed.setValue(QStringLiteral("Langue"), QStringLiteral("chs"));
        seed.setValue(QStringLiteral("volume"), 7);
        seed.setValue(QStringLiteral("recent"), QStringList{QStringLiteral("a"), QStringLiteral("b, c")});
        seed.setValue(QStringLiteral("Window/geometry"), QByteArray("\x01\x02\xff", 3));
        seed.setValue(QStringLiteral("Window/名字"), QStringLiteral("值=1;2"));
    }
    ASSERT_TRUE(settings().setChinese(false));
    ASSERT_TRUE(settings().setLastCfgDirPath(QStringLiteral("/x")));

    QSettings after(path("UserConfig.ini"), QSettings::IniFormat);
    EXPECT_EQ(after.value(QStringLiteral("Langue")).toString(), QStringLiteral("en"));
    EXPECT_EQ(after.value(QStringLiteral("volume")).toInt(), 7);
    EXPECT_EQ(after.value(QStringLiteral("recent")).toStringList(),
              (QStringList{QStringLiteral("a"), QStringLiteral("b, c")}));
    EXPECT_EQ(after.value(QStringLiteral("Window/geometry")).toByteArray(), QByteArray("\x01\x02\xff", 3));
    EXPECT_EQ(after.value(QStringLiteral("Window/名字")).toString(), QStringLiteral("值=1;2"));
    // The other file was not touched by the language.
    EXPECT_FALSE(contents(path("Config.ini")).contains("Langue"));
}

TEST_F(UserSettingsTest, FileIsReplacedWholeNotRewrittenInPlace)
{
    write(path("UserConfig.ini"), "[General]\nLangue=chs\nkeep=1\n");
    // A reader that opened the old file keeps seeing it complete while the new one is written.
    ASSERT_EQ(
        ::link(QFile::encodeName(path("UserConfig.ini")).constData(), QFile::encodeName(path("old.ini")).constData()),
        0);
    ASSERT_TRUE(settings().setChinese(false));
    EXPECT_EQ(contents(path("old.ini")), QByteArray("[General]\nLangue=chs\nkeep=1\n"));
    EXPECT_FALSE(settings().isChinese());
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files).size(), 2) << "no temporary file left behind";
}

TEST_F(UserSettingsTest, FailedWriteIsReportedAndLeavesTheOldFile)
{
    const QByteArray old = "[General]\nLangue=chs\nkeep=1\n";
    write(path("UserConfig.ini"), old);
    write(path("Config.ini"), "[General]\nlastCfgDirPath=/old\n");
    // The files themselves stay writable: only the folder refuses a new file.
    QFile::setPermissions(path("UserConfig.ini"), QFileDevice::ReadOther | QFileDevice::WriteOther |
                                                      QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    QFile::setPermissions(path("Config.ini"), QFileDevice::ReadOther | QFileDevice::WriteOther |
                                                  QFileDevice::ReadOwner | QFileDevice::WriteOwner);

    // Each failure is reported, and the same process then still reads the old value: the failed change is
    // kept nowhere.
    EXPECT_TRUE(withoutWriteAccess([this] { return !settings().setChinese(false) && settings().isChinese(); }));
    EXPECT_TRUE(withoutWriteAccess([this] {
        return !settings().setLastCfgDirPath(QStringLiteral("/new")) &&
               settings().lastCfgDirPath() == QLatin1String("/old");
    }));
    EXPECT_EQ(contents(path("UserConfig.ini")), old);
    EXPECT_TRUE(settings().isChinese());
    EXPECT_EQ(settings().lastCfgDirPath(), QStringLiteral("/old"));

    const UserSettings nowhere(path("missing/UserConfig.ini"), path("missing/Config.ini"));
    EXPECT_FALSE(UserSettings(nowhere).setChinese(true));
    EXPECT_FALSE(nowhere.isChinese());
}

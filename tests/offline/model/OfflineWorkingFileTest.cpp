#include "OfflineWorkingFile.h"
#include "OfflineTestDesign.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

namespace {

QStringList g_log;

void recordMessage(QtMsgType, const QMessageLogContext&, const QString& msg)
{
    g_log.append(msg);
}

bool logged(const QString& start)
{
    for (const QString& line : g_log)
        if (line.startsWith(start))
            return true;
    return false;
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

TEST(OfflineWorkingFile, StartupReadCopesWithWhateverIsThere)
{
    QTemporaryDir dir;
    OfflineData saved;
    OfflineTestDesign::build(saved, 3);
    const QByteArray good = saved.saveToText();
    struct Case
    {
        const char* name;
        std::function<void(const QString& path)> prepare;
        bool ok;
        int devices;
    } cases[] = {
        {"missing", [](const QString&) {}, true, 0},
        {"empty", [](const QString& p) { writeFile(p, ""); }, true, 0},
        {"a design", [&](const QString& p) { writeFile(p, good); }, true, 3},
        {"garbage", [](const QString& p) { writeFile(p, "\x01\x02{{"); }, false, 0},
        {"truncated", [&](const QString& p) { writeFile(p, good.left(good.size() / 2)); }, false, 0},
        {"larger than a design may be",
         [](const QString& p) {
             QFile f(p);
             ASSERT_TRUE(f.open(QIODevice::WriteOnly));
             ASSERT_TRUE(f.resize(OfflineData::MaxDocumentBytes + 1));
         },
         false, 0},
        {"a folder", [](const QString& p) { QDir().mkpath(p); }, false, 0},
    };
    int n = 0;
    for (const Case& c : cases) {
        const QString path = dir.path() + QStringLiteral("/%1/Meridane3/config.dt").arg(n++);
        QDir().mkpath(QFileInfo(path).absolutePath());
        c.prepare(path);
        OfflineData data;
        OfflineTestDesign::build(data, 1); // whatever the design held goes
        g_log.clear();
        const QtMessageHandler old = qInstallMessageHandler(recordMessage);
        QString error;
        const bool ok = OfflineWorkingFile(data, path).readAtStartup({}, &error);
        qInstallMessageHandler(old);
        EXPECT_EQ(ok, c.ok) << c.name << " " << error.toStdString();
        EXPECT_EQ(data.deviceCount(), c.devices) << c.name;
        EXPECT_EQ(error.isEmpty(), c.ok) << c.name;
        if (QByteArray(c.name) == "missing") {
            EXPECT_TRUE(QFileInfo(path).isFile()) << "a missing working file is created";
            EXPECT_TRUE(logged("Failed to open config.dt. File may not exist. Creating a new one."));
        }
    }
}

TEST(OfflineWorkingFile, SaveWritesTheDesignOrKeepsTheOldFile)
{
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/Meridane3/config.dt");
    OfflineData data;
    OfflineTestDesign::build(data, 4);
    g_log.clear();
    const QtMessageHandler old = qInstallMessageHandler(recordMessage);
    QString message;
    EXPECT_TRUE(OfflineWorkingFile(data, path).save({}, &message));
    qInstallMessageHandler(old);
    EXPECT_TRUE(message.isEmpty());
    EXPECT_TRUE(logged("saveToFile execution time:"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), data.saveToText());

    // A folder that cannot be made (its parent is a file): the user's message names the path.
    writeFile(dir.path() + "/plain", "x");
    const QString bad = dir.path() + QStringLiteral("/plain/config.dt");
    EXPECT_FALSE(OfflineWorkingFile(data, bad).save({}, &message));
    EXPECT_EQ(message, QStringLiteral("无法打开文件:") + bad);
    EXPECT_EQ(data.deviceCount(), 4) << "a failed save leaves the design alone";
}

TEST(OfflineWorkingFile, SaveKilledAtAnyMomentLeavesALoadableFile)
{
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/config.dt");
    const int devices = 40;
    OfflineData first;
    OfflineTestDesign::build(first, devices, 64);
    first.setGuiVersion(QStringLiteral("initial"));
    ASSERT_TRUE(OfflineWorkingFile(first, path).save());

    QRandomGenerator rng(20261209);
    for (int round = 0; round < 8; ++round) {
        QProcess child;
        child.start(QStringLiteral(OFFLINE_SAVE_LOOP), {path, QString::number(devices)});
        ASSERT_TRUE(child.waitForReadyRead(20000)) << "the saving program did not start";
        QThread::msleep(rng.bounded(1, 60));
        child.kill(); // SIGKILL: no chance to tidy up
        child.waitForFinished(5000);
        ASSERT_EQ(child.exitStatus(), QProcess::CrashExit) << "killed while still saving";

        OfflineData loaded;
        QString error;
        ASSERT_TRUE(OfflineWorkingFile(loaded, path).readAtStartup({}, &error)) << round << error.toStdString();
        EXPECT_EQ(loaded.deviceCount(), devices) << round;
        EXPECT_TRUE(loaded.guiVersion() == "initial" || loaded.guiVersion().startsWith("gen ")) << round;
    }
}

} // namespace

#include "ArchiveFile.h"
#include "LoadTestDevices.h"
#include "OfflineData.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(ArchiveFile, ReadsTheDevicesOfADocumentAndRefusesWhatItCannotRead)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    OfflineData design;
    for (const char* id : {"A", "B"})
        ASSERT_TRUE(design.addDevice(std::make_unique<OfflineDevice>(LoadTestDevices::archive(QLatin1String(id)))));
    const QByteArray good = design.saveToText();

    struct Case
    {
        const char* what;
        const char* file; ///< null: no file at all
        QByteArray text;
        int devices; ///< -1: refused
        const char* error;
    };
    const Case cases[] = {
        {"a design", "good.odt", good, 2, ""},
        {"no such file", nullptr, {}, -1, "文件打开失败"},
        {"not a document", "bad.odt", "{\"devArray\":[{\"devDetail\":", -1, "文件格式错误"},
        {"an empty document", "empty.odt", "{}", 0, ""},
    };
    for (const Case& c : cases) {
        const QString path = dir.filePath(QLatin1String(c.file ? c.file : "missing.odt"));
        if (c.file) {
            QFile f(path);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(c.text);
        }
        ArchiveFile archive;
        QString error;
        const bool ok = archive.read(path, &error);
        EXPECT_EQ(ok, c.devices >= 0) << c.what << " " << error.toStdString();
        if (ok) {
            EXPECT_EQ(int(archive.devices.size()), c.devices) << c.what;
        } else {
            EXPECT_TRUE(error.startsWith(QString::fromUtf8(c.error))) << c.what << " " << error.toStdString();
        }
    }
    ArchiveFile archive;
    QString error;
    ASSERT_TRUE(archive.readText(good, &error));
    ASSERT_EQ(archive.devices.size(), 2u);
    EXPECT_EQ(archive.devices[1].name(), QStringLiteral("name-B"));
    EXPECT_EQ(archive.devices[1].detail().channelData.rxChNameList.size(), 4);
}

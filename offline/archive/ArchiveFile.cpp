#include "ArchiveFile.h"

#include "OfflineData.h"

#include <QFile>

bool ArchiveFile::read(const QString& path, QString* error)
{
    auto fail = [&](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("文件打开失败: %1: %2").arg(path, file.errorString()));
    if (file.size() > OfflineData::MaxDocumentBytes)
        return fail(QStringLiteral("文件过大: %1 (%2 bytes)").arg(path).arg(file.size()));
    // Read one byte more than allowed: a file that grows while read (or lies about its size) is refused too.
    const QByteArray text = file.read(OfflineData::MaxDocumentBytes + 1);
    if (text.size() > OfflineData::MaxDocumentBytes)
        return fail(QStringLiteral("文件过大: %1").arg(path));
    return readText(text, error);
}

bool ArchiveFile::readText(const QByteArray& text, QString* error)
{
    OfflineData design;
    QString why;
    if (!design.loadFromText(text, OfflineData::Progress(), &why)) {
        if (error)
            *error = QStringLiteral("文件格式错误: %1").arg(why);
        return false;
    }
    devices = design.devices();
    mcasts = design.mcasts();
    notes = why;
    return true;
}

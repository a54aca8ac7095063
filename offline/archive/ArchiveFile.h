#pragma once
#include "OfflineDevice.h"
#include "OfflineMcast.h"

#include <QString>
#include <QVector>

#include <vector>

/// An archive read from its file for a load: its devices and streams. The file is untrusted: its size is
/// bounded before it is read and the document's own bounds apply to what it holds.
class ArchiveFile
{
public:
    std::vector<OfflineDevice> devices;
    QVector<OfflineMcast> mcasts;
    QString notes; ///< devices the document gave but that were dropped (empty when none)

    /// False with `error` ("文件打开失败", "文件过大" or "文件格式错误" with the reason) when the file cannot be
    /// read, is too large or does not parse.
    bool read(const QString& path, QString* error);
    /// The same from text already in memory.
    bool readText(const QByteArray& text, QString* error);
};

#include "IniFile.h"

#include "ConfigLog.h"

#include <QFile>
#include <QSaveFile>
#include <QSettings>
#include <QTemporaryDir>

// QSettings caches each file it has opened by name for the whole process, with any change it failed to
// write, and trusts that cache while size and time stamp look unchanged. Parsing a private copy under a fresh
// name sidesteps both: what is read is what is on disk, and a failed write leaves nothing behind.

namespace {

/// Reads the file; a missing file gives an empty text. False when it exists but cannot be read.
bool readBytes(const QString& path, QByteArray* bytes)
{
    QFile file(path);
    if (!file.exists()) {
        bytes->clear();
        return true;
    }
    if (!file.open(QIODevice::ReadOnly))
        return false;
    *bytes = file.readAll();
    return file.error() == QFileDevice::NoError;
}

bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size() && file.flush();
}

} // namespace

QVariant IniFile::value(const QString& key, const QVariant& fallback) const
{
    QByteArray bytes;
    if (!readBytes(m_path, &bytes)) {
        qCWarning(lcConfig) << "cannot read" << m_path;
        return fallback;
    }
    if (bytes.isEmpty())
        return fallback;
    QTemporaryDir scratch;
    const QString copy = scratch.filePath(QStringLiteral("copy.ini"));
    if (!scratch.isValid() || !writeBytes(copy, bytes)) {
        qCWarning(lcConfig) << "no scratch space to read" << m_path;
        return fallback;
    }
    return QSettings(copy, QSettings::IniFormat).value(key, fallback);
}

bool IniFile::setValue(const QString& key, const QVariant& value)
{
    QByteArray bytes;
    if (!readBytes(m_path, &bytes)) {
        qCWarning(lcConfig) << "cannot read" << m_path << "- left unchanged";
        return false;
    }
    QTemporaryDir scratch;
    const QString copy = scratch.filePath(QStringLiteral("copy.ini"));
    if (!scratch.isValid() || (!bytes.isEmpty() && !writeBytes(copy, bytes))) {
        qCWarning(lcConfig) << "no scratch space to change" << m_path;
        return false;
    }
    {
        // QSettings itself formats the new text, so keys, groups and values keep exactly its encoding.
        QSettings settings(copy, QSettings::IniFormat);
        if (settings.status() != QSettings::NoError) {
            qCWarning(lcConfig) << "cannot parse" << m_path << "- left unchanged";
            return false;
        }
        settings.setValue(key, value);
        settings.sync();
        if (settings.status() != QSettings::NoError)
            return false;
    }
    QByteArray updated;
    if (!readBytes(copy, &updated))
        return false;

    QSaveFile out(m_path);
    if (!out.open(QIODevice::WriteOnly) || out.write(updated) != updated.size() || !out.commit()) {
        qCWarning(lcConfig) << "cannot write" << m_path << out.errorString();
        return false;
    }
    return true;
}

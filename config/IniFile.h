#pragma once
#include <QString>
#include <QVariant>

/// One INI file (QSettings' INI format) read and changed a key at a time, safely.
///
/// Every read sees the file as it is on disk now. A change keeps every other key and group and replaces the
/// whole file at once (a new file in the same folder renamed over the old one), so a crash or a full disk
/// never leaves a half-written file behind.
class IniFile
{
public:
    explicit IniFile(QString path) : m_path(std::move(path)) {}

    QString path() const { return m_path; }

    /// The value of `key` ("Group/key" inside a group); `fallback` when the file or the key is missing.
    QVariant value(const QString& key, const QVariant& fallback = QVariant()) const;

    /// Sets `key` to `value`, creating the file if it is missing. Returns false, with the file on disk
    /// unchanged, when the file cannot be read or parsed or its folder cannot be written.
    bool setValue(const QString& key, const QVariant& value);

private:
    QString m_path;
};

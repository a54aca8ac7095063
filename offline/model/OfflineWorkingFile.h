#pragma once
#include "OfflineData.h"

#include <QByteArray>
#include <QString>

/// The working file of the offline design, "<Documents>/Meridane3/config.dt": read when the workspace opens,
/// written whole by the save actions (a temporary file in the same folder, then renamed over the old one, so a
/// failed or interrupted save keeps the old design).
class OfflineWorkingFile
{
public:
    /// "<Documents>/Meridane3/config.dt".
    static QString defaultPath();

    explicit OfflineWorkingFile(OfflineData& data, const QString& path = defaultPath());

    QString path() const { return m_path; }

    /// Loads the file into the design. A missing file is created empty (logged) and gives an empty design (true);
    /// an unreadable, oversized or unparsable one gives an empty design too, and false with `error` set.
    bool readAtStartup(const OfflineData::Progress& progress = OfflineData::Progress(), QString* error = nullptr);
    /// Writes the whole design. On failure the old file stays, the design is unchanged and `message` holds the
    /// user's text ("无法打开文件:" and the path, translated).
    bool save(const OfflineData::Progress& progress = OfflineData::Progress(), QString* message = nullptr);

    /// Writes `text` to `path` whole (QSaveFile), creating the folder; false with `error` set on failure.
    static bool writeWhole(const QString& path, const QByteArray& text, QString* error = nullptr);

private:
    OfflineData& m_data;
    QString m_path;
};

#pragma once
#include <QString>

class OfflineData;
class QWidget;
class UserSettings;

/// Opens the archive windows from the main window's menu: each asks what it needs (a file, the online devices),
/// opens its dialog (deleted when closed) and returns a notice for the user when it cannot ("" when it opened
/// or the user cancelled).
class ArchiveWindows
{
public:
    /// "导出配置": the online devices of the registry, exported to an archive.
    static QString openOnlineExport(QWidget* parent, UserSettings& settings);
    /// "加载配置": an archive chosen by the user, loaded onto online devices.
    static QString openLoad(QWidget* parent, UserSettings& settings);
    /// Offline: chosen devices of `design` exported to an archive.
    static QString openOfflineExport(QWidget* parent, UserSettings& settings, const OfflineData& design);
    /// Offline: chosen devices of an archive added to `design`.
    static QString openImport(QWidget* parent, UserSettings& settings, OfflineData& design);

    /// Reads an archive file into `out`: false with a notice for a missing, oversized or unreadable file, or one
    /// without devices.
    static bool readArchive(const QString& path, OfflineData& out, QString* notice);

private:
    /// Asks for an archive to open in the remembered folder and remembers the folder; "" when cancelled.
    static QString askArchive(QWidget* parent, UserSettings& settings);
};

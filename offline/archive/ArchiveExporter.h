#pragma once
#include "ArchiveCategory.h"
#include "OnlineDeviceFacts.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>

class ArchiveTransport;
class OfflineData;

/// The export of an archive ("*.odt"): online devices read out one after another, or chosen devices of the
/// offline design, written as one document with the export flags of the chosen categories. The file is
/// written to a temporary file beside it and renamed, so a failure keeps the old file.
class ArchiveExporter
{
public:
    /// Progress of the export: a text for the log and the progress bar, the steps done and the steps in all.
    using Progress = std::function<void(const QString& text, int done, int total)>;

    struct Outcome
    {
        bool ok = false;
        bool cancelled = false;
        QString error;       ///< why the file was not written (empty when ok or cancelled)
        int devices = 0;     ///< devices written
        int requests = 0;    ///< requests sent to devices in all
        int failedSteps = 0; ///< read-out steps that failed (the file is still written)
        qint64 ms = 0;
    };

    explicit ArchiveExporter(ArchiveTransport& transport) : m_transport(transport) {}

    /// Reads `devices` and writes the archive to `path`. Progress starts with "导出在线设备开始...设备数量为" and
    /// the count and ends with "导出在线设备结束"; `cancel` (may be null) is looked at between requests and
    /// devices: a cancelled export writes nothing. Runs on the calling (worker) thread.
    Outcome exportOnline(const QVector<OnlineDeviceFacts>& devices, const ArchiveCategories& categories,
                         const QString& path, const QString& guiVersion, const std::atomic_bool* cancel = nullptr,
                         const Progress& progress = Progress());

    /// Writes chosen devices of `design` (in design order) with the chosen categories to `path`.
    static Outcome exportOffline(const OfflineData& design, const QStringList& devIds,
                                 const ArchiveCategories& categories, const QString& path,
                                 const Progress& progress = Progress());

    /// The number of `devices` whose processor can be read (processor models other than the sound card).
    static int getCanUseDspDevNum(const QVector<OnlineDeviceFacts>& devices);

    /// Progress steps made so far (every request and every writing step counts); read from any thread by the
    /// supervision.
    int progressCount() const { return m_progress.load(); }

    /// Writes `text` to `path` through a temporary file and a rename; false with `error` ("文件创建失败" and
    /// the reason) when it cannot, leaving an old file as it was.
    static bool writeFile(const QString& path, const QByteArray& text, QString* error);

private:
    ArchiveTransport& m_transport;
    std::atomic_int m_progress{0};
};

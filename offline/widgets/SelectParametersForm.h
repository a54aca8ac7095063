#pragma once
#include "ArchiveCategory.h"
#include "ArchiveExporter.h"
#include "ExportSupervisor.h"
#include "OnlineDeviceFacts.h"

#include <QDialog>
#include <QTimer>

#include <memory>

class ArchiveProgressPanel;
class ArchiveTransport;
class ArchiveWorker;
class OfflineData;
class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;
class UserSettings;

/// The choice of devices and parameter categories for an archive, in three modes: the export of online devices
/// (read out on a worker thread under a stall supervision), the export of chosen devices of the offline design,
/// and the import of archive devices into the design. The window only asks and shows; the archive library works.
class SelectParametersForm : public QDialog
{
    Q_OBJECT
public:
    enum class Mode
    {
        ExportOnline,  ///< "导出在线存档"
        ExportOffline, ///< "导出离线存档"
        Import         ///< "加载离线存档": archive devices into the design
    };

    /// `settings` keeps the remembered folder; it is not owned and must outlive the window.
    SelectParametersForm(Mode mode, UserSettings& settings, QWidget* parent = nullptr);
    ~SelectParametersForm() override;

    /// Online export: the devices to offer. `transport` (not owned; null: the network) reaches them.
    void setOnlineDevices(const QVector<OnlineDeviceFacts>& devices, ArchiveTransport* transport = nullptr);
    /// Offline export: the design whose devices are offered. Import: the archive's devices are offered and
    /// `target` receives the chosen ones. Neither is owned.
    void setDesign(const OfflineData* source, OfflineData* target = nullptr);

    Mode mode() const { return m_mode; }
    /// Checks the devices of `devIds` (all when empty) and the categories of `categories`.
    void choose(const QStringList& devIds, const ArchiveCategories& categories);
    QStringList chosenDevices() const;
    ArchiveCategories chosenCategories() const;

    /// The line under the lists: refusals, "导出中...", "导出成功", "导出失败: ...".
    QString statusText() const;
    bool isBusy() const;
    ArchiveProgressPanel* progressPanel() const { return m_progress; }
    /// One tick of the stall supervision (the timer calls it every second while an online export runs).
    void superviseTick();
    /// Waits for a running worker to end (tests and shutdown).
    void waitForWorker();
    /// The devIds the last import added to the design.
    QStringList importedDevices() const { return m_imported; }

signals:
    /// An export or import has ended; `ok` tells how.
    void signal_finished(bool ok, const QString& text);

public slots:
    /// Closing asks a running worker to stop at its next step.
    void reject() override;

private:
    void confirm();
    void startExport(const QString& path, const QStringList& devIds, const ArchiveCategories& categories);
    void finishExport(const ArchiveExporter::Outcome& outcome);
    void runImport(const QStringList& devIds, const ArchiveCategories& categories);
    void fillDevices(const QVector<QPair<QString, QString>>& idAndLabel);
    void setStatus(const QString& text);
    void setBusy(bool busy);
    void onProgress(const QString& text, int done, int total);

    Mode m_mode;
    UserSettings& m_settings;
    QVector<OnlineDeviceFacts> m_online;
    ArchiveTransport* m_transport = nullptr;
    std::unique_ptr<ArchiveTransport> m_ownTransport;
    const OfflineData* m_source = nullptr;
    OfflineData* m_target = nullptr;

    QListWidget* m_devices;
    QCheckBox* m_allDevices;
    QListWidget* m_params;
    QCheckBox* m_allParams;
    QLabel* m_status;
    QPushButton* m_confirm;
    QPushButton* m_close;
    ArchiveProgressPanel* m_progress;
    ArchiveWorker* m_worker;

    QTimer m_watch;
    ExportSupervisor m_supervisor;
    std::shared_ptr<ArchiveExporter> m_exporter;
    int m_run = 0; ///< the export being shown; a stalled one's late result carries an older number
    bool m_busy = false;
    QStringList m_imported;
};

#pragma once
#include "ArchiveAssignment.h"
#include "ArchiveCategory.h"
#include "ArchiveLoadPreview.h"
#include "ArchiveLoader.h"
#include "OfflineDevice.h"
#include "OnlineDeviceFacts.h"

#include <QDialog>

#include <functional>
#include <memory>
#include <vector>

class ArchivePreviewView;
class ArchiveProgressPanel;
class ArchiveTransport;
class ArchiveWorker;
class OnlineDevForm;
class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;
class QVBoxLayout;

/// The load of an archive onto online devices ("加载离线存档"): each archive device with the online device it
/// goes to (chosen automatically, changeable), the parameter categories, a preview of what will change, and the
/// load itself on a worker thread with its progress and every log line. The archive library does the work.
class LoadOfflineDevForm : public QDialog
{
    Q_OBJECT
public:
    /// Gives the online devices now (registry and detail store); called on open and on refresh.
    using OnlineSource = std::function<QVector<OnlineDeviceFacts>()>;

    LoadOfflineDevForm(std::vector<OfflineDevice> archive, QWidget* parent = nullptr);
    ~LoadOfflineDevForm() override;

    /// Where the online devices come from and how they are reached (`transport` not owned; null: the network).
    /// Fills the combo boxes with the automatic assignment.
    void setOnlineSource(OnlineSource source, ArchiveTransport* transport = nullptr);

    QVector<ArchiveAssignment::Pair> pairs() const;
    ArchiveCategories chosenCategories() const;
    void setCategories(const ArchiveCategories& categories);
    QList<OnlineDevForm*> rows() const { return m_rows; }

    /// Re-reads the online devices and assigns again automatically ("刷新成功").
    void refresh();
    /// Reads the assigned devices on the worker and shows what a load would change.
    void preview();
    /// Validates and runs the load on the worker.
    void load();

    QString statusText() const;
    bool isBusy() const { return m_busy; }
    ArchivePreviewView* previewView() const { return m_preview; }
    ArchiveProgressPanel* progressPanel() const { return m_progress; }
    void waitForWorker();

signals:
    void signal_loadFinished(int exitCode);
    void signal_previewShown();

public slots:
    /// Closing asks a running worker to stop at its next step.
    void reject() override;

private:
    bool validate(QVector<ArchiveAssignment::Pair>* pairs, ArchiveCategories* categories);
    void setStatus(const QString& text);
    void setBusy(bool busy);
    void showPreview(const QVector<ArchiveLoadPreview::Entry>& entries);
    void finishLoad(const ArchiveLoader::Outcome& outcome);
    void log(const QString& line, int done, int total);

    std::vector<OfflineDevice> m_archive;
    OnlineSource m_source;
    QVector<OnlineDeviceFacts> m_online;
    ArchiveTransport* m_transport = nullptr;
    std::unique_ptr<ArchiveTransport> m_ownTransport;

    QList<OnlineDevForm*> m_rows;
    QVBoxLayout* m_rowLayout;
    QListWidget* m_params;
    QCheckBox* m_allParams;
    QLabel* m_status;
    QPushButton* m_refresh;
    QPushButton* m_previewButton;
    QPushButton* m_load;
    QPushButton* m_close;
    ArchivePreviewView* m_preview;
    ArchiveProgressPanel* m_progress;
    ArchiveWorker* m_worker;
    bool m_busy = false;
};

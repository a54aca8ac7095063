#pragma once
#include "OfflineData.h"
#include "OfflineTips.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

class CustomDevListWidget;
struct OfflineDeviceType;
class QWidget;

/// The offline workspace: entering (with or without the last saved design), the device list's add, copy and
/// delete, saving, and leaving through OfflineTips. It changes the design and the working mode and tells the
/// window what to show; the window swaps its views on signal_entered/signal_left and shows signal_busy texts
/// on its loading overlay.
class OfflineWorkspace : public QObject
{
    Q_OBJECT
public:
    /// Answers a yes/no question (true: yes). The default asks with a message box over the dialog parent.
    using Question = std::function<bool(const QString& question)>;
    /// Answers the leave prompt. The default shows OfflineTips.
    using LeaveQuestion = std::function<OfflineTips::Choice()>;

    /// `data` and `list` must outlive the workspace; dialogs open over `dialogParent`.
    OfflineWorkspace(OfflineData& data, CustomDevListWidget* list, QWidget* dialogParent, QObject* parent = nullptr);
    /// Closes the add dialog: it reports to this workspace.
    ~OfflineWorkspace() override;

    void setQuestion(Question q) { m_question = std::move(q); }
    void setLeaveQuestion(LeaveQuestion q) { m_leaveQuestion = std::move(q); }
    /// The working file; "<Documents>/Meridane3/config.dt" by default.
    void setWorkingFilePath(const QString& path) { m_workingFile = path; }
    QString workingFilePath() const { return m_workingFile; }
    /// The device-type catalogue the add dialog reads; the application's "offlineConfig" when empty.
    void setCatalogueRoot(const QString& root) { m_catalogueRoot = root; }

    bool isOpen() const { return m_open; }
    bool isBusy() const { return m_busy; }
    /// The working mode in force before entering, given back on leaving.
    int previousMode() const { return m_previousMode; }
    CustomDevListWidget* list() const { return m_list; }
    /// The add dialog while it is open, or null.
    QWidget* addDevForm() const { return m_addForm; }

public slots:
    /// Asks to enter; on yes sets the offline mode, loads the last saved design or starts an empty one.
    /// Returns whether the workspace is open afterwards.
    bool enter();
    /// Shows the leave prompt; saves (staying when the save fails) or not, then gives the previous mode back.
    /// Returns whether the workspace was left.
    bool leave();
    /// Writes the design to the working file; false (and a notice) when it cannot be written.
    bool save();
    /// Adds a device of a catalogue type under a new identifier.
    bool addDevice(const OfflineDeviceType& type);
    bool copyDevice(const QString& devId);
    bool deleteDevice(const QString& devId);
    /// Opens the add dialog (or raises the open one).
    void openAddDevForm();
    /// Shows the design's devices in the list.
    void refreshList();

signals:
    /// The user chose to enter; the mode is still the online one (the window stops its online timers).
    void signal_entering();
    void signal_entered();
    void signal_left();
    /// The design changed (devices added, copied, deleted or loaded): every offline view rebuilds from the model.
    void signal_designChanged();
    /// Long work started, with the text to show over the window; signal_progress updates it, signal_idle ends it.
    void signal_busy(QString text);
    void signal_progress(QString text);
    void signal_idle();
    /// A short notice for the user.
    void signal_showTips(QString text);

private:
    bool ask(const QString& question);
    bool load();
    OfflineData::Progress progressAs(const QString& doing);
    QString uniqueName(const QString& model) const;

    OfflineData& m_data;
    CustomDevListWidget* m_list;
    QWidget* m_dialogParent;
    QPointer<QWidget> m_addForm;
    Question m_question;
    LeaveQuestion m_leaveQuestion;
    QString m_workingFile;
    QString m_catalogueRoot;
    bool m_open = false;
    bool m_busy = false;
    int m_previousMode = 0;
};

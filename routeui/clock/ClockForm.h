#pragma once
#include "ClockItemForm.h"
#include "DevDetail.h"

#include <QHash>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>

class QMessageBox;
class DevDetailStore;
class FormClockTitle;
class ModelTable;
class OfflineData;
class QListWidget;
class QTimer;

/// The clock view: one row per listed device with its PTP role, sync state, offset, priority and bandwidth.
/// Rows are reused across refreshes and only changed cells are touched, so a refresh of 1024 unchanged
/// devices relays nothing.
class ClockForm : public QWidget
{
    Q_OBJECT
public:
    /// Minimum time between two "getVersion" requests to one device.
    static constexpr qint64 kVersionIntervalMs = 5000;
    /// Replies and clock events arriving within this time are folded into one refresh.
    static constexpr int kRefreshDelayMs = 200;

    /// Row widgets made in one refresh; a longer list gets the rest in later turns of the event loop.
    static constexpr int kRowsPerStep = 6;

    explicit ClockForm(QWidget* parent = nullptr);
    /// A view on another store and model table (tests); both must outlive the view.
    ClockForm(DevDetailStore& store, const ModelTable& models, QWidget* parent = nullptr);

    /// Rebuilds the rows from the device list and the registry now.
    void refresh();
    /// Asks for a new priority: offline the design's device takes it and nothing is sent; online a
    /// "setPtpPriority" request goes out.
    void setPriority(const QString& devId, const QString& value);

    /// True while row widgets of the last refresh are still to be made.
    bool isBuildingRows() const { return m_builtRows < rowCount(); }
    /// The row widget of a row number (nullptr past the end, or while it is still to be made).
    ClockItemForm* row(int index) const;
    /// The row currently showing a device (nullptr when it has none or it is hidden).
    ClockItemForm* rowOf(const QString& devId) const;
    int rowCount() const;
    bool isRowHidden(int index) const;
    bool refreshPending() const;

    /// The clock read by the request throttle, in milliseconds (tests replace it).
    void setClock(std::function<qint64()> nowMs);
    /// The offline design shown while the workspace is open (default: the process-wide one); the view follows
    /// its changes. Must outlive the view.
    void setDesign(OfflineData* design);
    /// Language of the texts made here (titles follow the installed translator).
    void setChinese(bool chinese) { m_chinese = chinese; }
    /// Off: failures are only signalled, no message box is shown (scripted and test sessions).
    void setShowDialogs(bool show) { m_showDialogs = show; }

signals:
    /// A compact JSON command message for the command layer.
    void changeData(QString message);
    /// The priority dialog is about to open for a device.
    void signal_openPriorityDialog(QString devId);
    /// An information for the user (also shown as a message box unless dialogs are off).
    void signal_information(QString text);

public slots:
    /// Replies and bus messages. Tagged replies of other windows are ignored; "setPtpPriority" and
    /// "getVersion" replies and "clockEvent" messages update the view.
    void recvChangeData(QString message);
    /// A device's warning (overheating, silence): its row shows the text as a tip and its name in red
    /// until the warning is cleared (isShow false).
    void slot_deviceTips(QString devId, int type, bool isShow, QString msg);
    /// The warning a device's row shows, or empty.
    QString deviceTip(const QString& devId) const { return m_deviceTips.value(devId); }

private slots:
    void openPriorityDialog(int row);

private:
    void init();
    void scheduleRefresh();
    bool versionDue(const QString& devId, qint64 now);
    void applyDeviceTip(ClockItemForm* row, const QString& devId);
    /// Gives the next rows their widget and fills only those: the rest of the list is already current.
    void buildMoreRows();
    void attachRows(int count);
    /// Makes the list exactly `n` items long (row widgets come through attachRows).
    void resizeList(int n);
    /// The rows of the offline design instead of the registry.
    void refreshOffline();
    /// The row's texts from the device's detail and record; false when the registry no longer holds it.
    bool fillRow(int index, const DevDetail_t& d);

    DevDetailStore& m_store;
    OfflineData* m_design = nullptr;
    QMetaObject::Connection m_designConnection;
    QVector<ClockItemForm::Fields> m_offlineRows; ///< the design's rows while offline
    const ModelTable& m_models;
    FormClockTitle* m_title = nullptr;
    QListWidget* m_list = nullptr;
    QTimer* m_refreshTimer = nullptr;
    QStringList m_rowDevIds; ///< device shown per row; empty for a hidden row
    QHash<QString, qint64> m_lastVersionAsk;
    QHash<QString, QString> m_deviceTips; ///< devId -> warning text; at most one per listed device
    std::function<qint64()> m_now;
    bool m_chinese;
    bool m_showDialogs = true;
    QPointer<QMessageBox> m_failBox; ///< the open "change failed" notice: one at a time, however many replies
    int m_builtRows = 0;             ///< rows (from the top) that have their widget
    bool m_moreRowsQueued = false;
};

#pragma once
#include "DevDetail.h"
#include "DeviceHealthTracker.h"
#include "SecondaryUnitScan.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>
#include <QWidget>

class DevDetailStore;
struct DevHeader;
class ModelTable;
class NetStateItemForm;
class QListWidget;
class QListWidgetItem;

/// The network state page: one row per listed device with its health figures, the polling of every
/// device with "getDebugInfo", the overheating and communication warnings, and the probe for the
/// secondary network units of the families that have them.
class NetStateForm : public QWidget
{
    Q_OBJECT
public:
    /// `store` and `models` are kept by reference and must outlive the page.
    explicit NetStateForm(QWidget* parent = nullptr);
    NetStateForm(DevDetailStore& store, const ModelTable& models, QWidget* parent = nullptr);

    /// Rebuilds the rows in the chosen order, counts one unanswered poll per device and sends the next
    /// "getDebugInfo" requests (sendChangedata); then probes for secondary units when a listed device
    /// has one. Safe to call again while a probe waits: the nested call does not probe.
    void refresh();
    /// The probe: one broadcast question, 1000 ms of waiting (events keep running), answers recorded
    /// in the store's secondary-unit map. Returns how many units were recorded.
    int updateAllVerantoDev();

    /// Chinese (true) or English texts for the warnings.
    void setChinese(bool chinese);
    bool isChinese() const { return m_tracker.isChinese(); }
    /// Where the probe binds, asks and how long it waits (tests; the defaults are the real ones).
    void setProbeConfig(const SecondaryUnitScan::Config& config) { m_probeConfig = config; }
    /// Turns the probe at the end of refresh() on or off (on by default).
    void setProbeOnRefresh(bool on) { m_probeOnRefresh = on; }

    /// Row widgets made in one step: the rest follow in later turns of the event loop, so a first refresh
    /// of a long list never holds the window for long. Rows already made are re-filled at once.
    static constexpr int kRowsPerStep = 6;
    /// True while rows of the last refresh are still to be made.
    bool isBuildingRows() const { return m_rowWidgets.size() < m_order.size(); }

    int sortIndex() const { return m_sortIndex; }
    /// The devIds of the rows, top to bottom.
    QStringList rowDevIds() const { return m_order; }
    /// The row of a device, or null (also while its row is still to be made).
    NetStateItemForm* rowWidget(const QString& devId) const;
    const DeviceHealthTracker& tracker() const { return m_tracker; }

signals:
    /// A command message for the main window ({"devId":...,"ops":"getDebugInfo"}).
    void sendChangedata(QString msg);
    void signal_showDevWindow(QString devId);
    /// A device's warning changed: `type` is its DeviceHealthTracker::Warning; isShow false clears it.
    void signal_unusualTips(QString devId, int type, bool isShow, QString msg);
    /// The one warning for the main window's notice label: `type` 1 is shown in red, 0 in yellow.
    void signal_gobalTips(int type, bool isShow, QString msg);

public slots:
    /// Every message of the main window's reply bus; "getDebugInfo" replies are used.
    void handleMessage(QString msg);
    void on_listWidget_itemDoubleClicked(QListWidgetItem* item);
    void recvSortIndex(int index);
    void slot_removeDevId(QString devId);

protected:
    /// Follows the list viewport's width, which the scroll bar decides, to keep the rows under the titles.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    /// The part of the title bar's scroll-bar room the list's real scroll bar leaves free.
    int rowSlack() const;
    /// Lays the rows out in the chosen order. Rows are positional and reused: a changed order or device set
    /// re-fills them and adds or drops rows at the end only; unchanged cells are not touched.
    void rebuildRows(const QVector<DevDetail_t>& devs);
    /// Makes up to kRowsPerStep missing rows (empty, at the end).
    void addRows();
    /// Asks for another turn of the event loop while rows are missing.
    void queueMoreRows();
    /// Makes and fills the next rows of a long list.
    void continueRows();
    void applyToRow(const QString& devId);
    void applyToRow(NetStateItemForm* row, const DevDetail_t& d, const DevHeader* hdr);
    void reportWarnings(const QStringList& changedDevIds);

    DevDetailStore& m_store;
    const ModelTable& m_models;
    DeviceHealthTracker m_tracker;
    SecondaryUnitScan::Config m_probeConfig;
    bool m_probeOnRefresh = true;
    bool m_probing = false;
    int m_sortIndex = 0;
    QStringList m_order;
    QListWidget* m_list = nullptr;
    QHash<QString, NetStateItemForm*> m_rows;
    QVector<NetStateItemForm*> m_rowWidgets; ///< the row of each list position
    bool m_continueQueued = false;
    QString m_lastGlobal; ///< the notice last reported, so an unchanged one is not sent again
};

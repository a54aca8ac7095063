#pragma once
#include "ActiveStreamList.h"
#include "DelayStats.h"

#include <QLineEdit>
#include <QString>
#include <QVector>
#include <QWidget>
#include <array>

class DelayHistogram;
class LockOverlays;
class QComboBox;
class QPushButton;
class QTimer;

/// The delay-statistics page of a device: for one of the device's active receiving streams, the arrival
/// delays as seven buckets, their total, average and maximum delay and two error counters, as the device
/// reports them. While visible it asks again every two seconds; in offline mode it sends nothing.
class NewDelayCounter : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kPollMs = 2000;
    static constexpr int kLockCheckMs = 1000;

    NewDelayCounter(const QString& devId, QWidget* parent = nullptr);

    /// The streams listed in the choice, in its order; empty when the device receives none.
    const QVector<ActiveStreamList::Entry>& streams() const { return m_streams; }
    /// The values shown now.
    const DelayStats& shownStats() const { return m_stats; }
    LockOverlays* lockOverlays() const { return m_overlays; }

signals:
    /// Command messages for the main window.
    void sendChangeData(QString msg);
    void signal_showTips(QString text);

public slots:
    /// Every message for the device; statistics replies of the chosen stream are shown.
    void recvRequest(QString str);
    /// Applies the device's stored detail lock.
    void refreshLock();
    /// Re-reads the active streams and asks for the chosen stream's statistics.
    void on_refresh_bt_clicked();
    void on_comboBox_activated(int index);
    void on_clear_bt_clicked();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    /// Rebuilds the choice when the device's active streams changed; keeps the chosen stream if it stays.
    void reloadStreams();
    const ActiveStreamList::Entry* currentStream() const;
    void requestStats();
    void showStats(const DelayStats& stats);
    QLineEdit* addField(const QString& objectName);

    QString m_devId;
    QVector<ActiveStreamList::Entry> m_streams;
    DelayStats m_stats;
    QComboBox* m_combo = nullptr;
    QPushButton* m_clear = nullptr;
    DelayHistogram* m_histogram = nullptr;
    std::array<QLineEdit*, DelayStats::FieldCount> m_fields{};
    LockOverlays* m_overlays = nullptr;
    QTimer* m_pollTimer = nullptr; ///< "poll_timer": runs while the page is visible
    QTimer* m_lockTimer = nullptr; ///< "lock_timer": re-reads the stored lock while visible
};

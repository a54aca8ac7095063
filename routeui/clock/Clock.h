#pragma once
#include "ClockEventLog.h"

#include <QString>
#include <QWidget>

class DevDetailStore;
class LockOverlays;
class QPlainTextEdit;

/// The clock event log page of one device window: every "clockEvent" from the device's address, one compact
/// JSON line each, the newest at the end, never more than 100 000 characters.
class Clock : public QWidget
{
    Q_OBJECT
public:
    explicit Clock(const QString& devId, QWidget* parent = nullptr);
    /// A page reading another store (tests); the store must outlive the page.
    Clock(const QString& devId, DevDetailStore& store, QWidget* parent = nullptr);

    QString devId() const { return m_devId; }
    QString logText() const;
    QPlainTextEdit* textView() const { return m_view; }
    LockOverlays* lockOverlays() const { return m_locks; }

public slots:
    /// Bus messages; only clock events from the device's current address are logged.
    void recvBackData(QString message);
    /// Shows or hides the lock overlays for the device's detail lock.
    void refreshLock();

private:
    void init();

    QString m_devId;
    DevDetailStore& m_store;
    ClockEventLog m_log;
    QPlainTextEdit* m_view = nullptr;
    LockOverlays* m_locks = nullptr;
};

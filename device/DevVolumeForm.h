#pragma once
#include "DevDetail.h"

#include <QHash>
#include <QString>
#include <QTimer>
#include <QVector>
#include <QWidget>

class QTableWidget;

/// The main window's level overview: one row per device with the highest level of its analog inputs,
/// analog outputs, network inputs and network outputs in dBFS. While polling, every 1000 ms it asks each
/// listed device for the first page of each side that has channels; "succ" level replies update the row in
/// place. Double-clicking a row asks for the device's settings window.
class DevVolumeForm : public QWidget
{
    Q_OBJECT
public:
    enum Column
    {
        NameColumn,
        PhyInColumn,
        PhyOutColumn,
        NetInColumn,
        NetOutColumn,
        ColumnCount
    };

    static constexpr int kPollMs = 1000;

    /// Polling starts with the page.
    explicit DevVolumeForm(QWidget* parent = nullptr);

    QTableWidget* table() const { return m_table; }
    QStringList devIds() const;
    /// The row of a listed device, or -1.
    int rowOf(const QString& devId) const { return m_rowOf.value(devId, -1); }
    QString cellText(const QString& devId, Column column) const;
    bool isPolling() const { return m_timer.isActive(); }

signals:
    void sendChangeData(QString msg);
    void signal_showDevWindow(QString devId);

public slots:
    void recvBackData(QString msg);
    /// Lists these devices in this order. The same devices again only refresh names and firmware in
    /// place; a changed list keeps the levels of the devices that stay.
    void setDevices(const QVector<DevDetail_t>& devices);
    void startPolling();
    void stopPolling();
    /// One polling round.
    void slot_updateVolume();

private:
    struct Row
    {
        QString devId;
        bool levelOffset = false;
        int counts[4] = {0, 0, 0, 0}; ///< physical in, physical out, network in, network out
    };

    void fillRow(int row, const DevDetail_t& d);

    QTableWidget* m_table = nullptr;
    QVector<Row> m_rows;
    QHash<QString, int> m_rowOf;
    QTimer m_timer;
};

#pragma once
#include "DevDetail.h"

#include <QSet>
#include <QTableWidget>
#include <QVector>
#include <QWidget>

class ModelTable;
class QLabel;
class QTableWidget;

/// The list of listed devices beside the pages: name, device type, address and MAC text of each, in the
/// store's order (ascending by name).
class DevListForm : public QWidget
{
    Q_OBJECT
public:
    enum Column
    {
        NameColumn,
        TypeColumn,
        IpColumn,
        MacColumn,
        ColumnCount
    };

    /// `models` is kept by reference and must outlive the list.
    explicit DevListForm(const ModelTable& models, QWidget* parent = nullptr);

    /// Rows added in one turn of the event loop; more follow in later turns.
    static constexpr int kRowsPerStep = 256;

    /// Shows exactly these devices (a long list's new rows over a few turns of the event loop).
    void refresh(const QVector<DevDetail_t>& devices);
    /// True while rows of the last refresh are still to be added.
    bool isAddingRows() const { return m_table->rowCount() < m_devices.size(); }
    /// The device-type text of a device: its model's row in the model table, else the detail's own type.
    QString typeText(const DevDetail_t& device) const;
    /// Marks a device's row while the device identifies itself (kept across refreshes).
    void setBlinking(const QString& devId, bool on);
    bool isBlinking(const QString& devId) const { return m_blinking.contains(devId); }
    QTableWidget* table() const { return m_table; }
    void retranslate();

signals:
    /// A row was double-clicked.
    void signal_showDevWindow(QString devId);

private:
    const ModelTable& m_models;
    QLabel* m_caption;
    QTableWidget* m_table;
    void paintBlinking();
    void showRows();

    QStringList m_devIds; ///< devId of each row
    QSet<QString> m_blinking;
    QVector<DevDetail_t> m_devices; ///< the devices of the last refresh
    bool m_moreQueued = false;
};

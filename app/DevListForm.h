#pragma once
#include "DevDetail.h"

#include <QSet>
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

    /// Shows exactly these devices.
    void refresh(const QVector<DevDetail_t>& devices);
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

    QStringList m_devIds; ///< devId of each row
    QSet<QString> m_blinking;
};

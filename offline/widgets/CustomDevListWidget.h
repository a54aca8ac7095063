#pragma once
#include <QMap>
#include <QString>
#include <QVector>
#include <QWidget>

class FormCustomContextMenu;
class FormCustomListWidget;
class FormCustomListWidgetTitle;
class QScrollArea;
class QVBoxLayout;

/// The device list of the offline workspace: a caption with the device count and `add_bt`, then the devices
/// grouped by model under `FormCustomListWidgetTitle` headers, each device a `FormCustomListWidget`. A right
/// click opens `FormCustomContextMenu`. The list only shows and asks; the workspace changes the design.
class CustomDevListWidget : public QWidget
{
    Q_OBJECT
public:
    struct Entry
    {
        QString devId;
        QString name;
        QString model;
        bool operator==(const Entry& o) const { return devId == o.devId && name == o.name && model == o.model; }
    };

    explicit CustomDevListWidget(QWidget* parent = nullptr);

    /// Shows exactly these devices, grouped by model in the order the models first appear.
    void setDevices(const QVector<Entry>& devices);
    const QVector<Entry>& devices() const { return m_devices; }

    FormCustomListWidgetTitle* caption() const { return m_caption; }
    /// The group headers in display order.
    QVector<FormCustomListWidgetTitle*> groupTitles() const;
    /// The item of a device, or null.
    FormCustomListWidget* item(const QString& devId) const { return m_items.value(devId); }
    /// The devIds of the items in display order.
    QStringList shownDevIds() const;
    FormCustomContextMenu* contextMenu() const { return m_menu; }
    QString selectedDevId() const { return m_selected; }
    void retranslate();

signals:
    /// An `add_bt` was clicked (the caption's or a group's).
    void signal_addDevice();
    void signal_deleteDevice(QString devId);
    void signal_copyDevice(QString devId);
    void signal_showDevWindow(QString devId);

private:
    void rebuild();
    void select(const QString& devId);

    FormCustomListWidgetTitle* m_caption;
    QScrollArea* m_scroll;
    QWidget* m_body;
    QVBoxLayout* m_bodyLayout;
    FormCustomContextMenu* m_menu;
    QVector<Entry> m_devices;
    QMap<QString, FormCustomListWidget*> m_items;
    QString m_selected;
};

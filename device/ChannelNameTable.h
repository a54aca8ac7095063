#pragma once
#include <QMap>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QTableWidget>

class OfflineDeviceBridge;
class QJsonObject;

/// The device's network channel names: receive channels first, then transmit channels. Editing a name in
/// column 0 checks it and sends "setChName"; the reply confirms or restores it.
class ChannelNameTable : public QTableWidget
{
    Q_OBJECT
public:
    enum Column
    {
        NameColumn,
        ChannelColumn
    };

    explicit ChannelNameTable(const QString& devId, QWidget* parent = nullptr);

    /// A device of the offline design: renames are stored in the design and never sent.
    void setOfflineDevice(OfflineDeviceBridge* device) { m_offline = device; }

    /// Shows the confirmed names; rows under edit awaiting a reply keep their pending text.
    void setNames(const QStringList& rxNames, const QStringList& txNames);
    /// The row of a channel (`inOrOut` 0 receive, 1 transmit); -1 when there is none.
    int rowOf(int inOrOut, int ch) const;
    QString confirmedName(int inOrOut, int ch) const;
    /// Handles a "setChName" reply. Returns true when it answered an edit made in this table.
    bool handleReply(const QJsonObject& reply);

signals:
    void sendChangeData(QString msg);
    void signal_showTips(QString tip);

private:
    void onItemChanged(QTableWidgetItem* item);
    void setCellName(int row, const QString& name);
    QStringList& listOf(int inOrOut) { return inOrOut == 0 ? m_rx : m_tx; }
    const QStringList& listOf(int inOrOut) const { return inOrOut == 0 ? m_rx : m_tx; }

    QString m_devId;
    OfflineDeviceBridge* m_offline = nullptr;
    QStringList m_rx;
    QStringList m_tx;
    QMap<QPair<int, int>, QString> m_pending; ///< (inOrOut, ch) -> name sent, awaiting the reply
    bool m_filling = false;
};

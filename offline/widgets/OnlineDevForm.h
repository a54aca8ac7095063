#pragma once
#include "OnlineDeviceFacts.h"

#include <QWidget>

class OfflineDevice;
class QComboBox;
class QLabel;

/// One archive device of a load and the online device it goes to: the archive device's name and model
/// (`offline_dev_lab`) and a combo box (`online_dev_cb`) of the online devices that can take it, plus "not
/// assigned".
class OnlineDevForm : public QWidget
{
    Q_OBJECT
public:
    explicit OnlineDevForm(const OfflineDevice& archive, QWidget* parent = nullptr);

    QString archiveDevId() const { return m_archiveId; }
    /// Offers the compatible devices among `online` (keeping the choice when it is still offered).
    void setCandidates(const OfflineDevice& archive, const QVector<OnlineDeviceFacts>& online);
    /// Chooses an online device by devId; empty or not offered: "not assigned".
    void setAssigned(const QString& onlineDevId);
    /// The chosen online devId, empty when not assigned.
    QString assigned() const;
    QComboBox* comboBox() const { return m_combo; }

signals:
    void signal_changed();

private:
    QString m_archiveId;
    QLabel* m_label;
    QComboBox* m_combo;
};

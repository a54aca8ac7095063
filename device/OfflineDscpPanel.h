#pragma once
#include <QWidget>

class OfflineDeviceBridge;
class QSpinBox;

/// The PTP and stream DSCP priorities of a design device, which a design stores and its export writes. Each change
/// is stored in the design at once.
class OfflineDscpPanel : public QWidget
{
    Q_OBJECT
public:
    OfflineDscpPanel(OfflineDeviceBridge& device, QWidget* parent = nullptr);

    /// Shows the design's values (without storing them again).
    void load();

signals:
    void signal_showTips(QString tip);

private:
    void store(bool ok);

    OfflineDeviceBridge& m_device;
    QSpinBox* m_ptpDscp = nullptr;
    QSpinBox* m_dscp = nullptr;
};

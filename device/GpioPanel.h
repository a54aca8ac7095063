#pragma once
#include "GpioInfo.h"

#include <QJsonObject>
#include <QVector>
#include <QWidget>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLineEdit;
class QPushButton;
class QSpinBox;

/// The GPIO functions of the device's eight IO ports: choosing a port reads it ("getGpioInfo"), "保存" writes it
/// ("setGpioInfo"), the test button drives the output level ("testGpio"), and the eight ports go to and come from
/// a file.
class GpioPanel : public QWidget
{
    Q_OBJECT
public:
    explicit GpioPanel(const QString& devId, QWidget* parent = nullptr);

    int currentPort() const { return m_port; }
    /// The port's function as the panel holds it (1..8).
    GpioInfo port(int number) const { return m_ports.value(number - 1); }
    /// The form's values.
    GpioInfo edited() const;

    /// Takes "getGpioInfo", "setGpioInfo" and "testGpio" replies; true when the reply was one of them.
    bool handleReply(const QJsonObject& reply);

signals:
    void sendChangeData(QString msg);
    void signal_showTips(QString tip);

public slots:
    /// Shows port `number` (1..8) and reads it from the device.
    void choosePort(int number);
    void on_pb_gpio_save_clicked();
    void on_pb_gpio_test_clicked();
    void on_pb_gpio_saveas_clicked();
    void on_pb_gpio_open_clicked();

private:
    void show(const GpioInfo& g);
    void send(const QJsonObject& msg);
    void setTestLevel(bool high);

    QString m_devId;
    int m_port = 1;
    bool m_nextHigh = true; ///< what the test button sets next
    QVector<GpioInfo> m_ports;
    QButtonGroup* m_portButtons = nullptr;
    QComboBox* m_direction = nullptr;
    QSpinBox* m_type = nullptr;
    QCheckBox* m_enable = nullptr;
    QComboBox* m_trigger = nullptr;
    QComboBox* m_chDirection = nullptr;
    QSpinBox* m_channel = nullptr;
    QComboBox* m_program = nullptr;
    QSpinBox* m_input = nullptr;
    QSpinBox* m_output = nullptr;
    QDoubleSpinBox* m_gainStep = nullptr;
    QLineEdit* m_customCmd = nullptr;
    QPushButton* m_test = nullptr;
};

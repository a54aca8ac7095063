#pragma once
#include "DevDetail.h"
#include "ServiceWorker.h"

#include <QJsonObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>

class AudioCfgEditor;
class DevInfoPanel;
class GpioPanel;
class OfflineDeviceBridge;
class OfflineDscpPanel;
class QBoxLayout;
class QComboBox;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class UdpToolPanel;

/// The test page of a device's settings window: the service and factory tool for one device. Most of it shows
/// only in factory mode (user mode 1, and 2 for the configuration editor and CPU frequency); in user mode 0 the
/// information panel stays on firmware "3.1.4" and later. A design device's page shows the PTP and stream DSCP
/// the design keeps, and nothing that needs the network.
///
/// Commands leave as command messages on sendChangeData; the SSH start, the factory reset and the UDP tool go
/// through the request-and-wait routine on a worker thread.
class devtest : public QWidget
{
    Q_OBJECT
public:
    /// Asks a yes/no question; true for yes.
    using Asker = std::function<bool(const QString&)>;

    devtest(const QString& devId, QWidget* parent = nullptr, OfflineDeviceBridge* design = nullptr);
    ~devtest() override;

    void setAsker(Asker asker);
    /// Replaces the request-and-wait (tests script the device's factory service).
    void setRunner(ServiceWorker::Runner runner);

    int userMode() const { return m_userMode; }
    DevInfoPanel* infoPanel() const { return m_info; }
    GpioPanel* gpioPanel() const { return m_gpio; }
    AudioCfgEditor* cfgEditor() const { return m_cfg; }
    UdpToolPanel* udpTool() const { return m_udp; }
    bool isBlinking() const { return m_blinkTimer.isActive(); }

signals:
    void sendChangeData(QString msg);
    void signal_showTips(QString tip);

public slots:
    /// Shows the panels of `mode` (0, 1 or 2).
    void slot_userModeChanged(int mode);
    void recvBackData(const QJsonObject& msg);
    void on_pb_modifycfg_clicked();
    void on_pb_readcfg_clicked();
    void on_pb_ssh_clicked();
    void on_pb_uartled_clicked();
    void slot_checkUartBlinking();
    void on_pb_cpufreq_clicked();
    void on_pb_resetfactory_clicked();
    void on_pb_reboot_clicked();
    void on_pb_memory_clicked();
    /// Asks the device for what the information panel shows (sent when the page is shown).
    void requestInformation();
    /// An amplifier's second module, asked on its own port for the information panel.
    void requestSecondModule();

protected:
    void showEvent(QShowEvent* event) override;
    /// A window too narrow for the two columns of panels gets them one above the other.
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildOnline();
    void buildOffline();
    QGroupBox* group(const char* name, const QString& title, QWidget* content);
    QWidget* buildServicePanel();
    QWidget* buildPriorityPanel();
    void applyVisibility();
    void refreshDetail();
    void send(QJsonObject msg);
    void sendReboot();
    bool ask(const QString& question);
    void applyCfgEdit(const QString& code);
    void priorityEdited(QSpinBox* box, const char* ops, const char* field, int* last);
    /// Records the device's address in the reply-address map before a factory port is used.
    void useFactoryPort();
    QString firmware() const;
    /// False on a design device's page, which has none of the panels that talk to a device.
    bool onNetwork() const { return m_info != nullptr; }

    QString m_devId;
    OfflineDeviceBridge* m_offline = nullptr;
    DevDetail_t m_detail;
    Asker m_ask;
    ServiceWorker::Runner m_runner;
    int m_userMode = 0;
    bool m_blinkOn = false;
    QTimer m_blinkTimer;

    DevInfoPanel* m_info = nullptr;
    UdpToolPanel* m_udp = nullptr;
    AudioCfgEditor* m_cfg = nullptr;
    GpioPanel* m_gpio = nullptr;
    OfflineDscpPanel* m_offlineDscp = nullptr;
    QGroupBox* m_infoBox = nullptr;
    QGroupBox* m_udpBox = nullptr;
    QGroupBox* m_serviceBox = nullptr;
    QGroupBox* m_priorityBox = nullptr;
    QGroupBox* m_cfgBox = nullptr;
    QGroupBox* m_gpioBox = nullptr;
    QLabel* m_emptyLabel = nullptr;
    QBoxLayout* m_columns = nullptr;
    QBoxLayout* m_left = nullptr;
    QBoxLayout* m_right = nullptr;
    QWidget* m_cpuRow = nullptr;
    QComboBox* m_cpuCombo = nullptr;
    QPushButton* m_ledButton = nullptr;
    QPushButton* m_resetButton = nullptr; ///< shown where the vendor's configuration offers the reset
    QSpinBox* m_ptpDomain = nullptr;
    QSpinBox* m_ptpDscp = nullptr;
    QSpinBox* m_streamDscp = nullptr;
    quint32 m_udpTargetIp = 0; ///< the address last put into the UDP tool
    int m_lastPtpDomain = -1;
    int m_lastPtpDscp = -1;
    int m_lastStreamDscp = -1;
    QPointer<QPlainTextEdit> m_memoryView;
};

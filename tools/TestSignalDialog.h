#pragma once
#include "ProbeDiscovery.h"
#include "SignalTestRunner.h"
#include "TestDevice.h"
#include "TestRecord.h"

#include <QDialog>
#include <QPointer>
#include <QTimer>
#include <QVector>

#include <functional>
#include <memory>

class DevDetailStore;
class ModelTable;
class ModifyTypeTab;
class MySnackbar;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;
class QTabWidget;
class QTextEdit;
class QThread;
class ServiceLink;
class UserSettings;

/// The production line's test signal tool: the signal test tab (its own discovery, calibration, test, finish with
/// reboot and count) and the modify-type tab (the external tool). Results go to the record box and to the day's
/// record file. Opened from the main window's hidden prompt; created once and reused.
class TestSignalDialog : public QDialog
{
    Q_OBJECT
public:
    enum Mode
    {
        AllControls = 0,
        Reduced = 1 ///< the calibration button is hidden: line staff test, engineers calibrate
    };

    /// `appDir` holds "UserConfig.ini", "tools/" and "testConfig/".
    TestSignalDialog(const QString& appDir, DevDetailStore& store, const ModelTable& models, QWidget* parent = nullptr);
    ~TestSignalDialog() override;

    void setMode(int mode);
    int mode() const { return m_mode; }

    // Seams for tests and scripted sessions.
    void setServiceLink(std::shared_ptr<ServiceLink> link);
    void setDiscoveryConfig(const ProbeDiscovery::Config& config);
    void setRecordDirectory(const QString& dir);
    QString recordDirectory() const { return m_record.directory(); }
    void setToolPolling(int rounds, int intervalMs);
    void setTiming(int settleMs, int probeSettleMs);
    void setRebootTimeoutMs(int ms) { m_rebootTimeoutMs = ms; }

    bool isBusy() const;
    int testedCount() const { return m_testedCount; }
    const QVector<TestDevice>& devices() const { return m_devices; }

signals:
    /// Command messages for the main window (the reboot of a tested device).
    void sendChangedata(QString msg);
    void signal_showTips(QString tip);
    /// A calibration, test or refresh has ended (tests and scripted sessions wait for it).
    void signal_idle();

public slots:
    /// The main window's bus: replies for our devices.
    void handleMessage(QString msg);

    void on_pb_refreshDev_clicked();
    void on_pb_checkSignal_clicked();
    void on_pb_startTest_clicked();
    void on_pb_restart_clicked();
    void on_pb_lock_clicked();
    void on_pb_tab_mt_modify_clicked();
    void on_ds_reduceValidVal_valueChanged(double value);
    void on_ds_hasSignalValidVal_valueChanged(double value);

private:
    void buildSignalTab(QWidget* tab);
    void loadSettings();
    void fillDeviceCombos();
    SignalTestRunner::Job currentJob() const;
    /// A refusal before a run; empty when it may start.
    QString startRefusal(const SignalTestRunner::Job& job) const;
    void runOnWorker(const QString& busyText, std::function<void()> work);
    void setBusy(bool busy);
    void tip(const QString& text);
    void record(const QString& text, int kind = SignalTestRunner::Info);
    void handleRunnerLine(const QString& text, int kind);
    void handleCalibrated(bool ok, int dots, int dots2);
    void handleTested(bool passed, const QString& devId);
    void finishReboot(bool ok);

    QString m_appDir;
    DevDetailStore& m_store;
    const ModelTable& m_models;
    std::unique_ptr<UserSettings> m_settings;
    TestRecord m_record;
    bool m_recordFailed = false;
    bool m_recordAnnounced = false;

    QTabWidget* m_tabs;
    QComboBox* m_sourceDev;
    QComboBox* m_sourceCh;
    QComboBox* m_testDev;
    QComboBox* m_devClass;
    QComboBox* m_step;
    QDoubleSpinBox* m_reduceValid;
    QDoubleSpinBox* m_hasSignalValid;
    QLabel* m_countLabel;
    QLabel* m_dotsLabel;
    QLabel* m_status;
    QPushButton* m_refresh;
    QPushButton* m_startTest;
    QPushButton* m_restart;
    QPushButton* m_lock;
    QPushButton* m_checkSignal;
    ModifyTypeTab* m_modifyTab;
    QTextEdit* m_recordBox;
    MySnackbar* m_snackbar;

    ProbeDiscovery m_discovery;
    std::shared_ptr<ServiceLink> m_link;
    std::unique_ptr<SignalTestRunner> m_runner;
    QPointer<QThread> m_worker;
    QVector<TestDevice> m_devices;  ///< listed devices: the signal tab's choices
    QVector<TestDevice> m_answered; ///< every routable answer: the modify tab's choices
    bool m_refreshed = false;
    bool m_locked = false;
    int m_mode = AllControls;
    int m_delayDots = 0;
    int m_delayDots2 = 0;
    int m_settleMs = 300;
    int m_probeSettleMs = 20;
    int m_toolRounds = 30;
    int m_toolIntervalMs = 300;

    bool m_lastPassed = false;
    QString m_lastDevId;
    QString m_rebootDevId; ///< waiting for this device's reboot answer
    QTimer m_rebootTimer;
    int m_rebootTimeoutMs = 3000;
    int m_testedCount = 0;
};

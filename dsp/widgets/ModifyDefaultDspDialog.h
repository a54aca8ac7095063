#pragma once
#include <QDialog>
#include <QFutureWatcher>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

class CDeviceDspData;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QStackedWidget;

/// Writes a device's factory (default) processor configuration: channel counts, sample rate and the optional
/// advanced commands become a configuration that is sent with "setFactoryConfig" over a one-shot TCP exchange
/// (on a worker, so the window keeps drawing) or exported to a "*.dt" file. The device uses it after a restart,
/// which the dialog offers and asks its opener for (signal_restartDevice).
class ModifyDefaultDspDialog : public QDialog
{
    Q_OBJECT
public:
    /// What the dialog asks and tells the user, and how it reaches the device. Each part can be replaced, so
    /// tests run without modal boxes or a network.
    struct Hooks
    {
        /// A yes/no question; true for yes.
        std::function<bool(const QString& question)> ask;
        /// A message the user acknowledges.
        std::function<void(const QString& text)> inform;
        /// The exchange: the request text to the processor at `ip`; the reply text or the exchange's error text.
        /// Runs on a worker thread, so it must not touch the dialog.
        std::function<QString(uint32_t ip, const QString& request)> exchange;
    };

    explicit ModifyDefaultDspDialog(const QString& devId, QWidget* parent = nullptr);
    ~ModifyDefaultDspDialog() override;

    /// Replaces the parts given (empty functions keep the current ones).
    void setHooks(const Hooks& hooks);
    /// True from sending a "setFactoryConfig" until its answer has been handled.
    bool isBusy() const;
    /// The address the request goes to (the device's processor).
    uint32_t dspHost() const { return m_dspHost; }

signals:
    /// The user agreed to restart the device so that the new default takes effect.
    void signal_restartDevice();
    /// The exchange ended with `reply` (the device's reply or the exchange's error text).
    void signal_setDefaultFinished(QString reply);

public slots:
    void on_pb_setDefault_clicked();
    void on_pb_export_clicked();
    /// Shows the commands or the preview of what they build.
    void on_rb_cmd_toggled(bool checked);
    void on_rb_preview_toggled(bool checked);

private:
    void buildUi();
    void loadDevice();
    /// Builds the configuration; on a fault shows it (and puts the cursor where it is) and returns null.
    std::shared_ptr<CDeviceDspData> buildConfig();
    void showPreview();
    void handleReply(const QString& reply);
    void setBusy(bool busy);

    QString m_devId;
    uint32_t m_dspHost = 0;
    Hooks m_hooks;

    QLabel* m_deviceLabel = nullptr;
    QSpinBox* m_inputs = nullptr;
    QSpinBox* m_outputs = nullptr;
    QSpinBox* m_sampleRate = nullptr;
    QRadioButton* m_cmdButton = nullptr;
    QRadioButton* m_previewButton = nullptr;
    QStackedWidget* m_advanced = nullptr;
    QPlainTextEdit* m_commands = nullptr;
    QPlainTextEdit* m_previewIn = nullptr;
    QPlainTextEdit* m_previewOut = nullptr;
    QLabel* m_errorLabel = nullptr;
    QLabel* m_statusLabel = nullptr;
    QPushButton* m_setButton = nullptr;
    QPushButton* m_exportButton = nullptr;
    QFutureWatcher<QString> m_watcher;
    bool m_busy = false;
};

#pragma once
#include "MicCommands.h"
#include "MicState.h"

#include <QDialog>
#include <QList>
#include <QStringList>
#include <QTimer>

#include <functional>

class QCheckBox;
class QComboBox;
class QPushButton;
class QRadioButton;
class QSpinBox;

/// Edits the microphone processor that some devices carry behind their serial port ("话筒参数控制"): echo
/// cancellation, feedback suppression, automatic gain, AI noise reduction, the reference, interpretation and
/// processed outputs' gains and mutes, the headphone's source and the microphone's input gain, and stores them in
/// the processor ("保存参数").
///
/// The dialog only speaks text commands: it emits each one (signal_sendUartMsg) for the diagram page to pass down
/// the device's serial tunnel, and takes what the tunnel returns (recvMicMsg). Commands leave spaced, as a serial
/// line wants them; a newer change of the same setting replaces one still waiting.
class MicControlDialog : public QDialog
{
    Q_OBJECT
public:
    /// Shows a notice with its title; the default is a message box. Tests replace it.
    using Notifier = std::function<void(const QString& title, const QString& text)>;

    /// Commands waiting at most (every read at opening is 21).
    static constexpr int kMaxQueued = 64;
    static constexpr int kDefaultSpacingMs = 30;

    explicit MicControlDialog(QWidget* parent = nullptr);

    void setNotifier(Notifier notifier) { m_notify = std::move(notifier); }
    /// Time between two commands; 0 sends each at once.
    void setSendSpacing(int ms) { m_spacingMs = ms; }
    const MicState& state() const { return m_state; }
    int queuedCount() const { return m_queue.size(); }
    /// Commands wait, or the last one left less than the spacing ago.
    bool isSending() const { return !m_queue.isEmpty() || m_pump.isActive(); }
    bool isSavePending() const { return m_savePending; }

    /// Reads every setting; the controls follow the answers.
    void readAll();

signals:
    /// One command text ("IEs13\r\n") for the serial tunnel.
    void signal_sendUartMsg(QString cmd);

public slots:
    /// A text the processor returned ("mic msg"); anything that is no answer of it is ignored.
    void recvMicMsg(QString text);
    void on_pb_saveParam_clicked();

private:
    struct GainRow
    {
        MicCode gain;
        MicCode mute;
        int channel;
        QSpinBox* spin = nullptr;
        QCheckBox* muteBox = nullptr; ///< null for a gain without mute
    };

    void buildUi();
    QComboBox* levelCombo(const char* objectName, MicCode code);
    QSpinBox* gainSpin(const QString& objectName, MicCode code, int channel);
    /// A change by the user: kept, and its set command queued.
    void change(MicCode code, int channel, int value);
    void enqueue(const QString& cmd);
    void sendNext();
    /// The controls show the state; they do not send while being set.
    void refresh();

    MicState m_state;
    Notifier m_notify;
    int m_spacingMs = kDefaultSpacingMs;
    QStringList m_queue;
    QTimer m_pump;
    bool m_savePending = false;

    QComboBox* m_aec = nullptr;
    QComboBox* m_afc = nullptr;
    QComboBox* m_agc = nullptr;
    QComboBox* m_anc = nullptr;
    QList<GainRow> m_gains;
    QRadioButton* m_hpRemote = nullptr;
    QRadioButton* m_hpLocal = nullptr;
    QPushButton* m_save = nullptr;
};

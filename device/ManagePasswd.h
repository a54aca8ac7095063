#pragma once
#include <QDialog>
#include <QJsonObject>
#include <QString>
#include <QTimer>
#include <cstdint>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

/// The password dialog of a device: entering the password to apply chosen lock levels (or, with levels
/// 0/0/0, to unlock everything), setting a first password, or changing it. The dialog sends its requests
/// itself and waits for the answers; it closes (accepted) on success and stays open on failure.
///
/// The password only ever goes into the request; it is never logged.
class ManagePasswd : public QDialog
{
    Q_OBJECT
public:
    enum Mode
    {
        EnterPassword,
        SetPassword,
        ChangePassword
    };

    /// Time without an answer after which waiting is given up.
    static constexpr int kReplyTimeoutMs = 5000;

    ManagePasswd(const QString& devId, Mode mode, QWidget* parent = nullptr);

    /// The lock levels applied with the entered password (route 0..1, detail 0..2, DSP 0..3).
    void setLevels(int route, int detail, int dsp);
    Mode mode() const { return m_mode; }
    QString devId() const { return m_devId; }
    /// True between sending and the last expected answer (or the time-out).
    bool isWaiting() const { return m_waitDevLock || m_waitDspLock || m_waitPassword; }
    /// Tests shorten the wait.
    void setReplyTimeoutMs(int ms) { m_timeout.setInterval(ms); }

signals:
    /// A short notice for the user; `success` true for a success.
    void signal_information(QString text, bool success);

public slots:
    /// Every reply for the device; answers to the requests this dialog is waiting for are acted on.
    void recvBackData(QString msg);

private slots:
    void on_ok_bt_clicked();
    void on_cancel_bt_clicked();
    void handleTimeout();

private:
    QLineEdit* addPasswordRow(const QString& name, const QString& placeholder, const QString& toggleName);
    void sendDevRequest(const QString& password);
    void sendDspRequest(const QString& password);
    void sendPasswordRequest(const QString& oldPassword, const QString& newPassword);
    void sendLockQueries();
    void send(const QJsonObject& request, uint16_t port);
    void handleLockReply(const QJsonObject& reply);
    void handlePasswordReply(const QJsonObject& reply);
    void startWaiting();
    void stopWaiting();
    void inform(const QString& text, bool success);
    QString failureText(const QJsonObject& reply) const;

    QString m_devId;
    Mode m_mode;
    int m_route = 0;
    int m_detail = 0;
    int m_dsp = 0;
    bool m_waitDevLock = false;
    bool m_waitDspLock = false;
    bool m_waitPassword = false;
    bool m_hasDsp = false;

    QLineEdit* m_passwd = nullptr;
    QLineEdit* m_old = nullptr;
    QLineEdit* m_new = nullptr;
    QLineEdit* m_confirm = nullptr;
    QLabel* m_message = nullptr;
    QPushButton* m_ok = nullptr;
    QTimer m_timeout;
};

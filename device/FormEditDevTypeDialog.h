#pragma once
#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;
class MySnackbar;

/// Changes a device's type with the external type tool, then has the device reboot.
class FormEditDevTypeDialog : public QDialog
{
    Q_OBJECT
public:
    explicit FormEditDevTypeDialog(QWidget* parent = nullptr);

    /// The device (also the first tool argument), its address (second argument) and its MAC text, whose
    /// last six hex digits go to the second tool run. Call before the dialog is shown.
    void setDevInfo(const QString& devId, const QString& second, const QString& third);
    /// Where "tools/" is looked for; empty means the application's folder.
    void setToolDirectory(const QString& dir) { m_toolDir = dir; }
    /// Polling of the tool's output (defaults 30 x 300 ms).
    void setPolling(int rounds, int intervalMs);

    QString statusText() const;

signals:
    /// Command messages ({"ops":"reboot","devId":D} after a successful change).
    void sendChangeData(QString msg);
    void signal_showTips(QString tip);

public slots:
    void on_ok_bt_clicked();

private:
    void setBusy(bool busy);
    void fail(const QString& tip = QString());

    QLineEdit* m_typeEdit;
    QLabel* m_hintLabel;
    QLabel* m_statusLabel;
    QPushButton* m_okButton;
    QPushButton* m_cancelButton;
    MySnackbar* m_snackbar;
    QString m_devId;
    QString m_second;
    QString m_third;
    QString m_toolDir;
    int m_rounds = 30;
    int m_intervalMs = 300;
};

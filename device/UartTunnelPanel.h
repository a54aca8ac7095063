#pragma once
#include <QString>
#include <QWidget>

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

/// The byte tunnel to the device's serial port: a command line, its send button and the log of what the
/// serial side answered.
class UartTunnelPanel : public QWidget
{
    Q_OBJECT
public:
    explicit UartTunnelPanel(const QString& devId, QWidget* parent = nullptr);

    /// Appends a tunnel return to the log; carriage returns are dropped so CRLF lines do not double up.
    void appendBack(const QString& back);
    QString logText() const;

signals:
    void sendChangeData(QString msg);

public slots:
    void on_uart_send_bt_clicked();

private:
    QString m_devId;
    QLineEdit* m_cmdEdit;
    QPushButton* m_sendButton;
    QPlainTextEdit* m_log;
};

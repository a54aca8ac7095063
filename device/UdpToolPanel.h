#pragma once
#include "ServiceWorker.h"

#include <QWidget>

class QLineEdit;
class QPlainTextEdit;

/// The test page's UDP tool: any text to any port of any address, the answer through the request-and-wait
/// routine. The log shows "Send(" lines for what left and "Recv=>" lines for what came back.
class UdpToolPanel : public QWidget
{
    Q_OBJECT
public:
    explicit UdpToolPanel(QWidget* parent = nullptr);

    /// Prefills address and device id (the device of the window).
    void setTarget(const QString& ip, const QString& devId);
    void setRunner(ServiceWorker::Runner runner);
    QString logText() const;

signals:
    void signal_showTips(QString tip);

public slots:
    void on_udp_send_bt_clicked();
    void on_udp_clear_bt_clicked();

private:
    void append(const QString& line);

    ServiceWorker::Runner m_runner;
    QLineEdit* m_ip = nullptr;
    QLineEdit* m_port = nullptr;
    QLineEdit* m_devId = nullptr;
    QPlainTextEdit* m_text = nullptr;
    QPlainTextEdit* m_log = nullptr;
};

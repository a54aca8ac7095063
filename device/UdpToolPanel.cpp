#include "UdpToolPanel.h"

#include "ServiceRequests.h"
#include "StyledButton.h"
#include "UiScale.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>

UdpToolPanel::UdpToolPanel(QWidget* parent) : QWidget(parent), m_runner(ServiceWorker::defaultRunner())
{
    setObjectName(QStringLiteral("udpToolPanel"));
    m_ip = new QLineEdit(this);
    m_ip->setObjectName(QStringLiteral("udp_ip_le"));
    m_port = new QLineEdit(QStringLiteral("9994"), this);
    m_port->setObjectName(QStringLiteral("udp_port_le"));
    m_port->setMaximumWidth(UiScale::px(80));
    m_devId = new QLineEdit(this);
    m_devId->setObjectName(QStringLiteral("udp_devId_le"));
    m_text = new QPlainTextEdit(this);
    m_text->setObjectName(QStringLiteral("udp_send_te"));
    m_text->setMaximumHeight(UiScale::px(56));
    m_log = new QPlainTextEdit(this);
    m_log->setObjectName(QStringLiteral("udp_log_te"));
    m_log->setReadOnly(true);
    m_log->setMaximumBlockCount(1000);
    m_log->setMinimumHeight(UiScale::px(80));
    auto* send = new StyledButton(QStringLiteral("Send"), StyledButton::Action, this);
    send->setObjectName(QStringLiteral("udp_send_bt"));
    auto* clear = new StyledButton(QStringLiteral("Clear"), StyledButton::Action, this);
    clear->setObjectName(QStringLiteral("udp_clear_bt"));

    auto* fields = new QGridLayout;
    fields->addWidget(new QLabel(QStringLiteral("IP:"), this), 0, 0);
    fields->addWidget(m_ip, 0, 1);
    fields->addWidget(new QLabel(QStringLiteral("Port:"), this), 0, 2);
    fields->addWidget(m_port, 0, 3);
    fields->addWidget(new QLabel(QStringLiteral("devId:"), this), 1, 0);
    fields->addWidget(m_devId, 1, 1, 1, 3);
    fields->setColumnStretch(1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(send);
    buttons->addWidget(clear);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(fields);
    layout->addWidget(m_text);
    layout->addLayout(buttons);
    layout->addWidget(m_log, 1);
    connect(send, &QPushButton::clicked, this, &UdpToolPanel::on_udp_send_bt_clicked);
    connect(clear, &QPushButton::clicked, this, &UdpToolPanel::on_udp_clear_bt_clicked);
}

void UdpToolPanel::setTarget(const QString& ip, const QString& devId)
{
    m_ip->setText(ip);
    m_devId->setText(devId);
}

void UdpToolPanel::setRunner(ServiceWorker::Runner runner)
{
    m_runner = runner ? std::move(runner) : ServiceWorker::defaultRunner();
}

QString UdpToolPanel::logText() const
{
    return m_log->toPlainText();
}

void UdpToolPanel::append(const QString& line)
{
    m_log->appendPlainText(line);
}

void UdpToolPanel::on_udp_send_bt_clicked()
{
    const ServiceRequests::UdpToolRequest r =
        ServiceRequests::udpToolRequest(m_ip->text(), m_port->text(), m_devId->text(), m_text->toPlainText());
    if (!r.error.isEmpty()) {
        emit signal_showTips(r.error);
        return;
    }
    const QHostAddress address(r.ip);
    append(QStringLiteral("Send(%1:%2)=>").arg(address.toString()).arg(r.port) + QString::fromUtf8(r.bytes));
    ServiceWorker::start(this, m_runner, {r.bytes}, address, r.port,
                         [this](const QVector<WaitedUdpRequest::Result>& results) {
                             const QString text = results.value(0).text;
                             append(QStringLiteral("Recv=>") + (text.isEmpty() ? QStringLiteral("No Message") : text));
                         });
}

void UdpToolPanel::on_udp_clear_bt_clicked()
{
    m_text->clear();
    m_log->clear();
}

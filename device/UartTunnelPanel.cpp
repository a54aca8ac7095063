#include "UartTunnelPanel.h"

#include <QHBoxLayout>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QVBoxLayout>

UartTunnelPanel::UartTunnelPanel(const QString& devId, QWidget* parent)
    : QWidget(parent), m_devId(devId), m_cmdEdit(new QLineEdit(this)), m_sendButton(new QPushButton(tr("发送"), this)),
      m_log(new QPlainTextEdit(this))
{
    m_cmdEdit->setObjectName(QStringLiteral("uart_le"));
    m_cmdEdit->setPlaceholderText(tr("串口命令"));
    m_sendButton->setObjectName(QStringLiteral("uart_send_bt"));
    m_log->setObjectName(QStringLiteral("uart_log_te"));
    m_log->setReadOnly(true);
    m_log->setMaximumBlockCount(2000);

    auto* row = new QHBoxLayout;
    row->addWidget(m_cmdEdit, 1);
    row->addWidget(m_sendButton);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(row);
    layout->addWidget(m_log, 1);

    connect(m_sendButton, &QPushButton::clicked, this, &UartTunnelPanel::on_uart_send_bt_clicked);
    connect(m_cmdEdit, &QLineEdit::returnPressed, this, &UartTunnelPanel::on_uart_send_bt_clicked);
}

void UartTunnelPanel::on_uart_send_bt_clicked()
{
    const QString cmd = m_cmdEdit->text();
    if (cmd.isEmpty())
        return;
    QJsonObject o;
    o.insert(QStringLiteral("ops"), QStringLiteral("sendUdpToUart"));
    o.insert(QStringLiteral("devId"), m_devId);
    o.insert(QStringLiteral("cmd"), cmd);
    emit sendChangeData(QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact)));
}

void UartTunnelPanel::appendBack(const QString& back)
{
    QString text = back;
    text.remove(QLatin1Char('\r'));
    QTextCursor cursor = m_log->textCursor();
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(text);
    m_log->setTextCursor(cursor);
    m_log->ensureCursorVisible();
}

QString UartTunnelPanel::logText() const
{
    return m_log->toPlainText();
}

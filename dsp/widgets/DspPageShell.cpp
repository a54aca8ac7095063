#include "DspPageShell.h"

#include <QLabel>
#include <QVBoxLayout>

DspPageShell::DspPageShell(const QString& objectName, QWidget* parent) : QWidget(parent)
{
    setObjectName(objectName);
    m_notice = new QLabel(QStringLiteral("…"), this);
    m_notice->setObjectName(QStringLiteral("lb_shell"));
    m_notice->setAlignment(Qt::AlignCenter);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_notice);
}

void DspPageShell::setDspData(CDeviceDspData* data)
{
    m_data = data;
}

void DspPageShell::recvBackData(QString msg)
{
    ++m_received;
    m_last = msg;
}

void DspPageShell::setContent(QWidget* content)
{
    m_notice->hide();
    layout()->setContentsMargins(0, 0, 0, 0);
    layout()->addWidget(content);
}

#include "FormMcast.h"

#include "StreamName.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QStringList>

FormMcast::FormMcast(const QString& name, const QString& dstIp, int dstPort, const QVector<int>& channels,
                     QWidget* parent)
    : QWidget(parent), m_name(new QLabel(StreamName::shown(name), this)),
      m_address(new QLabel(QStringLiteral("%1/%2").arg(dstIp).arg(dstPort), this)), m_channels(new QLabel(this))
{
    setObjectName(QStringLiteral("FormMcast"));
    m_name->setObjectName(QStringLiteral("name_lb"));
    m_address->setObjectName(QStringLiteral("ip_lb"));
    m_channels->setObjectName(QStringLiteral("channel_lb"));
    QStringList chans;
    for (int ch : channels)
        chans << QStringLiteral("out%1").arg(ch);
    m_channels->setText(chans.join(QLatin1Char(',')));
    // Selection is shown by the list row; let clicks reach it.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(8, 2, 8, 2);
    layout->addWidget(m_name, 2);
    layout->addWidget(m_address, 2);
    layout->addWidget(m_channels, 3);
}

QString FormMcast::address() const
{
    return m_address->text().section(QLatin1Char('/'), 0, 0);
}

QString FormMcast::name() const
{
    return m_name->text();
}

QString FormMcast::addressText() const
{
    return m_address->text();
}

QString FormMcast::channelsText() const
{
    return m_channels->text();
}

#include "FormStream.h"

#include <QCheckBox>
#include <QHBoxLayout>

FormStream::FormStream(int channel, const QString& label, QWidget* parent)
    : QWidget(parent), m_channel(channel), m_cb(new QCheckBox(label, this))
{
    setObjectName(QStringLiteral("FormStream"));
    m_cb->setObjectName(QStringLiteral("channel_cb:%1").arg(channel));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 0, 4, 0);
    layout->addWidget(m_cb);
    connect(m_cb, &QCheckBox::toggled, this, &FormStream::toggled);
}

bool FormStream::isChecked() const
{
    return m_cb->isChecked();
}

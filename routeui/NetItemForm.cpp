#include "NetItemForm.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QSignalBlocker>

NetItemForm::NetItemForm(const QString& ip, const QString& interfaceName, QWidget* parent) : QWidget(parent), m_ip(ip)
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(8, 2, 8, 2);
    m_box = new QCheckBox(QStringLiteral("%1  (%2)").arg(ip, interfaceName), this);
    m_box->setObjectName(QStringLiteral("check_box"));
    layout->addWidget(m_box);
    connect(m_box, &QCheckBox::toggled, this, [this](bool checked) {
        if (checked)
            emit netItemSelectedSignal(m_ip);
        else
            // One address is always chosen once one was: unchecking the chosen one keeps it.
            setChecked(true);
    });
}

bool NetItemForm::isChecked() const
{
    return m_box->isChecked();
}

void NetItemForm::setChecked(bool checked)
{
    const QSignalBlocker block(m_box);
    m_box->setChecked(checked);
}

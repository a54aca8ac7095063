#include "ChannelItemForm.h"

#include "UiScale.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

ChannelItemForm::ChannelItemForm(int index, const QString& name, QWidget* parent) : QFrame(parent), m_name(name)
{
    setObjectName(QStringLiteral("ChannelItemForm_%1").arg(index));
    setStyleSheet(QStringLiteral("QFrame{background:#2d333d;border:1px solid #3c4450;border-radius:3px;}"
                                 "QLabel{color:#d7dbe2;border:none;background:transparent;}"));
    auto* label = new QLabel(QStringLiteral("%1  %2").arg(index + 1).arg(name), this);
    label->setObjectName(QStringLiteral("lb_name"));
    auto* load = new QPushButton(tr("加载"), this);
    load->setObjectName(QStringLiteral("pb_load"));
    connect(load, &QPushButton::clicked, this, [this] { emit signal_load(m_name); });
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(UiScale::px(10), UiScale::px(4), UiScale::px(6), UiScale::px(4));
    layout->addWidget(label, 1);
    layout->addWidget(load);
}

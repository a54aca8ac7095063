#include "FormCustomListWidgetTitle.h"

#include "AppState.h"
#include "UiScale.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

FormCustomListWidgetTitle::FormCustomListWidgetTitle(const QString& group, int count, QWidget* parent)
    : QWidget(parent), m_group(group), m_label(new QLabel(this)), m_add(new QPushButton(QStringLiteral("+"), this))
{
    setObjectName(QStringLiteral("customListTitle"));
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(QStringLiteral("QWidget#customListTitle{background:#262e38;}"
                                 "QLabel{color:#d8dee6;font-size:%1px;font-weight:bold;}"
                                 "QPushButton{color:#ffffff;background:#0a84c6;border:none;border-radius:3px;"
                                 "font-size:%2px;}QPushButton:hover{background:#1c96d8;}")
                      .arg(UiScale::fontPx(12))
                      .arg(UiScale::fontPx(14)));
    m_label->setObjectName(QStringLiteral("title_lab"));
    m_add->setObjectName(QStringLiteral("add_bt"));
    m_add->setFixedSize(UiScale::px(22), UiScale::px(22));
    m_add->setCursor(Qt::PointingHandCursor);
    m_add->setToolTip(AppState::pick(QStringLiteral("添加离线设备"), QStringLiteral("Add offline device")));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(UiScale::px(8), UiScale::px(4), UiScale::px(8), UiScale::px(4));
    row->addWidget(m_label, 1);
    row->addWidget(m_add);
    setCount(count);
    connect(m_add, &QPushButton::clicked, this, [this] { emit signal_add(m_group); });
}

QString FormCustomListWidgetTitle::text() const
{
    return m_label->text();
}

void FormCustomListWidgetTitle::setCount(int count)
{
    m_count = count;
    updateText();
}

void FormCustomListWidgetTitle::setGroup(const QString& group)
{
    m_group = group;
    updateText();
}

void FormCustomListWidgetTitle::updateText()
{
    m_label->setText(QStringLiteral("%1 (%2)").arg(m_group).arg(m_count));
}

#include "ProgramItemForm.h"

#include "UiScale.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QStyle>

ProgramItemForm::ProgramItemForm(int index, const QString& name, QWidget* parent)
    : QFrame(parent), m_index(index), m_name(name)
{
    setObjectName(QStringLiteral("ProgramItemForm_%1").arg(index));
    setProperty("selected", false);
    setStyleSheet(QStringLiteral("QFrame{background:#2d333d;border:1px solid #3c4450;border-radius:3px;}"
                                 "QFrame[selected=\"true\"]{background:#2f6fb3;border-color:#4a8ad0;}"
                                 "QLabel{color:#d7dbe2;border:none;background:transparent;}"));
    m_label = new QLabel(QStringLiteral("%1  %2").arg(index + 1).arg(name), this);
    m_label->setObjectName(QStringLiteral("lb_name"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(UiScale::px(10), UiScale::px(6), UiScale::px(10), UiScale::px(6));
    layout->addWidget(m_label, 1);
}

void ProgramItemForm::setSelected(bool selected)
{
    if (selected == m_selected)
        return;
    m_selected = selected;
    setProperty("selected", selected);
    style()->unpolish(this);
    style()->polish(this);
}

void ProgramItemForm::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        emit signal_clicked(m_index);
    QFrame::mousePressEvent(event);
}

#include "FormCustomListWidget.h"

#include "UiScale.h"

#include <QContextMenuEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QVBoxLayout>

FormCustomListWidget::FormCustomListWidget(const QString& devId, const QString& name, const QString& model,
                                           QWidget* parent)
    : QWidget(parent), m_devId(devId), m_name(new QLabel(name, this)), m_model(new QLabel(model, this)),
      m_id(new QLabel(devId, this))
{
    setObjectName(QStringLiteral("customListItem:") + devId);
    setAttribute(Qt::WA_StyledBackground);
    m_name->setObjectName(QStringLiteral("name_lab"));
    m_model->setObjectName(QStringLiteral("model_lab"));
    m_id->setObjectName(QStringLiteral("id_lab"));
    // Long names are cut by the layout instead of widening the list.
    for (QLabel* l : {m_name, m_model, m_id}) {
        l->setMinimumWidth(UiScale::px(40));
        l->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        l->setToolTip(l->text());
    }
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(UiScale::px(16), UiScale::px(4), UiScale::px(8), UiScale::px(4));
    column->setSpacing(UiScale::px(2));
    column->addWidget(m_name);
    auto* detail = new QHBoxLayout;
    detail->setSpacing(UiScale::px(12));
    detail->addWidget(m_model, 2);
    detail->addWidget(m_id, 3);
    column->addLayout(detail);
    setSelected(false);
}

QString FormCustomListWidget::nameText() const
{
    return m_name->text();
}

QString FormCustomListWidget::modelText() const
{
    return m_model->text();
}

QString FormCustomListWidget::idText() const
{
    return m_id->text();
}

void FormCustomListWidget::setSelected(bool selected)
{
    m_selected = selected;
    setStyleSheet(QStringLiteral("FormCustomListWidget{background:%1;border-bottom:1px solid #232a33;}"
                                 "QLabel#name_lab{color:#e6ebf0;font-size:%2px;}"
                                 "QLabel{color:#8d99a8;font-size:%3px;}")
                      .arg(selected ? QStringLiteral("#1d3a52") : QStringLiteral("#1a1f26"))
                      .arg(UiScale::fontPx(13))
                      .arg(UiScale::fontPx(11)));
}

void FormCustomListWidget::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        emit signal_clicked(m_devId);
    QWidget::mousePressEvent(event);
}

void FormCustomListWidget::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        emit signal_doubleClicked(m_devId);
    QWidget::mouseDoubleClickEvent(event);
}

void FormCustomListWidget::contextMenuEvent(QContextMenuEvent* event)
{
    emit signal_clicked(m_devId);
    emit signal_contextMenu(m_devId, event->globalPos());
    event->accept();
}

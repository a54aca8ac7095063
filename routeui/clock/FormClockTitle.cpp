#include "FormClockTitle.h"

#include "ClockItemForm.h"
#include "UiScale.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>

FormClockTitle::FormClockTitle(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("FormClockTitle"));
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(QStringLiteral("QWidget#FormClockTitle{background:#262e38;}QLabel{color:#9fb0c3;font-size:%1px;}")
                      .arg(ClockItemForm::fontPixels()));
    setMinimumHeight(UiScale::px(30));
    auto* layout = new QHBoxLayout(this);
    QVector<QWidget*> cells;
    for (int c = 0; c < ClockItemForm::ColumnCount; ++c) {
        auto* label = new QLabel(this);
        label->setWordWrap(true);
        m_titles.append(label);
        cells.append(label);
    }
    // The rows' list has a scroll bar at the right; keep the same room free so columns line up.
    ClockItemForm::layOutColumns(layout, cells, UiScale::px(16));
    layout->setContentsMargins(layout->contentsMargins().left(), UiScale::px(2), layout->contentsMargins().right(),
                               UiScale::px(2));
    retranslate();
}

void FormClockTitle::retranslate()
{
    const QString texts[ClockItemForm::ColumnCount] = {tr("设备类型"), tr("设备ID"),   tr("时钟角色"),
                                                       tr("同步状态"), tr("频率偏移"), tr("时钟优先级"),
                                                       tr("设备名称"), tr("IP地址"),   tr("接收/发送带宽")};
    for (int c = 0; c < ClockItemForm::ColumnCount; ++c)
        m_titles.at(c)->setText(texts[c]);
}

void FormClockTitle::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    QWidget::changeEvent(event);
}

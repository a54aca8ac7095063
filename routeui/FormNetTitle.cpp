#include "FormNetTitle.h"

#include "NetStateItemForm.h"
#include "UiScale.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>

FormNetTitle::FormNetTitle(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("FormNetTitle"));
    setAttribute(Qt::WA_StyledBackground);
    // The dark look of the device list's header.
    setStyleSheet(QStringLiteral("QWidget#FormNetTitle{background:#262e38;}QLabel{color:#9fb0c3;font-size:%2px;}"
                                 "QComboBox{background:#1e242c;color:#d8dee6;border:1px solid #3a4552;"
                                 "padding:0px %1px;font-size:%2px;}"
                                 "QComboBox QAbstractItemView{background:#1e242c;color:#d8dee6;"
                                 "selection-background-color:#0a5a8a;}")
                      .arg(UiScale::px(4))
                      .arg(NetStateItemForm::fontPixels()));
    setMinimumHeight(UiScale::px(30));

    auto* layout = new QHBoxLayout(this);
    QVector<QWidget*> cells;
    for (int c = 0; c < NetStateItemForm::VersionColumn; ++c) {
        auto* label = new QLabel(this);
        // Titles wider than their column wrap rather than push the next column aside.
        label->setWordWrap(true);
        m_cells.append(label);
        cells.append(label);
    }
    for (int c : {NetStateItemForm::NameColumn, NetStateItemForm::TypeColumn, NetStateItemForm::IdColumn,
                  NetStateItemForm::LatencyColumn, NetStateItemForm::RunningTimeColumn})
        m_titles.append(m_cells.at(c));
    m_sort = new QComboBox(this);
    m_sort->setObjectName(QStringLiteral("sort_comboBox"));
    m_sort->addItems({QString(), QString(), QString()});
    cells.append(m_sort);
    // The rows stand in a list whose scroll bar takes room at the right: the same room is kept free here.
    NetStateItemForm::layOutColumns(layout, cells, NetStateItemForm::scrollBarWidth());
    layout->setContentsMargins(layout->contentsMargins().left(), UiScale::px(2), layout->contentsMargins().right(),
                               UiScale::px(2));
    retranslate();
    connect(m_sort, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &FormNetTitle::on_sort_comboBox_currentIndexChanged);
}

int FormNetTitle::sortIndex() const
{
    return m_sort->currentIndex();
}

void FormNetTitle::retranslate()
{
    m_titles.at(0)->setText(tr("设备名称"));
    m_titles.at(1)->setText(tr("设备类型"));
    m_titles.at(2)->setText(tr("设备ID"));
    m_titles.at(3)->setText(tr("网络延迟"));
    m_titles.at(4)->setText(tr("运行时间"));
    m_sort->setItemText(0, tr("Default"));
    m_sort->setItemText(1, tr("Ascending"));
    m_sort->setItemText(2, tr("Descending"));
}

void FormNetTitle::on_sort_comboBox_currentIndexChanged(int index)
{
    emit sendSortIndex(index);
}

void FormNetTitle::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    QWidget::changeEvent(event);
}

#include "FormNetTitle.h"

#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>

FormNetTitle::FormNetTitle(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("FormNetTitle"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(8, 2, 8, 2);
    for (int i = 0; i < 5; ++i) {
        auto* label = new QLabel(this);
        m_titles.append(label);
        layout->addWidget(label, 1);
    }
    m_sort = new QComboBox(this);
    m_sort->setObjectName(QStringLiteral("sort_comboBox"));
    m_sort->addItems({QString(), QString(), QString()});
    layout->addWidget(m_sort);
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

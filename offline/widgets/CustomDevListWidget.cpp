#include "CustomDevListWidget.h"

#include "AppState.h"
#include "FormCustomContextMenu.h"
#include "FormCustomListWidget.h"
#include "FormCustomListWidgetTitle.h"
#include "UiScale.h"

#include <QScrollArea>
#include <QVBoxLayout>

CustomDevListWidget::CustomDevListWidget(QWidget* parent)
    : QWidget(parent), m_caption(new FormCustomListWidgetTitle(QString(), 0, this)), m_scroll(new QScrollArea(this)),
      m_body(new QWidget), m_bodyLayout(new QVBoxLayout(m_body)), m_menu(new FormCustomContextMenu(this))
{
    setObjectName(QStringLiteral("customDevList"));
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(QStringLiteral("QWidget#customDevList{background:#1a1f26;}"));
    m_caption->setObjectName(QStringLiteral("customDevList_caption"));
    m_body->setObjectName(QStringLiteral("customDevList_body"));
    m_body->setStyleSheet(QStringLiteral("QWidget#customDevList_body{background:#1a1f26;}"));
    m_bodyLayout->setContentsMargins(0, 0, 0, 0);
    m_bodyLayout->setSpacing(0);
    m_bodyLayout->addStretch(1);
    m_scroll->setWidget(m_body);
    m_scroll->setWidgetResizable(true);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_caption);
    layout->addWidget(m_scroll, 1);
    connect(m_caption, &FormCustomListWidgetTitle::signal_add, this, &CustomDevListWidget::signal_addDevice);
    retranslate();
    connect(m_menu, &FormCustomContextMenu::signal_delete, this, &CustomDevListWidget::signal_deleteDevice);
    connect(m_menu, &FormCustomContextMenu::signal_copy, this, &CustomDevListWidget::signal_copyDevice);
}

void CustomDevListWidget::setDevices(const QVector<Entry>& devices)
{
    m_caption->setCount(devices.size());
    // A refresh after every edit of the design: the widgets are remade only when what they show changed.
    if (devices == m_devices && m_items.size() == devices.size())
        return;
    m_devices = devices;
    rebuild();
}

void CustomDevListWidget::rebuild()
{
    m_menu->hide();
    while (m_bodyLayout->count() > 1) {
        QLayoutItem* it = m_bodyLayout->takeAt(0);
        delete it->widget();
        delete it;
    }
    m_items.clear();
    QStringList models;
    QMap<QString, QVector<int>> byModel;
    for (int i = 0; i < m_devices.size(); ++i) {
        const QString& model = m_devices.at(i).model;
        if (!byModel.contains(model))
            models << model;
        byModel[model].append(i);
    }
    int at = 0;
    for (const QString& model : models) {
        const QVector<int>& rows = byModel.value(model);
        auto* title = new FormCustomListWidgetTitle(model, rows.size(), m_body);
        connect(title, &FormCustomListWidgetTitle::signal_add, this, &CustomDevListWidget::signal_addDevice);
        m_bodyLayout->insertWidget(at++, title);
        for (int row : rows) {
            const Entry& e = m_devices.at(row);
            auto* item = new FormCustomListWidget(e.devId, e.name, e.model, m_body);
            connect(item, &FormCustomListWidget::signal_clicked, this, &CustomDevListWidget::select);
            connect(item, &FormCustomListWidget::signal_doubleClicked, this,
                    &CustomDevListWidget::signal_showDevWindow);
            connect(item, &FormCustomListWidget::signal_contextMenu, m_menu, &FormCustomContextMenu::popup);
            m_bodyLayout->insertWidget(at++, item);
            m_items.insert(e.devId, item);
        }
    }
    if (!m_items.contains(m_selected))
        m_selected.clear();
    select(m_selected);
}

void CustomDevListWidget::select(const QString& devId)
{
    m_selected = devId;
    for (auto it = m_items.begin(); it != m_items.end(); ++it)
        it.value()->setSelected(it.key() == devId);
}

QVector<FormCustomListWidgetTitle*> CustomDevListWidget::groupTitles() const
{
    QVector<FormCustomListWidgetTitle*> out;
    for (int i = 0; i < m_bodyLayout->count(); ++i)
        if (auto* t = qobject_cast<FormCustomListWidgetTitle*>(m_bodyLayout->itemAt(i)->widget()))
            out << t;
    return out;
}

QStringList CustomDevListWidget::shownDevIds() const
{
    QStringList out;
    for (int i = 0; i < m_bodyLayout->count(); ++i)
        if (auto* item = qobject_cast<FormCustomListWidget*>(m_bodyLayout->itemAt(i)->widget()))
            out << item->devId();
    return out;
}

void CustomDevListWidget::retranslate()
{
    m_caption->setGroup(AppState::pick(QStringLiteral("离线设备"), QStringLiteral("Offline devices")));
    m_menu->retranslate();
}

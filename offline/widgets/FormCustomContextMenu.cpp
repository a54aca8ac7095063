#include "FormCustomContextMenu.h"

#include "AppState.h"
#include "UiScale.h"

#include <QPushButton>
#include <QVBoxLayout>

FormCustomContextMenu::FormCustomContextMenu(QWidget* parent)
    : QWidget(parent, Qt::Popup | Qt::FramelessWindowHint), m_delete(new QPushButton(this)),
      m_copy(new QPushButton(this))
{
    setObjectName(QStringLiteral("customContextMenu"));
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(QStringLiteral("QWidget#customContextMenu{background:#262e38;border:1px solid #3a4452;}"
                                 "QPushButton{color:#d8dee6;background:transparent;border:none;text-align:left;"
                                 "font-size:%1px;padding:%2px %3px;}QPushButton:hover{background:#0a84c6;}")
                      .arg(UiScale::fontPx(12))
                      .arg(UiScale::px(5))
                      .arg(UiScale::px(14)));
    m_delete->setObjectName(QStringLiteral("del_bt"));
    m_copy->setObjectName(QStringLiteral("copy_dt"));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(UiScale::px(1), UiScale::px(3), UiScale::px(1), UiScale::px(3));
    column->setSpacing(0);
    column->addWidget(m_copy);
    column->addWidget(m_delete);
    setMinimumWidth(UiScale::px(120));
    retranslate();
    // The device is taken before hiding: a choice acts on the device the menu was opened for.
    connect(m_delete, &QPushButton::clicked, this, [this] {
        const QString id = m_devId;
        hide();
        emit signal_delete(id);
    });
    connect(m_copy, &QPushButton::clicked, this, [this] {
        const QString id = m_devId;
        hide();
        emit signal_copy(id);
    });
}

void FormCustomContextMenu::popup(const QString& devId, const QPoint& globalPos)
{
    m_devId = devId;
    adjustSize();
    move(globalPos);
    show();
    raise();
}

void FormCustomContextMenu::retranslate()
{
    m_delete->setText(AppState::pick(QStringLiteral("删除设备"), QStringLiteral("Delete device")));
    m_copy->setText(AppState::pick(QStringLiteral("创建副本"), QStringLiteral("Create copy")));
}

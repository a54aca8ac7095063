#include "OfflineTips.h"

#include "AppState.h"
#include "StyledButton.h"
#include "UiScale.h"

#include <QGridLayout>
#include <QLabel>

OfflineTips::OfflineTips(QWidget* parent)
    : QDialog(parent),
      m_save(new StyledButton(AppState::pick(QStringLiteral("保存并退出"), QStringLiteral("Save and leave")),
                              StyledButton::Action, this)),
      m_unSave(new StyledButton(AppState::pick(QStringLiteral("不保存退出"), QStringLiteral("Leave without saving")),
                                StyledButton::Action, this)),
      m_cancel(new StyledButton(AppState::pick(QStringLiteral("取消"), QStringLiteral("Cancel")), StyledButton::Action,
                                this))
{
    setObjectName(QStringLiteral("offlineTips"));
    setWindowTitle(AppState::pick(QStringLiteral("退出离线模式"), QStringLiteral("Leave offline mode")));
    setModal(true);
    setStyleSheet(QStringLiteral("QDialog#offlineTips{background:#1e242c;}QLabel{color:#d8dee6;font-size:%1px;}")
                      .arg(UiScale::fontPx(13)));
    m_save->setObjectName(QStringLiteral("save_bt"));
    m_unSave->setObjectName(QStringLiteral("unSave_bt"));
    m_cancel->setObjectName(QStringLiteral("cancel_bt"));
    auto* saveText = new QLabel(
        AppState::pick(QStringLiteral("是否保存并退出离线模式？"), QStringLiteral("Save and leave offline mode?")),
        this);
    saveText->setObjectName(QStringLiteral("save_lab"));
    auto* unSaveText = new QLabel(AppState::pick(QStringLiteral("是否不保存并退出离线模式？"),
                                                 QStringLiteral("Leave offline mode without saving?")),
                                  this);
    unSaveText->setObjectName(QStringLiteral("unSave_lab"));
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(UiScale::px(20), UiScale::px(18), UiScale::px(20), UiScale::px(14));
    grid->setHorizontalSpacing(UiScale::px(16));
    grid->setVerticalSpacing(UiScale::px(12));
    grid->addWidget(saveText, 0, 0);
    grid->addWidget(m_save, 0, 1);
    grid->addWidget(unSaveText, 1, 0);
    grid->addWidget(m_unSave, 1, 1);
    grid->addWidget(m_cancel, 2, 1);
    connect(m_save, &QPushButton::clicked, this, [this] { choose(SaveAndLeave); });
    connect(m_unSave, &QPushButton::clicked, this, [this] { choose(LeaveWithoutSaving); });
    connect(m_cancel, &QPushButton::clicked, this, [this] { choose(Stay); });
}

OfflineTips::Choice OfflineTips::ask()
{
    m_choice = Stay;
    exec();
    return m_choice;
}

void OfflineTips::choose(Choice c)
{
    m_choice = c;
    if (c == Stay)
        reject();
    else
        accept();
}

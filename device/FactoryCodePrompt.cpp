#include "FactoryCodePrompt.h"

#include "StyledButton.h"
#include "UiScale.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

FactoryCodePrompt::FactoryCodePrompt(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FactoryCodePrompt"));
    setWindowTitle(QStringLiteral("密码"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowModality(Qt::WindowModal);
    setStyleSheet(QStringLiteral("QDialog{background:#262b33;} QLabel{color:#d7dbe2;}"));
    auto* label = new QLabel(QStringLiteral("输入管理密码:"), this);
    label->setObjectName(QStringLiteral("prompt_label"));
    m_code = new QLineEdit(this);
    m_code->setObjectName(QStringLiteral("code_le"));
    m_code->setEchoMode(QLineEdit::Password);
    m_code->setMinimumWidth(UiScale::px(220));
    auto* ok = new StyledButton(tr("确定"), StyledButton::Action, this);
    ok->setObjectName(QStringLiteral("ok_bt"));
    ok->setDefault(true); // Enter in the entry presses OK
    auto* cancel = new StyledButton(tr("取消"), StyledButton::Action, this);
    cancel->setObjectName(QStringLiteral("cancel_bt"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(m_code);
    layout->addLayout(buttons);
    connect(ok, &QPushButton::clicked, this, &FactoryCodePrompt::on_ok_bt_clicked);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void FactoryCodePrompt::on_ok_bt_clicked()
{
    const QString code = m_code->text();
    m_code->clear();
    accept();
    emit signal_entered(code);
}

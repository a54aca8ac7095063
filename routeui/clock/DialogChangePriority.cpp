#include "DialogChangePriority.h"

#include "LevelConversion.h"
#include "UiScale.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

DialogChangePriority::DialogChangePriority(int current, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("DialogChangePriority"));
    setWindowTitle(tr("时钟优先级"));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    m_field = new QLineEdit(QString::number(current), this);
    m_field->setObjectName(QStringLiteral("priority_le"));
    m_field->setPlaceholderText(QStringLiteral("0-255"));
    form->addRow(tr("时钟优先级"), m_field);
    layout->addLayout(form);

    m_tip = new QLabel(this);
    m_tip->setObjectName(QStringLiteral("tip_label"));
    m_tip->setStyleSheet(QStringLiteral("color: #d94a3d;"));
    layout->addWidget(m_tip);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto* ok = new QPushButton(tr("确定"), this);
    ok->setObjectName(QStringLiteral("ok_bt"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(tr("取消"), this);
    cancel->setObjectName(QStringLiteral("cancel_bt"));
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    connect(ok, &QPushButton::clicked, this, &DialogChangePriority::on_ok_bt_clicked);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    setMinimumWidth(UiScale::px(260));
}

QString DialogChangePriority::tipText() const
{
    return m_tip->text();
}

void DialogChangePriority::on_ok_bt_clicked()
{
    int priority = 0;
    if (!LevelConversion::priorityFromText(m_field->text(), &priority)) {
        m_tip->setText(tr("请输入规定的数字,范围0-255"));
        return;
    }
    m_tip->clear();
    emit changeData(priority);
    accept();
}

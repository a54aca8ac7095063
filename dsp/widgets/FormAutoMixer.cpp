#include "FormAutoMixer.h"

#include "UiScale.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

FormAutoMixer::FormAutoMixer(int limit, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FormAutoMixer"));
    setWindowTitle(QStringLiteral("AutoMixer"));
    setStyleSheet(QStringLiteral("QDialog{background:#1e2229;} QLabel{color:#d7dbe2;}"
                                 "QSpinBox{background:#2a2f38;color:#d7dbe2;border:1px solid #3a404b;}"));
    m_count = new QSpinBox(this);
    m_count->setObjectName(QStringLiteral("sb_count"));
    m_count->setRange(1, qMax(1, limit));
    m_count->setValue(qMin(4, qMax(1, limit)));
    m_count->setMinimumWidth(qMax(UiScale::px(80), 80));
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(tr("自动混音通道数量"), this));
    row->addWidget(m_count);
    auto* ok = new QPushButton(tr("确定"), this);
    ok->setObjectName(QStringLiteral("pb_ok"));
    auto* cancel = new QPushButton(tr("取消"), this);
    cancel->setObjectName(QStringLiteral("pb_cancel"));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cancel);
    buttons->addWidget(ok);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addLayout(buttons);
}

int FormAutoMixer::count() const
{
    return m_count->value();
}

void FormAutoMixer::setCount(int count)
{
    m_count->setValue(count);
}

int FormAutoMixer::ask(int limit, QWidget* parent)
{
    if (limit < 1)
        return 0;
    FormAutoMixer form(limit, parent);
    return form.exec() == QDialog::Accepted ? form.count() : 0;
}

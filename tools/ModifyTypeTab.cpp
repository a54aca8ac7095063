#include "ModifyTypeTab.h"

#include "ModifyTypePlan.h"
#include "UiScale.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

ModifyTypeTab::ModifyTypeTab(QWidget* parent)
    : QWidget(parent), m_device(new QComboBox(this)), m_type(new QLineEdit(this)), m_suffix(new QLineEdit(this)),
      m_i2s(new QCheckBox(tr("写入I2S配置"), this)), m_dsp(new QCheckBox(tr("写入DSP默认配置"), this)),
      m_rate(new QComboBox(this)), m_modify(new QPushButton(tr("修改"), this)), m_status(new QLabel(this))
{
    setObjectName(QStringLiteral("tab_modifyType"));
    m_device->setObjectName(QStringLiteral("cb_tab_mt_dev"));
    m_type->setObjectName(QStringLiteral("le_tab_mt_type"));
    m_suffix->setObjectName(QStringLiteral("le_tab_mt_suffix"));
    m_i2s->setObjectName(QStringLiteral("ck_tab_mt_i2s"));
    m_dsp->setObjectName(QStringLiteral("ck_tab_mt_dsp"));
    m_rate->setObjectName(QStringLiteral("cb_tab_mt_rate"));
    m_modify->setObjectName(QStringLiteral("pb_tab_mt_modify"));
    m_status->setObjectName(QStringLiteral("lb_tab_mt_status"));

    // The tool takes both as bare arguments.
    const QRegularExpression safe(QStringLiteral("[0-9A-Za-z_-]{0,12}"));
    m_type->setValidator(new QRegularExpressionValidator(safe, this));
    m_type->setMaxLength(ModifyTypePlan::kMaxTypeChars);
    m_type->setPlaceholderText(tr("只能包含数字、字符、-、_，长度不能超过12"));
    m_suffix->setValidator(new QRegularExpressionValidator(safe, this));
    m_suffix->setMaxLength(ModifyTypePlan::kMaxSuffixChars);
    m_rate->addItem(QStringLiteral("48000"), 48000);
    m_rate->addItem(QStringLiteral("96000"), 96000);
    m_device->setMinimumWidth(UiScale::px(300));

    auto* form = new QFormLayout;
    form->addRow(tr("设备："), m_device);
    form->addRow(tr("设备类型："), m_type);
    form->addRow(tr("设备ID后缀："), m_suffix);
    form->addRow(m_i2s);
    auto* dspRow = new QHBoxLayout;
    dspRow->addWidget(m_dsp);
    dspRow->addWidget(m_rate);
    dspRow->addStretch();
    form->addRow(dspRow);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_status, 1);
    buttons->addWidget(m_modify);
    layout->addLayout(buttons);
    layout->addStretch();
}

QString ModifyTypeTab::type() const
{
    return m_type->text().trimmed();
}

QString ModifyTypeTab::suffix() const
{
    return m_suffix->text().trimmed();
}

bool ModifyTypeTab::writeI2s() const
{
    return m_i2s->isChecked();
}

bool ModifyTypeTab::writeDsp() const
{
    return m_dsp->isChecked();
}

int ModifyTypeTab::dspRate() const
{
    return m_rate->currentData().toInt();
}

void ModifyTypeTab::setStatus(const QString& text)
{
    m_status->setText(text);
}

QString ModifyTypeTab::status() const
{
    return m_status->text();
}

void ModifyTypeTab::setBusy(bool busy)
{
    for (QWidget* w : {static_cast<QWidget*>(m_device), static_cast<QWidget*>(m_type), static_cast<QWidget*>(m_suffix),
                       static_cast<QWidget*>(m_i2s), static_cast<QWidget*>(m_dsp), static_cast<QWidget*>(m_rate),
                       static_cast<QWidget*>(m_modify)})
        w->setEnabled(!busy);
}

#include "NetStateItemForm.h"

#include <QHBoxLayout>
#include <QLabel>

NetStateItemForm::NetStateItemForm(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(8, 2, 8, 2);
    auto add = [&](const char* objectName) {
        auto* label = new QLabel(this);
        label->setObjectName(QLatin1String(objectName));
        layout->addWidget(label, 1);
        return label;
    };
    m_name = add("name_label");
    m_type = add("type_label");
    m_id = add("id_label");
    m_sampleRate = add("sampleRate_label");
    m_packetTime = add("packetTime_label");
    m_latency = add("latency_label");
    m_temperature = add("temperature_label");
    m_runningTime = add("runningTime_label");
    m_version = add("version_label");
}

void NetStateItemForm::setFields(const Fields& fields)
{
    m_fields = fields;
    m_type->setText(fields.type);
    m_id->setText(fields.devId);
    m_sampleRate->setText(fields.sampleRate);
    m_packetTime->setText(fields.packetTime);
    m_latency->setText(fields.latency);
    m_temperature->setText(fields.temperature);
    m_runningTime->setText(fields.runningTime);
    m_version->setText(fields.version);
    updateNameLabel();
}

void NetStateItemForm::setWarning(const QString& text)
{
    m_warning = text;
    updateNameLabel();
}

QString NetStateItemForm::nameText() const
{
    return m_name->text();
}

void NetStateItemForm::updateNameLabel()
{
    m_name->setText(m_warning.isEmpty() ? m_fields.name : m_warning);
    m_name->setStyleSheet(m_warning.isEmpty() ? QString() : QStringLiteral("color: red;"));
}

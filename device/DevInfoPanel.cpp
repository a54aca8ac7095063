#include "DevInfoPanel.h"

#include "AppState.h"
#include "ReplyFields.h"
#include "ServiceRequests.h"

#include <QFormLayout>
#include <QLabel>

namespace {

/// Texts from the network are shown cut to this many characters, on one line.
constexpr int kMaxShown = 64;

QString shown(const QString& text)
{
    QString t = text.simplified();
    if (t.size() > kMaxShown)
        t = t.left(kMaxShown) + QStringLiteral("…");
    return t.isEmpty() ? QStringLiteral("-") : t;
}

} // namespace

DevInfoPanel::DevInfoPanel(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("devInfoPanel"));
    m_oem = value("oem_label");
    m_version = value("version_value");
    m_model = value("model_value");
    m_temp = value("temp_value");
    m_uptime = value("uptime_value");
    m_mac = value("mac_value");
    m_cpu = value("cpu_value");
    auto* form = new QFormLayout(this);
    form->setContentsMargins(0, 0, 0, 0);
    form->addRow(QStringLiteral("OEM:"), m_oem);
    form->addRow(QStringLiteral("Version:"), m_version);
    form->addRow(AppState::pick(QStringLiteral("型号:"), QStringLiteral("Model:")), m_model);
    form->addRow(QStringLiteral("Temperature:"), m_temp);
    form->addRow(AppState::pick(QStringLiteral("运行时间:"), QStringLiteral("Elapsed Time:")), m_uptime);
    form->addRow(tr("Mac地址:"), m_mac);
    form->addRow(QStringLiteral("CurCpuFreq:"), m_cpu);
    // Only amplifiers have the module; the row appears with its first answer.
    m_module = value("module2_value");
    m_module->setText(QString());
    m_moduleLabel =
        new QLabel(AppState::pick(QStringLiteral("功放模块2:"), QStringLiteral("Amplifier module 2:")), this);
    form->addRow(m_moduleLabel, m_module);
    m_moduleLabel->hide();
    m_module->hide();
}

QLabel* DevInfoPanel::value(const char* name)
{
    auto* l = new QLabel(QStringLiteral("-"), this);
    l->setObjectName(QLatin1String(name));
    l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return l;
}

void DevInfoPanel::setIdentity(const QString& firmware, const QString& build, const QString& oemCode,
                               const QString& model, const QString& mac)
{
    m_version->setText(build.isEmpty() ? shown(firmware) : shown(firmware + QStringLiteral(" (") + build + ')'));
    m_oem->setText(shown(oemCode));
    m_model->setText(shown(model));
    m_mac->setText(shown(mac));
}

void DevInfoPanel::handleReply(const QJsonObject& reply)
{
    using ReplyFields::text;
    const QString ops = text(reply, "ops");
    if (ReplyFields::failed(reply))
        return;
    if (ops == QLatin1String("getDebugInfo")) {
        if (reply.contains(QStringLiteral("temp")))
            m_temp->setText(ServiceRequests::temperatureText(text(reply, "temp")));
        if (reply.contains(QStringLiteral("uptime")))
            m_uptime->setText(ServiceRequests::uptimeText(text(reply, "uptime")));
        if (reply.contains(QStringLiteral("model")))
            m_model->setText(shown(text(reply, "model")));
    } else if (ops == QLatin1String("getPowerGainInfo")) {
        const QString module = ServiceRequests::moduleSummary(reply);
        if (module.isEmpty())
            return;
        m_module->setText(module);
        m_moduleLabel->show();
        m_module->show();
    } else if (ops == QLatin1String("getOemData") && text(reply, "name").trimmed() == QLatin1String("cpuKHz")) {
        bool ok = false;
        const qlonglong khz = text(reply, "val").trimmed().toLongLong(&ok);
        m_cpu->setText(ok && khz > 0 && khz < 100000000 ? QString::number(khz) + QStringLiteral(" kHz")
                                                        : QStringLiteral("Default"));
    }
}

QString DevInfoPanel::versionText() const
{
    return m_version->text();
}

QString DevInfoPanel::moduleText() const
{
    return m_module->text();
}

QString DevInfoPanel::uptimeText() const
{
    return m_uptime->text();
}

QString DevInfoPanel::temperatureText() const
{
    return m_temp->text();
}

QString DevInfoPanel::cpuText() const
{
    return m_cpu->text();
}

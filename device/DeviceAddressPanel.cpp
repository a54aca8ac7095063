#include "DeviceAddressPanel.h"

#include "AppState.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QJsonDocument>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>

namespace {

constexpr int kAutomatic = 0;
constexpr int kManual = 1;

QString defaultMask()
{
    return QStringLiteral("255.255.255.0");
}

} // namespace

DeviceAddressPanel::DeviceAddressPanel(const QString& devId, QWidget* parent)
    : QWidget(parent), m_devId(devId), m_random([] { return QRandomGenerator::global()->generate(); })
{
    setObjectName(QStringLiteral("addressPanel"));
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);

    m_mode = new QComboBox(this);
    m_mode->setObjectName(QStringLiteral("ipMode_comb"));
    m_mode->addItems({tr("自动获取"), tr("手动设置")});
    grid->addWidget(new QLabel(tr("IP模式"), this), 0, 0);
    grid->addWidget(m_mode, 0, 1);

    m_ip = addField("ip_le", tr("IP地址"), 1);
    m_mask = addField("mask_le", tr("子网掩码"), 2);
    m_gateway = addField("gateway_le", tr("网关"), 3);
    m_dns = addField("dns_le", QStringLiteral("DNS"), 4);
    m_ip2 = addField("ip2_le", QStringLiteral("IP2"), 5);
    m_ip3 = addField("ip3_le", QStringLiteral("IP3"), 6);
    m_ip2Label = qobject_cast<QLabel*>(grid->itemAtPosition(5, 0)->widget());
    m_ip3Label = qobject_cast<QLabel*>(grid->itemAtPosition(6, 0)->widget());

    m_change = new QPushButton(tr("修改IP"), this);
    m_change->setObjectName(QStringLiteral("changeIp_bt"));
    m_reset = new QPushButton(tr("重置IP"), this);
    m_reset->setObjectName(QStringLiteral("pb_resetip"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_reset);
    buttons->addWidget(m_change);
    grid->addLayout(buttons, 7, 0, 1, 2);

    connect(m_change, &QPushButton::clicked, this, &DeviceAddressPanel::on_changeIp_bt_clicked);
    connect(m_reset, &QPushButton::clicked, this, &DeviceAddressPanel::on_pb_resetip_clicked);
    connect(m_mode, QOverload<int>::of(&QComboBox::activated), this, &DeviceAddressPanel::slot_modeActivated);
    setInterfaceCount(1);
    updateEditable();
}

QLineEdit* DeviceAddressPanel::addField(const char* objectName, const QString& label, int row)
{
    auto* grid = static_cast<QGridLayout*>(layout());
    auto* edit = new QLineEdit(this);
    edit->setObjectName(QLatin1String(objectName));
    edit->setMaxLength(18);
    grid->addWidget(new QLabel(label, this), row, 0);
    grid->addWidget(edit, row, 1);
    return edit;
}

void DeviceAddressPanel::setInterfaceCount(int count)
{
    m_interfaces = count;
    const bool three = count == 3;
    for (QWidget* w : {static_cast<QWidget*>(m_ip2), static_cast<QWidget*>(m_ip3), static_cast<QWidget*>(m_ip2Label),
                       static_cast<QWidget*>(m_ip3Label)})
        w->setVisible(three);
}

void DeviceAddressPanel::updateEditable()
{
    const bool manual = m_mode->currentIndex() == kManual;
    for (QLineEdit* e : {m_ip, m_mask, m_gateway, m_dns, m_ip2, m_ip3})
        e->setReadOnly(!manual);
}

void DeviceAddressPanel::fillFromDetail(const DevDetail_t& detail)
{
    m_current.isFixedIp = detail.isFixedIp != 0 ? 1 : 0;
    m_current.ip = detail.fixedIp.isEmpty() ? AddressChecks::quadText(detail.ip) : detail.fixedIp;
    m_current.gateway = detail.gateway;
    m_current.dns = detail.dns;
    m_mode->setCurrentIndex(m_current.isFixedIp);
    m_ip->setText(m_current.ip.section(QLatin1Char('/'), 0, 0));
    if (m_mask->text().isEmpty())
        m_mask->setText(defaultMask());
    m_gateway->setText(m_current.gateway);
    m_dns->setText(m_current.dns);
    updateEditable();
}

void DeviceAddressPanel::fillFromReply(const QJsonObject& reply)
{
    const QString fixed = reply.value(QStringLiteral("fixedIp")).toString();
    m_current.isFixedIp = fixed.toInt() != 0 ? 1 : 0;
    const QString ip = reply.value(QStringLiteral("ip")).toString().trimmed();
    // A device may answer "a.b.c.d/prefix"; the mask then comes with it.
    const int slash = ip.indexOf(QLatin1Char('/'));
    QString mask = reply.value(QStringLiteral("mask")).toString().trimmed();
    if (slash >= 0 && mask.isEmpty())
        mask = AddressChecks::maskForPrefix(ip.mid(slash + 1).toInt());
    m_current.ip = slash >= 0 ? ip.left(slash) : ip;
    m_current.gateway = reply.value(QStringLiteral("gw")).toString().trimmed();
    m_current.dns = reply.value(QStringLiteral("dns")).toString().trimmed();
    m_current.ip2 = m_ip2->text().trimmed();
    m_current.ip3 = m_ip3->text().trimmed();
    m_mode->setCurrentIndex(m_current.isFixedIp);
    m_ip->setText(m_current.ip);
    if (!mask.isEmpty())
        m_mask->setText(mask);
    else if (m_mask->text().isEmpty())
        m_mask->setText(defaultMask());
    m_gateway->setText(m_current.gateway);
    m_dns->setText(m_current.dns);
    updateEditable();
}

AddressChecks::Input DeviceAddressPanel::input() const
{
    AddressChecks::Input in;
    in.isFixedIp = m_mode->currentIndex() == kManual ? 1 : 0;
    in.ip = m_ip->text();
    in.mask = m_mask->text();
    in.gateway = m_gateway->text();
    in.dns = m_dns->text();
    in.ip2 = m_ip2->text();
    in.ip3 = m_ip3->text();
    return in;
}

QLineEdit* DeviceAddressPanel::fieldOf(AddressChecks::Field field) const
{
    switch (field) {
    case AddressChecks::IpField:
        return m_ip;
    case AddressChecks::MaskField:
        return m_mask;
    case AddressChecks::GatewayField:
        return m_gateway;
    case AddressChecks::DnsField:
        return m_dns;
    case AddressChecks::Ip2Field:
        return m_ip2;
    case AddressChecks::Ip3Field:
        return m_ip3;
    default:
        return nullptr;
    }
}

void DeviceAddressPanel::send(const QJsonObject& msg)
{
    emit sendChangeData(QString::fromUtf8(QJsonDocument(msg).toJson(QJsonDocument::Compact)));
}

void DeviceAddressPanel::on_changeIp_bt_clicked()
{
    const AddressChecks::Outcome out = AddressChecks::evaluate(input(), m_current, m_devId, m_interfaces);
    if (out.stage == AddressChecks::Refused) {
        emit signal_showTips(out.tip);
        if (QLineEdit* field = fieldOf(out.focus))
            field->setFocus();
        return;
    }
    if (out.mismatch && !(m_ask && m_ask(tr("ip地址和子网掩码可能不匹配，是否确认修改？"))))
        return;
    if (out.stage == AddressChecks::Unchanged) {
        emit signal_showTips(out.tip);
        return;
    }
    for (const QJsonObject& msg : out.requests)
        send(msg);
}

void DeviceAddressPanel::slot_modeActivated(int index)
{
    if (index == kAutomatic && m_current.isFixedIp != 0) {
        setAutoIp();
        return;
    }
    updateEditable();
}

void DeviceAddressPanel::setAutoIp()
{
    if (!(m_ask && m_ask(tr("是否切换到自动ip？")))) {
        m_mode->setCurrentIndex(m_current.isFixedIp);
        updateEditable();
        return;
    }
    for (const QJsonObject& msg : AddressChecks::autoIpRequests(m_devId, m_interfaces))
        send(msg);
    updateEditable();
    emit signal_showTips(AppState::pick(QStringLiteral("已设置，请关闭页面刷新设备"),
                                        QStringLiteral("Please close the page and refresh the device.")));
}

void DeviceAddressPanel::on_pb_resetip_clicked()
{
    const QString address = AddressChecks::resetAddress(m_random);
    if (!(m_ask && m_ask(tr("设置固定IP地址为:") + address + tr(", 是否确认？"))))
        return;
    send(AddressChecks::resetRequest(m_devId, address));
    emit signal_showTips(tr("重置IP后，请手动刷新设备列表"));
}

#include "AddressChecks.h"

#include "DevManager.h"

#include <QCoreApplication>
#include <QStringList>

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("AddressChecks", text);
}

QString str(int v)
{
    return QString::number(v);
}

QString withoutPrefix(const QString& ip)
{
    const QString t = ip.trimmed();
    const int slash = t.indexOf(QLatin1Char('/'));
    return slash < 0 ? t : t.left(slash);
}

QJsonObject setIp(const QString& devId, int isFixedIp, const QString& ip, const QString& gateway, const QString& dns)
{
    QJsonObject o;
    o.insert(QStringLiteral("ops"), QStringLiteral("setIp"));
    o.insert(QStringLiteral("devId"), devId);
    o.insert(QStringLiteral("isFixedIp"), str(isFixedIp));
    o.insert(QStringLiteral("ip"), ip);
    o.insert(QStringLiteral("gateway"), gateway);
    o.insert(QStringLiteral("dns"), dns);
    return o;
}

AddressChecks::Outcome refuse(const QString& tip, AddressChecks::Field focus)
{
    AddressChecks::Outcome o;
    o.stage = AddressChecks::Refused;
    o.tip = tip;
    o.focus = focus;
    return o;
}

} // namespace

bool AddressChecks::parseQuad(const QString& text, uint32_t* out)
{
    const QStringList parts = text.trimmed().split(QLatin1Char('.'));
    if (parts.size() != 4)
        return false;
    uint32_t v = 0;
    for (const QString& p : parts) {
        // Digits only: toUInt would take "+1" or " 1", and three digits are enough for 255.
        if (p.isEmpty() || p.size() > 3)
            return false;
        for (const QChar c : p) {
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return false;
        }
        const uint32_t part = p.toUInt();
        if (part > 255)
            return false;
        v = (v << 8) | part;
    }
    if (out)
        *out = v;
    return true;
}

QString AddressChecks::quadText(uint32_t ip)
{
    return dvm_ipToString(ip);
}

int AddressChecks::prefixLength(const QString& mask)
{
    uint32_t m = 0;
    if (!parseQuad(mask, &m))
        return -1;
    int prefix = 0;
    while (prefix < 32 && (m & (0x80000000u >> prefix)) != 0)
        ++prefix;
    // Any one bit after the first zero makes it no mask at all.
    const uint32_t expected = prefix == 0 ? 0u : (0xFFFFFFFFu << (32 - prefix));
    return m == expected ? prefix : -1;
}

QString AddressChecks::maskForPrefix(int prefix)
{
    if (prefix < 0 || prefix > 32)
        return QString();
    return quadText(prefix == 0 ? 0u : (0xFFFFFFFFu << (32 - prefix)));
}

QString AddressChecks::derivedGateway(const QString& gateway, int k)
{
    uint32_t g = 0;
    if (!parseQuad(gateway, &g))
        return gateway.trimmed();
    const uint32_t third = (((g >> 8) & 0xFF) + uint32_t(k - 1)) & 0xFF;
    return quadText((g & 0xFFFF00FFu) | (third << 8));
}

AddressChecks::Outcome AddressChecks::evaluate(const Input& raw, const Current& current, const QString& devId,
                                               int interfaceCount)
{
    Input in = raw;
    in.ip = in.ip.trimmed();
    in.mask = in.mask.trimmed();
    in.gateway = in.gateway.trimmed();
    in.dns = in.dns.trimmed();
    in.ip2 = in.ip2.trimmed();
    in.ip3 = in.ip3.trimmed();
    const bool three = interfaceCount == 3;

    // 1. Nothing may be blank.
    if (in.ip.isEmpty())
        return refuse(tr("ip不能为空"), IpField);
    if (in.mask.isEmpty())
        return refuse(tr("子网掩码不能为空"), MaskField);
    if (in.dns.isEmpty())
        return refuse(tr("DNS不能为空"), DnsField);
    if (in.gateway.isEmpty())
        return refuse(tr("网关不能为空"), GatewayField);

    // 2. Only unicast classes A to C make a device address.
    const int first = in.ip.section(QLatin1Char('.'), 0, 0).toInt();
    if (first < 1 || first > 223)
        return refuse(QStringLiteral("Valid: 1-223"), IpField);

    // 3. Four parts of at most 255 each.
    uint32_t ip = 0;
    if (!parseQuad(in.ip, &ip))
        return refuse(tr("请输入正确的IP，范围0-255"), IpField);
    if (three && !parseQuad(in.ip2, nullptr))
        return refuse(tr("请输入正确的IP2，范围0-255"), Ip2Field);
    if (three && !parseQuad(in.ip3, nullptr))
        return refuse(tr("请输入正确的IP3，范围0-255"), Ip3Field);
    const QString maskTip = tr("请输入正确的子网掩码，范围0-255");
    if (!parseQuad(in.mask, nullptr))
        return refuse(maskTip, MaskField);
    if (!parseQuad(in.dns, nullptr))
        return refuse(tr("请输入正确的DNS，范围0-255"), DnsField);
    if (!parseQuad(in.gateway, nullptr))
        return refuse(tr("请输入正确的网关，范围0-255"), GatewayField);

    // 4. The mask must be a run of leading ones.
    const int prefix = prefixLength(in.mask);
    if (prefix < 0)
        return refuse(maskTip, MaskField);

    Outcome out;
    out.prefixLength = prefix;
    // 5. An address that is its subnet's network or broadcast address (or a mask of nothing) is
    // probably a typing error; the user may still insist.
    if (prefix == 0) {
        out.mismatch = true;
    } else if (prefix <= 30) {
        const uint32_t host = ip & ~(0xFFFFFFFFu << (32 - prefix));
        out.mismatch = host == 0 || host == (~(0xFFFFFFFFu << (32 - prefix)));
    }

    // 6. Nothing changed.
    bool same = in.isFixedIp == current.isFixedIp && in.ip == withoutPrefix(current.ip) &&
                in.gateway == current.gateway.trimmed() && in.dns == current.dns.trimmed();
    if (three)
        same = same && in.ip2 == withoutPrefix(current.ip2) && in.ip3 == withoutPrefix(current.ip3);
    if (same) {
        out.stage = Unchanged;
        out.tip = tr("IP地址未修改");
        return out;
    }

    // 7. The requests: one per interface.
    const QString suffix = QStringLiteral("/") + str(prefix);
    out.stage = Ready;
    out.requests.append(setIp(devId, in.isFixedIp, in.ip + suffix, in.gateway, in.dns));
    if (three) {
        out.requests.append(
            setIp(devId + QStringLiteral(":2"), in.isFixedIp, in.ip2 + suffix, derivedGateway(in.gateway, 2), in.dns));
        out.requests.append(
            setIp(devId + QStringLiteral(":3"), in.isFixedIp, in.ip3 + suffix, derivedGateway(in.gateway, 3), in.dns));
    }
    return out;
}

QVector<QJsonObject> AddressChecks::autoIpRequests(const QString& devId, int interfaceCount)
{
    QVector<QJsonObject> out;
    auto add = [&out](const QString& id) {
        QJsonObject o;
        o.insert(QStringLiteral("ops"), QStringLiteral("setIp"));
        o.insert(QStringLiteral("devId"), id);
        o.insert(QStringLiteral("isFixedIp"), QStringLiteral("0"));
        out.append(o);
    };
    add(devId);
    if (interfaceCount == 3) {
        add(devId + QStringLiteral(":2"));
        add(devId + QStringLiteral(":3"));
    }
    return out;
}

QString AddressChecks::resetAddress(const std::function<uint32_t()>& random)
{
    const uint32_t x = random() % 252 + 2;
    const uint32_t y = random() % 252 + 2;
    return QStringLiteral("169.254.%1.%2/16").arg(x).arg(y);
}

QJsonObject AddressChecks::resetRequest(const QString& devId, const QString& address)
{
    return setIp(devId, 1, address, QStringLiteral("169.254.0.1"), QStringLiteral("114.114.114.114"));
}

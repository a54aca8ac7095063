#include "LocalInterfaces.h"

#include <QNetworkInterface>

namespace LocalInterfaces {

bool carries(uint32_t ip)
{
    const QHostAddress wanted(ip);
    for (const QHostAddress& a : QNetworkInterface::allAddresses()) {
        if (a.protocol() == QAbstractSocket::IPv4Protocol && a == wanted)
            return true;
    }
    return false;
}

QList<uint32_t> usableIpv4()
{
    QList<uint32_t> out;
    for (const QNetworkInterface& iface : QNetworkInterface::allInterfaces()) {
        const auto flags = iface.flags();
        if (!(flags & QNetworkInterface::IsUp) || (flags & QNetworkInterface::IsLoopBack))
            continue;
        for (const QNetworkAddressEntry& e : iface.addressEntries()) {
            if (e.ip().protocol() == QAbstractSocket::IPv4Protocol)
                out.append(e.ip().toIPv4Address());
        }
    }
    return out;
}

} // namespace LocalInterfaces

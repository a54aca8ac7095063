#include "NetInterfaceList.h"

#include <QNetworkInterface>

namespace {

// Virtual-machine adapters carry addresses no device can reach.
bool isVirtualAdapter(const QString& humanName)
{
    const QString lower = humanName.toLower();
    return lower.contains(QLatin1String("vmware")) || lower.contains(QLatin1String("vethernet"));
}

} // namespace

QVector<NetInterfaceList::Entry> NetInterfaceList::build(const QVector<Interface>& interfaces)
{
    QVector<Entry> out;
    for (const Interface& iface : interfaces) {
        if (!iface.up || !iface.running || iface.loopback || isVirtualAdapter(iface.humanName))
            continue;
        for (const QString& ip : iface.ipv4) {
            if (ip == QLatin1String("127.0.0.1"))
                continue;
            out.append(Entry{ip, iface.humanName});
        }
    }
    return out;
}

QVector<NetInterfaceList::Interface> NetInterfaceList::hostInterfaces()
{
    QVector<Interface> out;
    for (const QNetworkInterface& ni : QNetworkInterface::allInterfaces()) {
        Interface iface;
        iface.humanName = ni.humanReadableName();
        const auto flags = ni.flags();
        iface.up = flags.testFlag(QNetworkInterface::IsUp);
        iface.running = flags.testFlag(QNetworkInterface::IsRunning);
        iface.loopback = flags.testFlag(QNetworkInterface::IsLoopBack);
        for (const QNetworkAddressEntry& e : ni.addressEntries()) {
            if (e.ip().protocol() == QAbstractSocket::IPv4Protocol)
                iface.ipv4.append(e.ip().toString());
        }
        out.append(iface);
    }
    return out;
}

QVector<NetInterfaceList::Entry> NetInterfaceList::fromHost()
{
    return build(hostInterfaces());
}

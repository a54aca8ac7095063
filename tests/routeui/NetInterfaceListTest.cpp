#include "NetInterfaceList.h"

#include <gtest/gtest.h>

namespace {

using Iface = NetInterfaceList::Interface;
using Entry = NetInterfaceList::Entry;

Iface iface(const QString& name, QStringList ips, bool up = true, bool running = true, bool loopback = false)
{
    Iface i;
    i.humanName = name;
    i.ipv4 = std::move(ips);
    i.up = up;
    i.running = running;
    i.loopback = loopback;
    return i;
}

TEST(NetInterfaceList, KeepsOnlyUsableAddressesOfRealAdapters)
{
    const QVector<Iface> host{
        iface(QStringLiteral("lo"), {QStringLiteral("127.0.0.1")}, true, true, true),
        iface(QStringLiteral("Ethernet"), {QStringLiteral("192.168.1.20"), QStringLiteral("10.1.0.5")}),
        iface(QStringLiteral("VMware Network Adapter VMnet8"), {QStringLiteral("192.168.56.1")}),
        iface(QStringLiteral("vEthernet (WSL)"), {QStringLiteral("172.20.0.1")}),
        iface(QStringLiteral("Wi-Fi"), {QStringLiteral("192.168.2.9")}, true, false), // up, cable out
        iface(QStringLiteral("eth2"), {QStringLiteral("192.168.3.9")}, false, false),
        // A loopback address on an interface that does not say it is one.
        iface(QStringLiteral("tap0"), {QStringLiteral("127.0.0.1"), QStringLiteral("192.168.4.4")}),
    };
    const QVector<Entry> expected{
        {QStringLiteral("192.168.1.20"), QStringLiteral("Ethernet")},
        {QStringLiteral("10.1.0.5"), QStringLiteral("Ethernet")},
        {QStringLiteral("192.168.4.4"), QStringLiteral("tap0")},
    };
    EXPECT_EQ(NetInterfaceList::build(host), expected);
    EXPECT_TRUE(NetInterfaceList::build({}).isEmpty());
    EXPECT_TRUE(NetInterfaceList::build({iface(QStringLiteral("eth0"), {})}).isEmpty());
}

} // namespace

#pragma once
#include <QString>
#include <QStringList>
#include <QVector>

/// The local IPv4 addresses the controller may work on.
class NetInterfaceList
{
public:
    /// One candidate: dotted address and the interface's human-readable name.
    struct Entry
    {
        QString ip;
        QString interfaceName;
        bool operator==(const Entry& o) const { return ip == o.ip && interfaceName == o.interfaceName; }
        bool operator!=(const Entry& o) const { return !(*this == o); }
    };

    /// What the list needs to know of one host interface.
    struct Interface
    {
        QString humanName;
        bool up = false;
        bool running = false;
        bool loopback = false;
        QStringList ipv4; ///< dotted addresses
    };

    /// Candidates of the given interfaces, in order: interfaces that are not both up and running,
    /// loopback interfaces and virtual-machine adapters (name containing "vmware" or "vethernet", any
    /// case) are skipped, and so is the address "127.0.0.1".
    static QVector<Entry> build(const QVector<Interface>& interfaces);
    /// The host's interfaces as the operating system reports them.
    static QVector<Interface> hostInterfaces();
    /// build(hostInterfaces()).
    static QVector<Entry> fromHost();
};

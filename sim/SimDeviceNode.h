#pragma once

#include <QByteArray>
#include <QObject>
#include <QUdpSocket>

class SimNetwork;

/// The sockets of one device: the command socket on its own address and command port, and a sending
/// socket on its own address for its multicasts (interface pinned to that address, TTL 1).
class SimDeviceNode : public QObject
{
    Q_OBJECT
public:
    SimDeviceNode(SimNetwork& network, int index, QObject* parent = nullptr);

    /// Binds both sockets; false with `error` when the address is on no interface or the port is taken.
    bool open(QString* error);
    /// Sends one datagram to a multicast group from the device's own address.
    void sendMulticast(const QByteArray& payload, quint32 group, quint16 port);

private slots:
    void handleReadyRead();

private:
    SimNetwork& m_network;
    int m_index;
    QUdpSocket m_command;
    QUdpSocket m_sender;
};

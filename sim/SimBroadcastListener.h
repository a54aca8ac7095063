#pragma once

#include <QObject>
#include <QUdpSocket>

class SimNetwork;

/// The one listener per process for settings requests sent as broadcasts ("setIp" to 255.255.255.255): bound to
/// any address on the settings port, shared with the devices' own sockets there. A request reaches the device
/// named by its "devId", which answers from its own address.
class SimBroadcastListener : public QObject
{
    Q_OBJECT
public:
    explicit SimBroadcastListener(SimNetwork& network, QObject* parent = nullptr);

    /// Binds 0.0.0.0:port (shared); false with `error` when the port cannot be shared.
    bool open(quint16 port, QString* error);

private slots:
    void handleReadyRead();

private:
    SimNetwork& m_network;
    QUdpSocket m_socket;
};

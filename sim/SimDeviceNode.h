#pragma once

#include "SimCommandHandlers.h"

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QUdpSocket>

#include <memory>
#include <vector>

class SimDspService;
class SimNetwork;

/// The sockets of one device, all on its own address: the command socket on its command port, one socket per
/// fixed service port (9994, 9995, 8999, 9992, 9993, 12000, 12001, 12002 and the serial tunnel on 7999), and a sending
/// socket for its multicasts (interface pinned to that address, TTL 1). A device with a secondary unit also holds a
/// socket on the unit's address when that address exists on an interface. A DSP model also listens on TCP 8999
/// (SimDspService).
class SimDeviceNode : public QObject
{
    Q_OBJECT
public:
    SimDeviceNode(SimNetwork& network, int index, QObject* parent = nullptr);
    ~SimDeviceNode() override;

    /// Binds the sockets; false with `error` when the address is on no interface or a port is taken.
    bool open(QString* error);
    /// Sends one datagram to a multicast group from the device's own address.
    void sendMulticast(const QByteArray& payload, quint32 group, quint16 port);
    /// Sends the secondary unit's probe answer, from the unit's address when it exists here.
    void sendProbeAnswer(const QByteArray& payload, const QHostAddress& to, quint16 port);
    /// Sends from the socket that serves `services` (the first such socket).
    void sendFrom(SimServices services, const QByteArray& payload, const QHostAddress& to, quint16 port);
    /// True when probe answers leave from the secondary unit's own address.
    bool hasSecondarySocket() const { return m_secondary != nullptr; }

private:
    struct Service
    {
        std::unique_ptr<QUdpSocket> socket;
        SimServices services;
    };
    bool bindService(quint16 port, SimServices services, QString* error);
    void handleReadyRead(QUdpSocket* socket, SimServices services);

    SimNetwork& m_network;
    int m_index;
    std::vector<Service> m_services;
    QUdpSocket m_sender;
    std::unique_ptr<QUdpSocket> m_secondary;
    std::unique_ptr<SimDspService> m_dsp;
};

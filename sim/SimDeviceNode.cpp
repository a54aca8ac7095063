#include "SimDeviceNode.h"

#include "SimDspService.h"
#include "SimFactoryCommands.h"
#include "SimLog.h"
#include "SimNetwork.h"

#include <QNetworkDatagram>

#include <netinet/in.h>
#include <sys/socket.h>

SimDeviceNode::SimDeviceNode(SimNetwork& network, int index, QObject* parent)
    : QObject(parent), m_network(network), m_index(index)
{
}

SimDeviceNode::~SimDeviceNode() = default;

bool SimDeviceNode::bindService(quint16 port, SimServices services, QString* error)
{
    const SimDevice& dev = m_network.device(m_index);
    auto socket = std::make_unique<QUdpSocket>();
    // The settings port is shared with the one listener for broadcasts on any address.
    const QAbstractSocket::BindMode mode = (services & SimServiceSettings)
                                               ? QAbstractSocket::ShareAddress | QAbstractSocket::ReuseAddressHint
                                               : QAbstractSocket::DefaultForPlatform;
    if (!socket->bind(QHostAddress(dev.ip()), port, mode)) {
        *error = QStringLiteral("%1: cannot bind %2:%3: %4")
                     .arg(dev.devId(), SimDeviceConfig::ipText(dev.ip()))
                     .arg(port)
                     .arg(socket->errorString());
        return false;
    }
    QUdpSocket* raw = socket.get();
    connect(raw, &QUdpSocket::readyRead, this, [this, raw, services] { handleReadyRead(raw, services); });
    m_services.push_back({std::move(socket), services});
    return true;
}

bool SimDeviceNode::open(QString* error)
{
    const SimDevice& dev = m_network.device(m_index);
    const QHostAddress own(dev.ip());
    // A command port equal to a service port is one socket serving both.
    const struct
    {
        quint16 port;
        SimServiceFlag service;
    } fixed[] = {{SimNetwork::kSettingsPort, SimServiceSettings},
                 {SimNetwork::kLockPort, SimServiceLock},
                 {SimNetwork::kDspPort, SimServiceDsp},
                 {SimNetwork::kAmpPort, SimServiceAmp},
                 {SimNetwork::kCfgPort, SimServiceCfg},
                 {SimNetwork::kAmpModulePort, SimServiceAmpModule},
                 {SimNetwork::kTunnelPort, SimServiceTunnel},
                 {SimNetwork::kFactoryPort, SimServiceFactory},
                 {SimNetwork::kAmpModule2Port, SimServiceAmpModule2}};
    SimServices onCommand = SimServiceCommand;
    for (const auto& f : fixed)
        if (f.port == dev.port())
            onCommand |= f.service;
    if (!bindService(dev.port(), onCommand, error))
        return false;
    for (const auto& f : fixed)
        if (f.port != dev.port() && !bindService(f.port, f.service, error))
            return false;
    if (dev.config().hasDsp()) {
        m_dsp = std::make_unique<SimDspService>(m_network, m_index);
        if (!m_dsp->open(error))
            return false;
    }
    if (!m_sender.bind(own, 0)) {
        *error = QStringLiteral("%1: cannot bind %2: %3").arg(dev.devId(), own.toString(), m_sender.errorString());
        return false;
    }
    m_sender.setSocketOption(QAbstractSocket::MulticastTtlOption, 1);
    // Listeners on this host (a controller beside the simulator) must hear the device too.
    m_sender.setSocketOption(QAbstractSocket::MulticastLoopbackOption, 1);
    // Several devices may share one interface: pin the outgoing interface by the device's own address.
    in_addr ifAddr{};
    ifAddr.s_addr = htonl(dev.ip());
    if (::setsockopt(static_cast<int>(m_sender.socketDescriptor()), IPPROTO_IP, IP_MULTICAST_IF, &ifAddr,
                     sizeof(ifAddr)) != 0)
        qCWarning(lcSim) << dev.devId() << "cannot choose the multicast interface of" << own.toString();

    if (!dev.secondaryHostName().isEmpty()) {
        // The unit's address is optional on the host: without it the answer leaves from the device's address.
        auto secondary = std::make_unique<QUdpSocket>();
        if (secondary->bind(QHostAddress(dev.config().secondaryIp), 0))
            m_secondary = std::move(secondary);
        else
            qCDebug(lcSim) << dev.devId() << "answers the probe from its own address";
    }
    return true;
}

void SimDeviceNode::sendMulticast(const QByteArray& payload, quint32 group, quint16 port)
{
    if (m_sender.writeDatagram(payload, QHostAddress(group), port) < 0)
        qCDebug(lcSim) << m_network.device(m_index).devId() << "multicast failed:" << m_sender.errorString();
}

void SimDeviceNode::sendProbeAnswer(const QByteArray& payload, const QHostAddress& to, quint16 port)
{
    QUdpSocket& s = m_secondary ? *m_secondary : m_sender;
    if (s.writeDatagram(payload, to, port) < 0)
        qCDebug(lcSim) << m_network.device(m_index).devId() << "probe answer failed:" << s.errorString();
}

void SimDeviceNode::sendFrom(SimServices services, const QByteArray& payload, const QHostAddress& to, quint16 port)
{
    for (Service& s : m_services)
        if (s.services & services) {
            if (s.socket->writeDatagram(payload, to, port) < 0)
                qCDebug(lcSim) << m_network.device(m_index).devId() << "send failed:" << s.socket->errorString();
            return;
        }
}

void SimDeviceNode::handleReadyRead(QUdpSocket* socket, SimServices services)
{
    while (socket->hasPendingDatagrams()) {
        const QNetworkDatagram d = socket->receiveDatagram();
        if (!d.isValid())
            continue;
        if (services & SimServiceTunnel) {
            const QByteArray echo = m_network.tunnelEcho(m_index, d.data());
            if (!echo.isEmpty())
                socket->writeDatagram(echo, d.senderAddress(), static_cast<quint16>(d.senderPort()));
            continue;
        }
        // The factory service also takes the SSH start, which is plain text.
        if ((services & SimServiceFactory) && SimFactoryCommands::isText(d.data())) {
            const QByteArray answer = SimFactoryCommands::handleText(m_network, m_index, d.data());
            if (!answer.isEmpty())
                socket->writeDatagram(answer, d.senderAddress(), static_cast<quint16>(d.senderPort()));
            continue;
        }
        // Answers leave from the socket the request came in on, so the asker sees the port it asked.
        for (const QByteArray& reply : m_network.handlers().handleDatagram(m_network, m_index, d.data(), services))
            socket->writeDatagram(reply, d.senderAddress(), static_cast<quint16>(d.senderPort()));
    }
}

#include "SimDeviceNode.h"

#include "SimLog.h"
#include "SimNetwork.h"

#include <QNetworkDatagram>

#include <netinet/in.h>
#include <sys/socket.h>

SimDeviceNode::SimDeviceNode(SimNetwork& network, int index, QObject* parent)
    : QObject(parent), m_network(network), m_index(index)
{
    connect(&m_command, &QUdpSocket::readyRead, this, &SimDeviceNode::handleReadyRead);
}

bool SimDeviceNode::open(QString* error)
{
    const SimDevice& dev = m_network.device(m_index);
    const QHostAddress own(dev.ip());
    if (!m_command.bind(own, dev.port())) {
        *error = QStringLiteral("%1: cannot bind %2:%3: %4")
                     .arg(dev.devId(), own.toString())
                     .arg(dev.port())
                     .arg(m_command.errorString());
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
    return true;
}

void SimDeviceNode::sendMulticast(const QByteArray& payload, quint32 group, quint16 port)
{
    if (m_sender.writeDatagram(payload, QHostAddress(group), port) < 0)
        qCDebug(lcSim) << m_network.device(m_index).devId() << "multicast failed:" << m_sender.errorString();
}

void SimDeviceNode::handleReadyRead()
{
    while (m_command.hasPendingDatagrams()) {
        const QNetworkDatagram d = m_command.receiveDatagram();
        if (!d.isValid() || m_network.device(m_index).isSilenced())
            continue;
        for (const QByteArray& reply : m_network.handlers().handleDatagram(m_network, m_index, d.data()))
            m_command.writeDatagram(reply, d.senderAddress(), static_cast<quint16>(d.senderPort()));
    }
}

#include "SimBroadcastListener.h"

#include "SimLog.h"
#include "SimNetwork.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkDatagram>

SimBroadcastListener::SimBroadcastListener(SimNetwork& network, QObject* parent) : QObject(parent), m_network(network)
{
    connect(&m_socket, &QUdpSocket::readyRead, this, &SimBroadcastListener::handleReadyRead);
}

bool SimBroadcastListener::open(quint16 port, QString* error)
{
    if (m_socket.bind(QHostAddress::AnyIPv4, port, QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint))
        return true;
    *error = QStringLiteral("cannot bind 0.0.0.0:%1: %2").arg(port).arg(m_socket.errorString());
    return false;
}

void SimBroadcastListener::handleReadyRead()
{
    while (m_socket.hasPendingDatagrams()) {
        const QNetworkDatagram d = m_socket.receiveDatagram();
        if (!d.isValid())
            continue;
        const QJsonObject message = QJsonDocument::fromJson(d.data()).object();
        // Only the device the request names may take it; the others never see it.
        const int index = m_network.indexOfDevId(message.value(QLatin1String("devId")).toString());
        if (index < 0)
            continue;
        for (const QByteArray& reply :
             m_network.handlers().handleDatagram(m_network, index, d.data(), SimServiceSettings))
            m_network.sendFromDevice(index, SimServiceSettings, reply, d.senderAddress(),
                                     static_cast<quint16>(d.senderPort()));
    }
}

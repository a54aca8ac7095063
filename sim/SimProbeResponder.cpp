#include "SimProbeResponder.h"

#include "SimLog.h"
#include "SimNetwork.h"

#include <QNetworkDatagram>

SimProbeResponder::SimProbeResponder(SimNetwork& network, QObject* parent) : QObject(parent), m_network(network)
{
    connect(&m_socket, &QUdpSocket::readyRead, this, &SimProbeResponder::handleReadyRead);
}

bool SimProbeResponder::open(quint16 port, QString* error)
{
    // Shared: the controller on the same host binds the same port to send its probe and read the answers.
    if (m_socket.bind(QHostAddress::AnyIPv4, port, QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint))
        return true;
    *error = QStringLiteral("cannot bind 0.0.0.0:%1: %2").arg(port).arg(m_socket.errorString());
    return false;
}

bool SimProbeResponder::isProbe(const QByteArray& datagram)
{
    QByteArray text = datagram;
    while (!text.isEmpty() && (text.endsWith('\0') || text.endsWith('\n') || text.endsWith('\r')))
        text.chop(1);
    return text == "AreYouMeridane?";
}

void SimProbeResponder::handleReadyRead()
{
    while (m_socket.hasPendingDatagrams()) {
        const QNetworkDatagram d = m_socket.receiveDatagram();
        // Our own answers come back here when the asker shares this host and port; they are not probes.
        if (!d.isValid() || !isProbe(d.data()))
            continue;
        const int answered = m_network.answerProbe(d.senderAddress(), static_cast<quint16>(d.senderPort()));
        qCDebug(lcSim) << "probe from" << d.senderAddress().toString() << "answered by" << answered << "units";
    }
}

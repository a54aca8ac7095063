#include "SimDspService.h"

#include "SimDspCommands.h"
#include "SimLog.h"
#include "SimNetwork.h"

#include <QTcpServer>
#include <QTcpSocket>

#include <algorithm>

namespace {

/// The live services, so the control line can reach the one of a device (a moved device has a new one).
std::vector<SimDspService*>& registry()
{
    static std::vector<SimDspService*> services;
    return services;
}

} // namespace

SimDspService::SimDspService(SimNetwork& network, int index, QObject* parent)
    : QObject(parent), m_network(network), m_index(index), m_server(new QTcpServer(this))
{
    connect(m_server, &QTcpServer::newConnection, this, &SimDspService::handleNewConnections);
    registry().push_back(this);
}

SimDspService::~SimDspService()
{
    auto& r = registry();
    r.erase(std::remove(r.begin(), r.end(), this), r.end());
    stop();
}

bool SimDspService::open(QString* error)
{
    if (!m_network.device(m_index).state().dsp.serviceOn)
        return true;
    return listen(error);
}

bool SimDspService::isListening() const
{
    return m_server->isListening();
}

bool SimDspService::listen(QString* error)
{
    if (m_server->isListening())
        return true;
    const SimDevice& dev = m_network.device(m_index);
    if (!m_server->listen(QHostAddress(dev.ip()), SimNetwork::kDspPort)) {
        *error = QStringLiteral("%1: cannot listen on %2:%3 (TCP): %4")
                     .arg(dev.devId(), SimDeviceConfig::ipText(dev.ip()))
                     .arg(SimNetwork::kDspPort)
                     .arg(m_server->errorString());
        return false;
    }
    return true;
}

void SimDspService::stop()
{
    m_server->close();
    while (!m_clients.empty())
        drop(m_clients.front().socket);
}

bool SimDspService::applySwitch(SimNetwork& network, int index)
{
    bool found = false;
    for (SimDspService* s : registry()) {
        if (&s->m_network != &network || s->m_index != index)
            continue;
        found = true;
        if (!network.device(index).state().dsp.serviceOn) {
            s->stop();
            continue;
        }
        QString error;
        if (!s->listen(&error))
            qCWarning(lcSim) << error;
    }
    return found;
}

void SimDspService::handleNewConnections()
{
    while (QTcpSocket* socket = m_server->nextPendingConnection()) {
        if (int(m_clients.size()) >= kMaxClients) {
            qCWarning(lcSim) << m_network.device(m_index).devId() << "refuses a DSP client: too many connections";
            socket->abort();
            socket->deleteLater();
            continue;
        }
        m_clients.push_back({socket, SimDspFramer(m_maxBytes)});
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { handleReadyRead(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] { drop(socket); });
    }
}

void SimDspService::handleReadyRead(QTcpSocket* socket)
{
    auto it =
        std::find_if(m_clients.begin(), m_clients.end(), [socket](const Client& c) { return c.socket == socket; });
    if (it == m_clients.end())
        return;
    QList<QByteArray> messages;
    const bool intact = it->framer.feed(socket->readAll(), &messages);
    for (const QByteArray& m : messages)
        for (const QByteArray& reply : SimDspCommands::handleTcp(m_network, m_index, m))
            socket->write(SimDspFramer::frame(reply));
    if (!intact) {
        qCWarning(lcSim) << m_network.device(m_index).devId() << "drops a DSP client that sent a bad length";
        socket->flush();
        drop(socket);
    }
}

void SimDspService::drop(QTcpSocket* socket)
{
    auto it =
        std::find_if(m_clients.begin(), m_clients.end(), [socket](const Client& c) { return c.socket == socket; });
    if (it == m_clients.end())
        return;
    m_clients.erase(it);
    // The socket may be in the middle of emitting a signal: let the event loop delete it.
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
}

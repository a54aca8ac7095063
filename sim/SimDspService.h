#pragma once

#include "SimDspFramer.h"

#include <QObject>

#include <memory>
#include <vector>

class QTcpServer;
class QTcpSocket;
class SimNetwork;

/// The TCP side of a DSP device's port 8999 on the device's own address: framed JSON requests from any number
/// of clients, each answered on its own connection (SimDspCommands). A client that sends a broken or oversized
/// length is dropped; the others are not affected.
class SimDspService : public QObject
{
    Q_OBJECT
public:
    /// Connections beyond this many are closed at once, so a runaway client cannot exhaust the process.
    static constexpr int kMaxClients = 32;

    SimDspService(SimNetwork& network, int index, QObject* parent = nullptr);
    ~SimDspService() override;

    /// Listens when the device's service is switched on; false with `error` when the port is taken.
    bool open(QString* error);
    bool isListening() const;
    int clientCount() const { return int(m_clients.size()); }
    /// Largest message accepted from a client (tests lower it).
    void setMaxMessage(int bytes) { m_maxBytes = bytes; }

    /// Brings every live service of device `index` in line with its state's switch: listens, or closes the
    /// listener and drops every client. Returns whether such a service exists (the network is started).
    static bool applySwitch(SimNetwork& network, int index);

private:
    struct Client
    {
        QTcpSocket* socket;
        SimDspFramer framer;
    };
    bool listen(QString* error);
    void stop();
    void handleNewConnections();
    void handleReadyRead(QTcpSocket* socket);
    void drop(QTcpSocket* socket);

    SimNetwork& m_network;
    int m_index;
    int m_maxBytes = SimDspFramer::kDefaultMaxBytes;
    QTcpServer* m_server;
    std::vector<Client> m_clients;
};

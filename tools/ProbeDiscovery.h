#pragma once
#include "TestProbeAnswer.h"

#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QTimer>

class QUdpSocket;

/// The test signal tool's discovery: "AreYouMeridane?" broadcast from every usable local interface, answers
/// gathered for a while without blocking the window, then `signal_finished`. What is kept is bounded
/// (TestProbeAnswer::List) and so is the work a flood of datagrams can cause.
class ProbeDiscovery : public QObject
{
    Q_OBJECT
public:
    struct Config
    {
        QHostAddress target = QHostAddress::Broadcast;
        quint16 targetPort = 9999;
        int waitMs = 1000;
        int maxDatagrams = 4096; ///< read per refresh; the rest are dropped unread
        /// Local addresses to ask from; empty: every usable interface of the host.
        QList<QHostAddress> localAddresses;
    };

    explicit ProbeDiscovery(QObject* parent = nullptr);
    ~ProbeDiscovery() override;

    void setConfig(const Config& config) { m_config = config; }
    /// Starts a refresh; an earlier one still running is abandoned. False when no interface could send.
    bool start();
    bool isRunning() const { return !m_sockets.isEmpty(); }
    const TestProbeAnswer::List& answers() const { return m_list; }
    int datagramsRead() const { return m_read; }

    /// The host's addresses the probe may leave from (interface and address rules of TestProbeAnswer).
    static QList<QHostAddress> usableAddresses();

signals:
    void signal_finished();

private:
    void readSocket(QUdpSocket* socket);
    void finish();
    void closeSockets();

    Config m_config;
    QList<QUdpSocket*> m_sockets;
    QTimer m_timer;
    TestProbeAnswer::List m_list;
    int m_read = 0;
};

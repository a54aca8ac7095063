#include "ProbeDiscovery.h"

#include "SecondaryUnitProbe.h"
#include "ToolsLog.h"

#include <QNetworkInterface>
#include <QUdpSocket>

#include <cstring>

ProbeDiscovery::ProbeDiscovery(QObject* parent) : QObject(parent)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &ProbeDiscovery::finish);
}

ProbeDiscovery::~ProbeDiscovery()
{
    closeSockets();
}

QList<QHostAddress> ProbeDiscovery::usableAddresses()
{
    QList<QHostAddress> out;
    for (const QNetworkInterface& iface : QNetworkInterface::allInterfaces()) {
        if (!(iface.flags() & QNetworkInterface::IsUp))
            continue;
        const QString name = iface.humanReadableName() + QLatin1Char(' ') + iface.name();
        for (const QNetworkAddressEntry& e : iface.addressEntries()) {
            if (e.ip().protocol() != QAbstractSocket::IPv4Protocol)
                continue;
            if (TestProbeAnswer::usableInterface(name, e.ip().toIPv4Address()))
                out.append(e.ip());
        }
    }
    return out;
}

void ProbeDiscovery::closeSockets()
{
    // Later: a socket may be the one whose readyRead is being handled.
    for (QUdpSocket* s : qAsConst(m_sockets)) {
        s->disconnect(this);
        s->close();
        s->deleteLater();
    }
    m_sockets.clear();
}

bool ProbeDiscovery::start()
{
    m_timer.stop();
    closeSockets();
    m_list.clear();
    m_read = 0;
    const QList<QHostAddress> locals = m_config.localAddresses.isEmpty() ? usableAddresses() : m_config.localAddresses;
    const QByteArray question(SecondaryUnitProbe::kQuestion);
    for (const QHostAddress& local : locals) {
        auto* socket = new QUdpSocket(this);
        if (!socket->bind(local, 0) ||
            socket->writeDatagram(question, m_config.target, m_config.targetPort) != question.size()) {
            qCWarning(lcTools) << "probe not sent from" << local.toString() << socket->errorString();
            delete socket;
            continue;
        }
        connect(socket, &QUdpSocket::readyRead, this, [this, socket] { readSocket(socket); });
        m_sockets.append(socket);
    }
    if (m_sockets.isEmpty())
        return false;
    m_timer.start(m_config.waitMs);
    return true;
}

void ProbeDiscovery::readSocket(QUdpSocket* socket)
{
    QByteArray buffer(TestProbeAnswer::kMaxDatagramBytes + 1, Qt::Uninitialized);
    while (socket->hasPendingDatagrams()) {
        QHostAddress from;
        const qint64 got = socket->readDatagram(buffer.data(), buffer.size(), &from);
        if (got < 0)
            break;
        if (++m_read > m_config.maxDatagrams) {
            // A flood: stop listening now; the answers kept so far stand.
            if (m_timer.isActive())
                QTimer::singleShot(0, this, &ProbeDiscovery::finish);
            m_timer.stop();
            return;
        }
        TestProbeAnswer::Answer answer;
        const uint32_t sender = from.protocol() == QAbstractSocket::IPv4Protocol ? from.toIPv4Address() : 0;
        if (TestProbeAnswer::parse(buffer.left(int(got)), sender, &answer))
            m_list.add(answer);
    }
}

void ProbeDiscovery::finish()
{
    if (m_sockets.isEmpty())
        return; // already finished (a flood and the timer may both ask)
    m_timer.stop();
    // Read what arrived last, then stop: sockets are not kept between refreshes.
    for (QUdpSocket* s : qAsConst(m_sockets)) {
        if (m_read <= m_config.maxDatagrams)
            readSocket(s);
    }
    closeSockets();
    emit signal_finished();
}

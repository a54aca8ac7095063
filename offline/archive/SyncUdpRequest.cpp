#include "SyncUdpRequest.h"

#include "LogRedaction.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QLoggingCategory>
#include <QUdpSocket>

#include <algorithm>

namespace {

Q_LOGGING_CATEGORY(lcArchiveUdp, "meridane.offline.archive")

// One UDP datagram cannot be longer; anything a device says beyond it is not a reply we can take.
constexpr qint64 MaxDatagram = 64 * 1024;
constexpr int Slices = 10;

} // namespace

namespace SyncUdpRequest {

Result send(const QString& request, uint32_t ip, quint16 port, int timeoutMs)
{
    const QByteArray data = request.toUtf8();
    qCInfo(lcArchiveUdp).noquote() << "udpSend: " + QString::fromUtf8(LogRedaction::redacted(data)) << port;

    const int limit = std::max(0, timeoutMs);
    QUdpSocket socket;
    // A socket of its own: replies to other requests never mix with this one.
    socket.bind(QHostAddress(QHostAddress::AnyIPv4), 0);
    const qint64 written = socket.writeDatagram(data, QHostAddress(ip), port);
    if (written < data.size())
        return Result{false, QStringLiteral("Send Fail")};

    const int slice = std::max(1, limit / Slices);
    QElapsedTimer clock;
    clock.start();
    QByteArray buffer;
    while (clock.elapsed() < limit) {
        const int wait = int(std::min<qint64>(slice, limit - clock.elapsed()));
        if (wait <= 0 || !socket.waitForReadyRead(wait)) {
            if (!socket.hasPendingDatagrams())
                continue;
        }
        while (socket.hasPendingDatagrams()) {
            const qint64 size = std::min(std::max<qint64>(socket.pendingDatagramSize(), 0), MaxDatagram);
            buffer.resize(int(size));
            QHostAddress from;
            const qint64 got = socket.readDatagram(buffer.data(), size, &from);
            bool v4 = false;
            const uint32_t fromIp = from.toIPv4Address(&v4);
            if (got < 0 || !v4 || fromIp != ip)
                continue; // a stray datagram from elsewhere is no reply to this request
            buffer.resize(int(got));
            return Result{true, QString::fromUtf8(buffer)};
        }
    }
    return Result{false, request + QStringLiteral(" No Return With %1ms").arg(timeoutMs)};
}

} // namespace SyncUdpRequest

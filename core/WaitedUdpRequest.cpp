#include "WaitedUdpRequest.h"

#include <QUdpSocket>

#include <algorithm>

namespace WaitedUdpRequest {

Result send(const QByteArray& request, const QHostAddress& address, quint16 port, int stepMs)
{
    QUdpSocket socket; // closed when it goes out of scope, on every path
    socket.bind(QHostAddress(QHostAddress::AnyIPv4), 0);
    const qint64 written = socket.writeDatagram(request, address, port);
    if (written < request.size())
        return Result{Outcome::SendFail, QStringLiteral("Send Fail")};

    QByteArray buffer;
    for (int step = 0; step < kMaxSteps; ++step) {
        if (!socket.hasPendingDatagrams() && !socket.waitForReadyRead(std::max(1, stepMs)))
            continue;
        while (socket.hasPendingDatagrams()) {
            // A datagram larger than the buffer is cut by the read, never by an allocation it chose.
            buffer.resize(kMaxReplyBytes);
            QHostAddress from;
            const qint64 got = socket.readDatagram(buffer.data(), buffer.size(), &from);
            if (got < 0)
                return Result{Outcome::ReadFail, QStringLiteral("Server No Return Msg.")};
            if (!from.isEqual(address, QHostAddress::ConvertV4MappedToIPv4))
                continue; // a stray from elsewhere is no answer to this request
            buffer.resize(int(got));
            return Result{Outcome::Reply, QString::fromUtf8(buffer)};
        }
    }
    return Result{Outcome::NoReturn, QStringLiteral("No Return With 2000ms")};
}

QString errorText(const Result& result)
{
    return result.answered() ? QString() : QStringLiteral("ERR:") + result.text;
}

} // namespace WaitedUdpRequest

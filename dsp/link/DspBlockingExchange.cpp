#include "DspBlockingExchange.h"

#include "AppState.h"
#include "DspLinkLog.h"
#include "DspTcpFramer.h"

#include <QHostAddress>
#include <QTcpSocket>

namespace DspBlockingExchange {

QString connectFailedText()
{
    return AppState::pick(
        QStringLiteral("连接失败，请关闭设备详情窗口重新打开"),
        QStringLiteral("Connection failed, please close the device details window and open it again"));
}

QString timeoutText()
{
    return AppState::pick(QStringLiteral("等待数据超时 "), QStringLiteral("Timeout waiting for data"));
}

QString readLengthErrorText()
{
    return AppState::pick(QStringLiteral("tcp 读取数据长度错误 "), QStringLiteral("tcp read data length error"));
}

QString parseLengthErrorText()
{
    return AppState::pick(QStringLiteral("tcp 读取数据，解析长度错误 "),
                          QStringLiteral("tcp read data, parse length error"));
}

namespace {

QString exchange(QTcpSocket& socket, const QString& text, int waitMs)
{
    const QByteArray payload = text.toUtf8();
    socket.write(DspTcpFramer::frame(payload));
    socket.flush();

    DspTcpFramer framer;
    framer.expectReplyTo(payload);
    while (socket.state() == QAbstractSocket::ConnectedState) {
        if (socket.bytesAvailable() == 0 && !socket.waitForReadyRead(waitMs)) {
            if (socket.state() != QAbstractSocket::ConnectedState) {
                break; // closed by the peer, not a timeout
            }
            return timeoutText();
        }
        const QList<QByteArray> messages = framer.feed(socket.readAll());
        const QStringList errors = framer.errors();
        if (!errors.isEmpty()) {
            qCWarning(lcDspLink).noquote() << "blocking exchange:" << errors.join(QStringLiteral("; "));
            return parseLengthErrorText();
        }
        if (!messages.isEmpty()) {
            return QString::fromUtf8(messages.first());
        }
    }
    // Bytes may have arrived together with the close.
    const QList<QByteArray> messages = framer.feed(socket.readAll());
    if (!framer.errors().isEmpty()) {
        return parseLengthErrorText();
    }
    if (!messages.isEmpty()) {
        return QString::fromUtf8(messages.first());
    }
    return readLengthErrorText();
}

} // namespace

QString request(uint32_t ip, const QString& text, int connectMs, int waitMs, quint16 port)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress(ip).toString(), port, QIODevice::ReadWrite);
    if (!socket.waitForConnected(connectMs)) {
        qCWarning(lcDspLink) << "blocking exchange: no connection to" << QHostAddress(ip).toString() << port
                             << socket.errorString();
        socket.abort();
        return connectFailedText();
    }
    const QString result = exchange(socket, text, waitMs);
    socket.disconnectFromHost();
    if (socket.state() != QAbstractSocket::UnconnectedState) {
        socket.waitForDisconnected(500);
    }
    return result;
}

} // namespace DspBlockingExchange

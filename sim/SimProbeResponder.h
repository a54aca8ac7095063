#pragma once

#include <QByteArray>
#include <QObject>
#include <QUdpSocket>

class SimNetwork;

/// The one listener per process for the "AreYouMeridane?" probe: bound to any address on the probe port,
/// shared with other programs, it lets every device with a secondary unit answer the asker.
class SimProbeResponder : public QObject
{
    Q_OBJECT
public:
    explicit SimProbeResponder(SimNetwork& network, QObject* parent = nullptr);

    /// Binds 0.0.0.0:port (shared); false with `error` when another program holds the port exclusively.
    bool open(quint16 port, QString* error);
    /// True for the probe text, with or without a trailing NUL or line end.
    static bool isProbe(const QByteArray& datagram);

private slots:
    void handleReadyRead();

private:
    SimNetwork& m_network;
    QUdpSocket m_socket;
};

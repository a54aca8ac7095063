#pragma once
#include "WaitedUdpRequest.h"

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QVector>
#include <functional>

/// Runs the request-and-wait of the service tools on a thread of its own, so a window never waits on the
/// network: the requests go one after another, and the results come back on the user-interface thread.
class ServiceWorker
{
public:
    using Runner = std::function<WaitedUdpRequest::Result(const QByteArray&, const QHostAddress&, quint16)>;
    using Done = std::function<void(const QVector<WaitedUdpRequest::Result>&)>;

    /// The request-and-wait itself (WaitedUdpRequest::send).
    static Runner defaultRunner();

    /// Sends `requests` in turn to `address`:`port` with `runner` on a new thread; `done` runs on the thread of
    /// `context` with one result per request, unless `context` was destroyed meanwhile.
    static void start(QObject* context, Runner runner, QVector<QByteArray> requests, const QHostAddress& address,
                      quint16 port, Done done);

    /// Workers not yet finished (tests wait for none).
    static int running();
};

#include "ServiceWorker.h"

#include <QThread>

#include <atomic>
#include <memory>

namespace {

std::atomic<int> g_running{0};

} // namespace

ServiceWorker::Runner ServiceWorker::defaultRunner()
{
    return [](const QByteArray& request, const QHostAddress& address, quint16 port) {
        return WaitedUdpRequest::send(request, address, port);
    };
}

void ServiceWorker::start(QObject* context, Runner runner, QVector<QByteArray> requests, const QHostAddress& address,
                          quint16 port, Done done)
{
    auto results = std::make_shared<QVector<WaitedUdpRequest::Result>>();
    ++g_running;
    // The thread has no parent: a window closed meanwhile must not destroy a thread that still waits.
    QThread* thread = QThread::create([runner, requests, address, port, results] {
        for (const QByteArray& request : requests)
            results->append(runner(request, address, port));
    });
    QObject::connect(thread, &QThread::finished, context, [results, done] { done(*results); });
    QObject::connect(thread, &QThread::finished, thread, [thread] {
        --g_running;
        thread->deleteLater();
    });
    thread->start();
}

int ServiceWorker::running()
{
    return g_running.load();
}

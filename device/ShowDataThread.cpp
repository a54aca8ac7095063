#include "ShowDataThread.h"

#include "DeviceSender.h"
#include "ReplyFields.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QMutexLocker>

namespace {

QString levelMessage(const QString& ops, const QString& devId, int inOrOut)
{
    QJsonObject o;
    o.insert(QStringLiteral("ops"), ops);
    o.insert(QStringLiteral("devId"), devId);
    o.insert(QStringLiteral("inOrOut"), QString::number(inOrOut));
    o.insert(QStringLiteral("idStart"), QStringLiteral("0"));
    return ReplyFields::compact(o);
}

QString batchRequest(const QString& ops)
{
    QJsonObject o;
    o.insert(QStringLiteral("ops"), ops);
    o.insert(QStringLiteral("idStart"), QStringLiteral("0"));
    return ReplyFields::compact(o);
}

} // namespace

ShowDataThread::ShowDataThread(QObject* parent) : QThread(parent) {}

ShowDataThread::~ShowDataThread()
{
    stopThread();
}

void ShowDataThread::setTarget(const Target& target)
{
    QMutexLocker lock(&m_mutex);
    m_target = target;
}

ShowDataThread::Target ShowDataThread::target() const
{
    QMutexLocker lock(&m_mutex);
    return m_target;
}

QStringList ShowDataThread::roundRequests(const Target& t)
{
    QStringList out;
    if (t.devId.isEmpty())
        return out;
    if (t.batch) {
        if (t.phyIn + t.netIn > 0)
            out << batchRequest(QStringLiteral("getVolumeDbBatchIn"));
        if (t.phyOut + t.netOut > 0)
            out << batchRequest(QStringLiteral("getVolumeDbBatchOut"));
        return out;
    }
    // Sides without channels are not asked: nothing could come back.
    if (t.phyIn > 0)
        out << levelMessage(QStringLiteral("getAllPhyLevel"), t.devId, 0);
    if (t.phyOut > 0)
        out << levelMessage(QStringLiteral("getAllPhyLevel"), t.devId, 1);
    if (t.netIn > 0)
        out << levelMessage(QStringLiteral("getAllNetLevel"), t.devId, 0);
    if (t.netOut > 0)
        out << levelMessage(QStringLiteral("getAllNetLevel"), t.devId, 1);
    return out;
}

void ShowDataThread::startThread()
{
    if (isRunning())
        return;
    {
        QMutexLocker lock(&m_mutex);
        m_stop = false;
    }
    start();
}

void ShowDataThread::stopThread()
{
    {
        QMutexLocker lock(&m_mutex);
        m_stop = true;
        m_wake.wakeAll();
    }
    wait();
}

void ShowDataThread::run()
{
    QMutexLocker lock(&m_mutex);
    while (!m_stop) {
        const Target t = m_target;
        lock.unlock();
        const QStringList requests = roundRequests(t);
        for (const QString& r : requests) {
            if (t.batch) {
                DeviceSender::send(r.toUtf8(), t.ip, kBatchPort);
            } else {
                emit sendRequest(r);
            }
        }
        lock.relock();
        if (!m_stop)
            m_wake.wait(&m_mutex, kIntervalMs);
    }
}

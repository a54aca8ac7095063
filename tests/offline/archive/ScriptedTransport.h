#pragma once
#include "ArchiveTransport.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QMutex>
#include <QString>
#include <QVector>

#include <functional>

/// A transport for tests: every request is recorded, and `answer` decides the reply. Without an answer the
/// request goes unanswered with the synchronous request's failure text.
class ScriptedTransport : public ArchiveTransport
{
public:
    struct Sent
    {
        QString request;
        uint32_t ip = 0;
        quint16 port = 0; ///< 8999 for the processor link
        bool tcp = false;
        QJsonObject json() const { return QJsonDocument::fromJson(request.toUtf8()).object(); }
        QString ops() const { return json().value(QStringLiteral("ops")).toString(); }
    };
    /// Returns the reply object for a request, or an empty object for no reply.
    using Answer = std::function<QJsonObject(const Sent& sent)>;

    Answer answer;

    ArchiveReply udp(const QString& request, uint32_t ip, quint16 port, int timeoutMs) override
    {
        return take(Sent{request, ip, port, false}, timeoutMs);
    }
    ArchiveReply dsp(const QString& request, uint32_t ip, int timeoutMs) override
    {
        return take(Sent{request, ip, 8999, true}, timeoutMs);
    }

    QVector<Sent> sent() const
    {
        QMutexLocker lock(&m_mutex);
        return m_sent;
    }
    QStringList opsSent() const
    {
        QStringList out;
        for (const Sent& s : sent())
            out << s.ops();
        return out;
    }

    /// A "succ" reply echoing "ops" and "devId" of the request, with `extra` members.
    static QJsonObject succ(const Sent& s, const QJsonObject& extra = {})
    {
        QJsonObject r = extra;
        const QJsonObject req = s.json();
        r.insert(QStringLiteral("ops"), req.value(QStringLiteral("ops")));
        r.insert(QStringLiteral("devId"), req.value(QStringLiteral("devId")));
        r.insert(QStringLiteral("result"), QStringLiteral("succ"));
        return r;
    }

private:
    ArchiveReply take(const Sent& s, int timeoutMs)
    {
        {
            QMutexLocker lock(&m_mutex);
            m_sent.append(s);
        }
        const QJsonObject reply = answer ? answer(s) : QJsonObject();
        if (reply.isEmpty())
            return ArchiveReply{false, s.request + QStringLiteral(" No Return With %1ms").arg(timeoutMs)};
        return ArchiveReply{true, QString::fromUtf8(QJsonDocument(reply).toJson(QJsonDocument::Compact))};
    }

    mutable QMutex m_mutex;
    QVector<Sent> m_sent;
};

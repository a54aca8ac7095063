#include "CtlArchiveTransport.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QMutexLocker>

QString CtlArchiveTransport::opsOf(const QString& request)
{
    return QJsonDocument::fromJson(request.toUtf8()).object().value(QLatin1String("ops")).toString();
}

bool CtlArchiveTransport::isRead(const QString& request)
{
    return opsOf(request).startsWith(QLatin1String("get"));
}

ArchiveReply CtlArchiveTransport::udp(const QString& request, uint32_t ip, quint16 port, int timeoutMs)
{
    return pass(request, ip, [&]() { return m_inner.udp(request, ip, port, timeoutMs); });
}

ArchiveReply CtlArchiveTransport::dsp(const QString& request, uint32_t ip, int timeoutMs)
{
    return pass(request, ip, [&]() { return m_inner.dsp(request, ip, timeoutMs); });
}

ArchiveReply CtlArchiveTransport::pass(const QString& request, uint32_t ip, const std::function<ArchiveReply()>& send)
{
    if (m_readOnly && !isRead(request)) {
        QMutexLocker lock(&m_mutex);
        ++m_counts.blocked;
        return ArchiveReply{false, QStringLiteral("not sent (dry run): ") + request};
    }
    const ArchiveReply reply = send();
    const bool succ = reply.answered &&
                      QJsonDocument::fromJson(reply.text.toUtf8()).object().value(QLatin1String("result")).toString() ==
                          QLatin1String("succ");
    QMutexLocker lock(&m_mutex);
    ++m_counts.sent;
    m_asked.insert(ip);
    if (reply.answered) {
        ++m_counts.answered;
        m_heard.insert(ip);
        if (!succ)
            ++m_counts.refused;
    } else {
        ++m_counts.unanswered;
    }
    return reply;
}

CtlArchiveTransport::Counts CtlArchiveTransport::counts() const
{
    QMutexLocker lock(&m_mutex);
    Counts c = m_counts;
    c.silentDevices = int((m_asked - m_heard).size());
    return c;
}

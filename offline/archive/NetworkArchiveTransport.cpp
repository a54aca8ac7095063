#include "NetworkArchiveTransport.h"

#include "DspBlockingExchange.h"
#include "DspEnvelope.h"
#include "SyncUdpRequest.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace {

// The processor link expects the device identifier as the first key, as the processor dialog sends it.
QString enveloped(const QString& request)
{
    if (request.startsWith(QLatin1String("{\"devId\"")))
        return request;
    QJsonObject obj = QJsonDocument::fromJson(request.toUtf8()).object();
    const QString devId = obj.value(QStringLiteral("devId")).toString();
    if (devId.isEmpty())
        return request;
    obj.remove(QStringLiteral("devId"));
    return DspEnvelope::tcp(devId, QString::fromUtf8(QJsonDocument(obj).toJson(QJsonDocument::Compact)));
}

bool isLinkError(const QString& text)
{
    return text == DspBlockingExchange::connectFailedText() || text == DspBlockingExchange::timeoutText() ||
           text == DspBlockingExchange::readLengthErrorText() || text == DspBlockingExchange::parseLengthErrorText();
}

} // namespace

ArchiveReply NetworkArchiveTransport::udp(const QString& request, uint32_t ip, quint16 port, int timeoutMs)
{
    const SyncUdpRequest::Result r = SyncUdpRequest::send(request, ip, port, timeoutMs);
    return ArchiveReply{r.answered, r.text};
}

ArchiveReply NetworkArchiveTransport::dsp(const QString& request, uint32_t ip, int timeoutMs)
{
    const QString reply = DspBlockingExchange::request(ip, enveloped(request), timeoutMs, timeoutMs);
    return ArchiveReply{!isLinkError(reply), reply};
}

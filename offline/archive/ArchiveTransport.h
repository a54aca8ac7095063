#pragma once
#include <QString>

#include <cstdint>

/// The answer to one archive request: the reply text, or (when `answered` is false) the failure text of the
/// road it took ("Send Fail", "<request> No Return With 1000ms", or a processor link's connection or length
/// error).
struct ArchiveReply
{
    bool answered = false;
    QString text;
};

/// How the export and the load reach a device: one request, one reply, blocking the calling (worker) thread.
/// The product uses NetworkArchiveTransport; tests give a scripted one.
class ArchiveTransport
{
public:
    virtual ~ArchiveTransport() = default;
    /// One JSON request by UDP to `ip` (host order) and `port`, waiting up to `timeoutMs` for the reply.
    virtual ArchiveReply udp(const QString& request, uint32_t ip, quint16 port, int timeoutMs) = 0;
    /// One JSON request over the processor's TCP link (port 8999 of `ip`), waiting up to `timeoutMs`.
    virtual ArchiveReply dsp(const QString& request, uint32_t ip, int timeoutMs) = 0;
};

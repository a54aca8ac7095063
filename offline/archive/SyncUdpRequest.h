#pragma once
#include <QString>

#include <cstdint>

/// The synchronous request: a fresh UDP socket, one request written to an address and port, and a wait for the
/// reply in ten slices of a tenth of the time limit. Blocks the calling thread; used by the archive's workers.
namespace SyncUdpRequest {

struct Result
{
    bool answered = false;
    QString text; ///< the reply, "Send Fail", or the request followed by " No Return With <limit>ms"
};

/// Logs "udpSend: " with the request (passwords redacted) and the port. A reply longer than 64 KiB cannot
/// arrive in one datagram; only the first datagram that comes from `ip` is taken, others are dropped.
Result send(const QString& request, uint32_t ip, quint16 port, int timeoutMs);

} // namespace SyncUdpRequest

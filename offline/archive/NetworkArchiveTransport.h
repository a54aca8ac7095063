#pragma once
#include "ArchiveTransport.h"

/// The archive's road to real devices: SyncUdpRequest for UDP and a blocking exchange on a connection of its
/// own for the processor link. Safe to use from one worker thread at a time per instance.
class NetworkArchiveTransport : public ArchiveTransport
{
public:
    ArchiveReply udp(const QString& request, uint32_t ip, quint16 port, int timeoutMs) override;
    ArchiveReply dsp(const QString& request, uint32_t ip, int timeoutMs) override;
};

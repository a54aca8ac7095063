#pragma once
#include "ArchiveTransport.h"

#include <QHash>
#include <QMutex>
#include <QSet>

#include <functional>

/// meridane-ctl's road for `export` and `load`: passes every request to the real transport and counts what
/// came back, so the exit code can tell a refusal from a device that did not answer. A read-only transport
/// (the dry run) sends only reads ("get…") and refuses every other request before it leaves, so a preview can
/// never change a device even if a planning step asked for it.
class CtlArchiveTransport : public ArchiveTransport
{
public:
    explicit CtlArchiveTransport(ArchiveTransport& inner, bool readOnly = false) : m_inner(inner), m_readOnly(readOnly)
    {
    }

    ArchiveReply udp(const QString& request, uint32_t ip, quint16 port, int timeoutMs) override;
    ArchiveReply dsp(const QString& request, uint32_t ip, int timeoutMs) override;

    /// The "ops" of a request text ("" when it is not a JSON object).
    static QString opsOf(const QString& request);
    /// True for requests that only read ("get…").
    static bool isRead(const QString& request);

    struct Counts
    {
        int sent = 0;          ///< requests that left
        int answered = 0;      ///< ... and got any reply
        int refused = 0;       ///< ... a reply without "result" "succ"
        int unanswered = 0;    ///< ... no reply
        int blocked = 0;       ///< change requests a read-only transport kept back
        int silentDevices = 0; ///< addresses that were asked and never answered
    };
    Counts counts() const;

private:
    ArchiveReply pass(const QString& request, uint32_t ip, const std::function<ArchiveReply()>& send);

    ArchiveTransport& m_inner;
    const bool m_readOnly;
    mutable QMutex m_mutex;
    Counts m_counts;
    QSet<uint32_t> m_asked;
    QSet<uint32_t> m_heard;
};

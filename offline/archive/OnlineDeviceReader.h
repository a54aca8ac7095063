#pragma once
#include "OfflineDevice.h"
#include "OnlineDeviceFacts.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>

class ArchiveTransport;

/// The read-out of one online device into an archive device: the facts the registry holds, then the steps
/// that ask the device itself (address, PTP, paged gains and mutes, microphone gain and phantom power, and for
/// processor models the processor's information, program list, last-loaded program and current configuration
/// over its TCP link). A failed step is reported and skipped; the read-out goes on with the next.
class OnlineDeviceReader
{
public:
    /// One progress text: the device name followed by a step's success or failure text (and the reply).
    using Progress = std::function<void(const QString& text)>;

    /// Time limits of the requests.
    static constexpr int UdpTimeoutMs = 1000;
    static constexpr int DspTimeoutMs = 3000;
    static constexpr int ConfigTimeoutMs = 8000;
    /// Pages asked for one list at most (gains, mutes): a device that keeps answering "idNext" cannot hold the
    /// read-out forever.
    static constexpr int MaxPages = 1024;

    struct Result
    {
        OfflineDevice device;   ///< what was read; steps that failed leave the registry's values or defaults
        int requests = 0;       ///< requests sent
        int failedSteps = 0;    ///< steps that got no answer or a refusal
        bool anyAnswer = false; ///< false when the device answered nothing at all
        QStringList failures;   ///< one progress text per failed step
    };

    explicit OnlineDeviceReader(ArchiveTransport& transport) : m_transport(transport) {}

    /// Reads one device. `cancel` (may be null) is looked at between requests; a cancelled read-out returns
    /// what it has. `progress` (may be empty) gets every step's text; `requestSent` (may be empty) is called
    /// after every request, answered or not, so a supervisor can see the worker move.
    Result read(const OnlineDeviceFacts& facts, const std::atomic_bool* cancel = nullptr,
                const Progress& progress = Progress(), const std::function<void()>& requestSent = {});

    /// Texts of the steps, as the progress shows them after the device name.
    static QString successText(int step);
    static QString failureText(int step);

private:
    ArchiveTransport& m_transport;
};

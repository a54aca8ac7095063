#pragma once
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>

/// Sends a list of datagrams one after another with a least gap between them, so the processor is not flooded by
/// whole-matrix actions (thousands of cells). Runs on a worker thread: it touches no widget and no model, only the
/// sender it is given, which must be safe to call from that thread.
class DspMatrixBatchRun
{
public:
    static constexpr qint64 kGapUs = 250;

    using Sender = std::function<void(const QString& text)>;
    /// Microseconds on a clock that never goes back.
    using ClockUs = std::function<qint64()>;

    /// Sends every text in order, waiting until at least `gapUs` passed since the previous send. Stops early when
    /// `cancel` becomes true. Returns the number sent.
    static int run(const QStringList& texts, const Sender& send, const ClockUs& clock, const std::atomic<bool>& cancel,
                   qint64 gapUs = kGapUs);
    /// A steady clock in microseconds.
    static qint64 steadyUs();
};

#pragma once
#include "DvmTypes.h"

#include <QString>
#include <cstdint>

/// The receive and transmit load of a device in thousands of bytes per second, worked out from its stream
/// tables the way the devices themselves count it: integer packets per second times packet size (54 bytes of
/// headers per packet), each stream truncated to whole thousands before summing.
class BandwidthFigures
{
public:
    int64_t rx = 0;
    int64_t tx = 0;

    /// One stream: rate / frames packets per second times (bytes x frames x channels + 54) bytes, / 1000.
    /// A stream with no frames, rate or channels carries nothing (rather than dividing by zero).
    static int64_t streamLoad(int64_t sampleRate, int64_t frames, int64_t sampleBytes, int64_t channels);
    /// The figure of a multicast stream the network has not announced: assumes 1000 packets of 48 frames.
    static int64_t unknownMcastLoad(int64_t channels, int64_t sampleBytes);

    /// The figures of a live device. Headers and multicast records are copied under the registry lock and each
    /// table entry is copied before use, so a record rewritten meanwhile yields a stale figure, never a torn
    /// one. Unicast senders are found by address; a sender that is gone adds nothing. Null gives zeros.
    static BandwidthFigures fromRecord(const DevRecord* rec);

    /// "12.1/0.0 Mbps": each figure / 1000 x 10 with one decimal, receive first.
    static QString text(int64_t rx, int64_t tx);
    QString text() const { return text(rx, tx); }
};

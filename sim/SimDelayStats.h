#pragma once

#include <QJsonObject>

/// The delay statistics of one receive stream: packets at 1000 per second since the last clear, spread over
/// seven arrival-delay buckets in fixed proportions. Deterministic, so a later read never shows less.
class SimDelayStats
{
public:
    /// The counters after `elapsedMs` of reception ("total" is the sum of the buckets), all as decimal text:
    /// "total", "in125", "in250", "in500", "in1ms", "in2ms", "in4ms", "out4ms", "avgUs", "maxUs",
    /// "notContinue", "exceedDelay". `seed` varies the delays a little between streams.
    static QJsonObject counters(qint64 elapsedMs, quint32 seed);
};

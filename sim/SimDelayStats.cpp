#include "SimDelayStats.h"

#include <algorithm>

namespace {

const char* const kBuckets[] = {"in125", "in250", "in500", "in1ms", "in2ms", "in4ms", "out4ms"};
/// Share of each bucket per 10,000 packets, and the delay (µs) taken for the packets of each bucket.
constexpr qint64 kShare[] = {4200, 3300, 1500, 800, 170, 25, 5};
constexpr qint64 kDelayUs[] = {90, 180, 370, 720, 1400, 2900, 4600};

} // namespace

QJsonObject SimDelayStats::counters(qint64 elapsedMs, quint32 seed)
{
    const qint64 packets = std::max<qint64>(0, elapsedMs);
    const qint64 jitterUs = seed % 40;
    QJsonObject o;
    qint64 total = 0;
    qint64 sumUs = 0;
    qint64 maxUs = 0;
    qint64 out4ms = 0;
    for (int b = 0; b < 7; ++b) {
        const qint64 n = packets * kShare[b] / 10000;
        o.insert(QLatin1String(kBuckets[b]), QString::number(n));
        total += n;
        sumUs += n * (kDelayUs[b] + jitterUs);
        if (n > 0)
            maxUs = kDelayUs[b] + jitterUs + 60;
        if (b == 6)
            out4ms = n;
    }
    o.insert(QStringLiteral("total"), QString::number(total));
    o.insert(QStringLiteral("avgUs"), QString::number(total > 0 ? sumUs / total : 0));
    o.insert(QStringLiteral("maxUs"), QString::number(maxUs));
    // A gap in the sequence numbers about once a minute; every packet over 4 ms exceeds the delay limit.
    o.insert(QStringLiteral("notContinue"), QString::number(packets / 60000));
    o.insert(QStringLiteral("exceedDelay"), QString::number(out4ms));
    return o;
}

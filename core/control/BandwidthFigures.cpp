#include "BandwidthFigures.h"

#include "DevManager.h"

#include <cstdint>

namespace {

// Anything beyond these cannot come from a real device; bounding them keeps the products far from overflow.
constexpr int64_t kMaxRate = 10000000;
constexpr int64_t kMaxFrames = 1000000;
constexpr int64_t kMaxSampleBytes = 64;
constexpr int64_t kMaxChannels = 1 << 16;
// Sums of many streams stop here instead of wrapping; far beyond any real network.
constexpr int64_t kMaxFigure = INT64_MAX / 1000;

void addTo(int64_t* total, int64_t load)
{
    *total = load > kMaxFigure - *total ? kMaxFigure : *total + load;
}

int usedChannels(const RxStreamEntry& e)
{
    int n = 0;
    for (int i = 0; i < DVM_STREAM_CH; ++i)
        n += e.rtpChId(i) != -1 ? 1 : 0;
    return n;
}

int usedChannels(const TxStreamEntry& e)
{
    int n = 0;
    for (int i = 0; i < DVM_STREAM_CH; ++i)
        n += e.srcChId(i) != -1 ? 1 : 0;
    return n;
}

} // namespace

int64_t BandwidthFigures::streamLoad(int64_t sampleRate, int64_t frames, int64_t sampleBytes, int64_t channels)
{
    if (sampleRate <= 0 || frames <= 0 || sampleBytes < 0 || channels <= 0 || sampleRate > kMaxRate ||
        frames > kMaxFrames || sampleBytes > kMaxSampleBytes || channels > kMaxChannels)
        return 0;
    return sampleRate / frames * (sampleBytes * frames * channels + 54) / 1000;
}

int64_t BandwidthFigures::unknownMcastLoad(int64_t channels, int64_t sampleBytes)
{
    if (channels <= 0 || sampleBytes < 0 || channels > kMaxChannels || sampleBytes > kMaxSampleBytes)
        return 0;
    return (channels * sampleBytes * 48000 + 54000) / 1000;
}

BandwidthFigures BandwidthFigures::fromRecord(const DevRecord* rec)
{
    BandwidthFigures f;
    DevHeader h;
    if (!dvm_copyDevHeader(rec, &h))
        return f;
    const DevTables& t = rec->tables;

    for (int id = 0, n = dvm_clampCount(h.ucastNumRx); id < n; ++id) {
        const RxStreamEntry e = t.ucastRx[id];
        const int used = usedChannels(e);
        if (used == 0)
            continue;
        DevHeader sender;
        if (!dvm_copyDevHeader(findDevByIp(e.stream.srcIp), &sender))
            continue;
        addTo(&f.rx, streamLoad(sender.sampleRate, sender.pFrameNum, sender.sampleByteNum, used));
    }
    for (int id = 0, n = dvm_clampCount(h.mcastNumRx); id < n; ++id) {
        const RxStreamEntry e = t.mcastRx[id];
        if (e.stream.chNum == 0)
            continue;
        McastRecord m;
        if (dvm_copyMcast(findMcastByDstIp(e.stream.dstIp), &m))
            addTo(&f.rx, streamLoad(m.sampleRate, m.frames, m.stream.sampleByteNum, m.stream.chNum));
        else
            addTo(&f.rx, unknownMcastLoad(e.stream.chNum, e.stream.sampleByteNum));
    }
    for (int id = 0, n = dvm_clampCount(h.ucastNumTx); id < n; ++id) {
        const int used = usedChannels(t.ucastTx[id]);
        addTo(&f.tx, streamLoad(h.sampleRate, h.pFrameNum, h.sampleByteNum, used));
    }
    for (int id = 0, n = dvm_clampCount(h.mcastNumTx); id < n; ++id) {
        const int channels = t.mcastTx[id].stream.chNum;
        addTo(&f.tx, streamLoad(h.sampleRate, h.pFrameNum, h.sampleByteNum, channels));
    }
    return f;
}

QString BandwidthFigures::text(int64_t rx, int64_t tx)
{
    // Whole tenths, rounded half up, so the figure never depends on how a binary fraction happens to round.
    auto mbps = [](int64_t v) {
        v = v > kMaxFigure ? kMaxFigure : (v < -kMaxFigure ? -kMaxFigure : v);
        const int64_t tenths = (v * 10 + (v >= 0 ? 50 : -50)) / 100;
        const int64_t whole = tenths / 10;
        const int64_t frac = tenths % 10;
        return QStringLiteral("%1%2.%3")
            .arg(tenths < 0 && whole == 0 ? QStringLiteral("-") : QString())
            .arg(whole)
            .arg(frac < 0 ? -frac : frac);
    };
    return mbps(rx) + QLatin1Char('/') + mbps(tx) + QStringLiteral(" Mbps");
}

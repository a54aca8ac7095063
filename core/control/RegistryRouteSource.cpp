#include "RegistryRouteSource.h"

#include "DevDetailStore.h"
#include "DevManager.h"
#include "ModelTable.h"
#include "StreamName.h"

#include <QHash>
#include <algorithm>
#include <cstring>

namespace {

QString textOf(const char* field, size_t size)
{
    return QString::fromUtf8(field, static_cast<int>(strnlen(field, size)));
}

struct DevCounts
{
    QString devId;
    QString name;
    int rx = 0;
    int tx = 0;
};

/// The channels a device shows: its own less those of its expansion modules.
DevCounts countsOf(const DevHeader& hdr)
{
    DevCounts d;
    d.devId = textOf(hdr.devId, sizeof hdr.devId);
    d.name = textOf(hdr.name, sizeof hdr.name);
    d.rx = dvm_clampCount(hdr.chNumRx);
    d.tx = dvm_clampCount(hdr.chNumTx);
    const ModelTable& models = ModelTable::instance();
    if (models.isHost(d.devId)) {
        const DevDetailStore& store = DevDetailStore::instance();
        for (int f = 0; f < models.moduleFamilies().size(); ++f) {
            const DevDetailStore::ModuleInfo m = store.module(f, d.devId);
            if (m.ip == 0)
                continue;
            // Module counts come off the network too: clamped first, so INT_MIN cannot wrap the subtraction.
            d.rx = std::max(0, d.rx - dvm_clampCount(m.chNumRx));
            d.tx = std::max(0, d.tx - dvm_clampCount(m.chNumTx));
        }
    }
    return d;
}

std::vector<DevCounts> liveDevices()
{
    std::vector<DevCounts> devs;
    const std::vector<DevRecord*> recs = getAllDevs();
    devs.reserve(recs.size());
    DevHeader hdr;
    for (const DevRecord* rec : recs)
        if (dvm_copyDevHeader(rec, &hdr) == 1)
            devs.push_back(countsOf(hdr));
    std::stable_sort(devs.begin(), devs.end(), [](const DevCounts& a, const DevCounts& b) {
        return a.name != b.name ? a.name < b.name : a.devId < b.devId;
    });
    return devs;
}

} // namespace

void RegistryRouteSource::buildAxes(MatrixAxis* rows, MatrixAxis* cols)
{
    rows->clear();
    cols->clear();

    std::vector<McastRecord> streams;
    for (const McastRecord* rec : getAllMcasts()) {
        McastRecord copy;
        if (dvm_copyMcast(rec, &copy) == 1)
            streams.push_back(copy);
    }
    std::stable_sort(streams.begin(), streams.end(), [](const McastRecord& a, const McastRecord& b) {
        return std::strncmp(a.name, b.name, DVM_NAME_LEN) < 0;
    });
    for (const McastRecord& s : streams) {
        const int channels = std::min(static_cast<int>(s.stream.chNum), static_cast<int>(DVM_STREAM_CH));
        rows->appendGroup(true, dvm_ipToString(s.stream.dstIp), StreamName::shown(textOf(s.name, sizeof s.name)),
                          channels, [](int c) { return QStringLiteral("CH%1").arg(c); });
    }

    QHash<QString, DevDetail_t> details;
    for (const DevDetail_t& d : DevDetailStore::instance().devDetails())
        details.insert(d.devId, d);
    const std::vector<DevCounts> devs = liveDevices();
    for (const DevCounts& d : devs) {
        if (d.tx <= 0)
            continue;
        const QStringList names = details.value(d.devId).txChNames;
        rows->appendGroup(false, d.devId, d.name, d.tx, [&names](int c) {
            const QString n = names.value(c - 1);
            return n.isEmpty() ? QStringLiteral("NetOut%1").arg(c) : n;
        });
    }
    for (const DevCounts& d : devs) {
        if (d.rx <= 0)
            continue;
        const QStringList names = details.value(d.devId).rxChNames;
        cols->appendGroup(false, d.devId, d.name, d.rx, [&names](int c) {
            const QString n = names.value(c - 1);
            return n.isEmpty() ? QStringLiteral("NetIn%1").arg(c) : n;
        });
    }
}

void RegistryRouteSource::collectRoutes(std::vector<RouteEntry>* routes, QSet<QPair<QString, QString>>* pairs)
{
    routes->clear();
    pairs->clear();
    const std::vector<DevRecord*> recs = getAllDevs();
    QSet<QString> known;
    known.reserve(static_cast<int>(recs.size()));
    DevHeader hdr;
    for (const DevRecord* rec : recs)
        if (dvm_copyDevHeader(rec, &hdr) == 1)
            known.insert(textOf(hdr.devId, sizeof hdr.devId));
    QSet<QString> knownStreams;
    for (const McastRecord* m : getAllMcasts())
        knownStreams.insert(dvm_ipToString(m->stream.dstIp));

    QByteArray lastRaw;
    QString lastId;
    bool lastKnown = false;
    QString lastPairedFor;
    for (const DevRecord* rec : recs) {
        if (dvm_copyDevHeader(rec, &hdr) != 1)
            continue;
        const DevCounts me = countsOf(hdr);
        lastPairedFor.clear();
        const DevTables& t = rec->tables;
        QHash<int32_t, uint32_t> mcastByRtp; // built on the first multicast channel only
        bool mcastIndexed = false;
        for (int ch = 0; ch < me.rx; ++ch) {
            const int32_t rtp = t.rxChMap(ch);
            if (rtp < 0 || rtp >= DVM_TABLE_SIZE)
                continue;
            const RtpChEntry& entry = t.rtpCh[rtp];
            // -1 (none) shows as channel 0; a source channel no table can hold is a device fault, and INT_MAX
            // would wrap when numbered from 1.
            const int srcCh = entry.srcChId();
            if (srcCh < -1 || srcCh >= DVM_TABLE_SIZE)
                continue;
            const size_t len = strnlen(entry.srcDevId, DVM_NAME_LEN);
            // Neighbouring channels mostly share a source: decode, check and pair it once per run.
            if (len != 0 && (len != static_cast<size_t>(lastRaw.size()) ||
                             std::memcmp(lastRaw.constData(), entry.srcDevId, len) != 0)) {
                lastRaw = QByteArray(entry.srcDevId, static_cast<int>(len));
                lastId = QString::fromUtf8(lastRaw).trimmed();
                lastKnown = known.contains(lastId);
                lastPairedFor.clear();
            }
            const QString srcId = len == 0 ? QString() : lastId;
            if (!srcId.isEmpty()) {
                if (!lastKnown)
                    continue;
                if (lastPairedFor != me.devId) {
                    pairs->insert(qMakePair(srcId, me.devId));
                    lastPairedFor = me.devId;
                }
                routes->push_back({srcId, srcCh + 1, me.devId, ch + 1});
                continue;
            }
            if (!mcastIndexed) {
                mcastIndexed = true;
                const int n = dvm_clampCount(hdr.mcastNumRx);
                for (int i = 0; i < n; ++i)
                    for (int k = 0; k < DVM_STREAM_CH; ++k) {
                        const int32_t id = t.mcastRx[i].rtpChId(k);
                        if (id >= 0 && !mcastByRtp.contains(id))
                            mcastByRtp.insert(id, t.mcastRx[i].stream.dstIp);
                    }
            }
            const auto it = mcastByRtp.constFind(rtp);
            if (it == mcastByRtp.constEnd())
                continue;
            // A cleared slot still names 0.0.0.0: that is no stream and makes no pair.
            if (it.value() == 0)
                continue;
            const QString group = dvm_ipToString(it.value());
            pairs->insert(qMakePair(group, me.devId));
            if (knownStreams.contains(group))
                routes->push_back({group, srcCh + 1, me.devId, ch + 1});
        }
    }
}

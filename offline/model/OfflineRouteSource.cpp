#include "OfflineRouteSource.h"

#include "OfflineData.h"
#include "OfflineDevice.h"

#include <algorithm>

namespace {

QString channelName(const QStringList& names, int channel, const char* fallback)
{
    const QString n = names.value(channel - 1);
    return n.isEmpty() ? QStringLiteral("%1%2").arg(QLatin1String(fallback)).arg(channel) : n;
}

} // namespace

void OfflineRouteSource::buildAxes(MatrixAxis* rows, MatrixAxis* cols)
{
    rows->clear();
    cols->clear();
    m_design.withLock([&](const OfflineData::DeviceList& devices, const QVector<OfflineMcast>& mcasts) {
        QVector<const OfflineMcast*> streams;
        for (const OfflineMcast& m : mcasts)
            streams.append(&m);
        std::stable_sort(streams.begin(), streams.end(),
                         [](const OfflineMcast* a, const OfflineMcast* b) { return a->name < b->name; });
        for (const OfflineMcast* s : streams)
            rows->appendGroup(true, s->dstIp, s->name, s->chNum, [](int c) { return QStringLiteral("CH%1").arg(c); });

        QVector<const OfflineDevice*> devs;
        for (const auto& d : devices)
            devs.append(d.get());
        std::stable_sort(devs.begin(), devs.end(), [](const OfflineDevice* a, const OfflineDevice* b) {
            return a->name() != b->name() ? a->name() < b->name() : a->devId() < b->devId();
        });
        for (const OfflineDevice* d : devs) {
            const OfflineDevDetail& det = d->detail();
            if (det.chNumTx > 0)
                rows->appendGroup(false, d->devId(), d->name(), det.chNumTx,
                                  [&det](int c) { return channelName(det.channelData.txChNameList, c, "NetOut"); });
        }
        for (const OfflineDevice* d : devs) {
            const OfflineDevDetail& det = d->detail();
            if (det.chNumRx > 0)
                cols->appendGroup(false, d->devId(), d->name(), det.chNumRx,
                                  [&det](int c) { return channelName(det.channelData.rxChNameList, c, "NetIn"); });
        }
    });
}

void OfflineRouteSource::collectRoutes(std::vector<RouteEntry>* routes, QSet<QPair<QString, QString>>* pairs)
{
    routes->clear();
    pairs->clear();
    m_design.withLock([&](const OfflineData::DeviceList& devices, const QVector<OfflineMcast>& mcasts) {
        QHash<QString, const OfflineMcast*> byName;
        for (const OfflineMcast& m : mcasts)
            byName.insert(m.name, &m);
        for (const auto& d : devices) {
            for (const OfflineUcastRoute& r : d->ucastRoutes()) {
                routes->push_back({r.srcDevId, r.srcChId + 1, d->devId(), r.dstChId + 1});
                pairs->insert({r.srcDevId, d->devId()});
            }
            for (const OfflineMcastRoute& r : d->mcastRoutes()) {
                const OfflineMcast* s = byName.value(r.mcastName);
                if (s == nullptr)
                    continue;
                // The route names the sender's channel; the matrix counts channels within the stream.
                const int inStream = s->srcChannels.indexOf(r.srcChId);
                if (inStream < 0)
                    continue;
                routes->push_back({s->dstIp, inStream + 1, d->devId(), r.dstChId + 1});
                pairs->insert({s->dstIp, d->devId()});
            }
        }
    });
}

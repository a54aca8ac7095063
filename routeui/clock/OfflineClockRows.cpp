#include "OfflineClockRows.h"

#include "ClockTexts.h"
#include "ModelTable.h"
#include "OfflineData.h"

#include <QSet>

namespace {

constexpr int kChannelsPerUcastStream = 8;

struct Format
{
    int rate = 0;
    int frames = 0;
    int bytes = 0;
};

Format formatOf(const OfflineDevDetail& d)
{
    return Format{d.sampleRate, d.pFrameNum, d.sampleByteNum};
}

int64_t load(const Format& f, int channels)
{
    return BandwidthFigures::streamLoad(f.rate, f.frames, f.bytes, channels);
}

} // namespace

QHash<QString, BandwidthFigures> OfflineClockRows::bandwidth(const OfflineData& design)
{
    QHash<QString, BandwidthFigures> out;
    design.withLock([&](const OfflineData::DeviceList& devices, const QVector<OfflineMcast>& mcasts) {
        QHash<QString, Format> formats;
        for (const auto& d : devices) {
            formats.insert(d->devId(), formatOf(d->detail()));
            out.insert(d->devId(), BandwidthFigures());
        }
        QHash<QString, const OfflineMcast*> streams;
        for (const OfflineMcast& m : mcasts)
            streams.insert(m.name, &m);

        for (const auto& d : devices) {
            BandwidthFigures& own = out[d->devId()];
            for (const OfflineMcast& m : d->detail().mcastList)
                own.tx += load(formatOf(d->detail()), m.chNum);

            // Unicast: the receive channels each sender feeds, in streams of at most 8 channels.
            QHash<QString, QSet<int>> perSender;
            for (const OfflineUcastRoute& r : d->ucastRoutes())
                perSender[r.srcDevId].insert(r.dstChId);
            for (auto it = perSender.cbegin(); it != perSender.cend(); ++it) {
                if (!formats.contains(it.key()))
                    continue; // a sender the design no longer has carries nothing
                const Format f = formats.value(it.key());
                for (int left = it.value().size(); left > 0; left -= kChannelsPerUcastStream) {
                    const int64_t l = load(f, qMin(left, kChannelsPerUcastStream));
                    own.rx += l;
                    out[it.key()].tx += l;
                }
            }

            // Multicast: every stream received once, however many of its channels are taken.
            QSet<QString> received;
            for (const OfflineMcastRoute& r : d->mcastRoutes()) {
                if (received.contains(r.mcastName))
                    continue;
                received.insert(r.mcastName);
                const OfflineMcast* m = streams.value(r.mcastName, nullptr);
                if (m && formats.contains(m->srcDevId))
                    own.rx += load(formats.value(m->srcDevId), m->chNum);
                else
                    own.rx += BandwidthFigures::unknownMcastLoad(r.chNum, r.sampleByteNum);
            }
        }
    });
    return out;
}

QVector<ClockItemForm::Fields> OfflineClockRows::rows(const OfflineData& design, const ModelTable& models)
{
    const QHash<QString, BandwidthFigures> figures = bandwidth(design);
    QVector<ClockItemForm::Fields> out;
    design.withLock([&](const OfflineData::DeviceList& devices, const QVector<OfflineMcast>&) {
        out.reserve(int(devices.size()));
        for (const auto& dev : devices) {
            const OfflineDevDetail& d = dev->detail();
            const QString model = d.model.isEmpty() ? d.devModel : d.model;
            ClockItemForm::Fields f;
            f.type = models.deviceTypeText(model);
            if (f.type.isEmpty())
                f.type = model;
            f.devId = d.devId;
            f.canEdit = models.supportsPriority(model);
            f.priority = ClockTexts::priorityText(d.ptpPriority, f.canEdit);
            f.name = d.devName;
            f.ip = d.isFixIp ? d.ipAndMask.section(QLatin1Char('/'), 0, 0) : QString();
            f.bandwidth = figures.value(d.devId).text();
            out.append(f);
        }
    });
    return out;
}

#include "ArchiveLoadPreview.h"

#include "ArchiveDiff.h"
#include "DevManager.h"
#include "OnlineDeviceReader.h"

namespace {

constexpr uint32_t kAutoPrefix = (239u << 24) | (69u << 16);
constexpr uint32_t kAutoMask = 0xFFFF0000u;

const OfflineDevice* archiveOf(const std::vector<OfflineDevice>& archive, const QString& devId)
{
    for (const OfflineDevice& d : archive)
        if (d.devId() == devId)
            return &d;
    return nullptr;
}

const OnlineDeviceFacts* factsOf(const QVector<OnlineDeviceFacts>& online, const QString& devId)
{
    for (const OnlineDeviceFacts& f : online)
        if (f.devId == devId)
            return &f;
    return nullptr;
}

/// The device's transmit streams now: the read-out's when there is one, else the registry's.
const QVector<OfflineMcast>& streamsNow(const ArchiveLoadPreview::Entry& e)
{
    return e.online ? e.online->detail().mcastList : e.facts.txStreams;
}

/// The address each archived stream is loaded with. An automatic stream whose device already sends a stream of
/// that name in the automatic range keeps that address, so an unchanged stream is not made again.
QHash<QString, QString> loadedAddresses(const QVector<ArchiveLoadPreview::Entry>& entries,
                                        const QVector<OnlineDeviceFacts>& online)
{
    QSet<uint32_t> used;
    for (const OnlineDeviceFacts& f : online)
        for (const OfflineMcast& s : f.txStreams)
            used.insert(dvm_parseIp(s.dstIp));
    QVector<OfflineMcast> streams;
    for (const ArchiveLoadPreview::Entry& e : entries) {
        for (OfflineMcast s : e.archive.detail().mcastList) {
            if (!s.customAddress) {
                for (const OfflineMcast& now : streamsNow(e)) {
                    const uint32_t ip = dvm_parseIp(now.dstIp);
                    if (now.name == s.name && (ip & kAutoMask) == kAutoPrefix)
                        s.dstIp = now.dstIp;
                }
            }
            streams.append(s);
        }
    }
    return ArchiveLoadPlan::mcastAddresses(streams, used);
}

} // namespace

QVector<ArchiveLoadPreview::Entry>
ArchiveLoadPreview::prepare(const std::vector<OfflineDevice>& archive, const QVector<OnlineDeviceFacts>& online,
                            const QVector<ArchiveAssignment::Pair>& pairs, const ArchiveCategories& categories,
                            ArchiveTransport& transport, const std::atomic_bool* cancel, const Progress& progress)
{
    QVector<Entry> entries;
    QHash<QString, QString> onlineIdOf;
    for (const ArchiveAssignment::Pair& p : pairs) {
        const OfflineDevice* a = archiveOf(archive, p.offlineDevId);
        const OnlineDeviceFacts* f = factsOf(online, p.onlineDevId);
        if (!a || !f || p.onlineDevId.isEmpty())
            continue;
        onlineIdOf.insert(p.offlineDevId, p.onlineDevId);
        Entry e;
        e.archive = *a;
        e.facts = *f;
        entries.append(std::move(e));
    }
    QHash<QString, uint32_t> onlineIpOf;
    for (const OnlineDeviceFacts& f : online)
        onlineIpOf.insert(f.devId, f.ip);

    OnlineDeviceReader reader(transport);
    const int total = entries.size();
    for (int i = 0; i < total; ++i) {
        if (cancel && cancel->load()) {
            entries.resize(i);
            break;
        }
        Entry& e = entries[i];
        if (progress)
            progress(QStringLiteral("%1 读取中...").arg(e.facts.name), i, total);
        OnlineDeviceReader::Result r = reader.read(e.facts, cancel, [&](const QString& text) {
            if (progress)
                progress(text, i, total);
        });
        if (r.anyAnswer)
            e.online = std::move(r.device);
    }
    if (progress)
        progress(QStringLiteral("读取完成"), entries.size(), total);

    const QHash<QString, QString> addressOf = loadedAddresses(entries, online);
    for (Entry& e : entries) {
        for (OfflineMcast& s : e.archive.detail().mcastList)
            s.dstIp = addressOf.value(s.name, s.dstIp);
        for (OfflineMcastRoute& r : e.archive.mcastRoutes())
            r.dstIp = addressOf.value(r.mcastName, r.dstIp);
        e.changes = ArchiveDiff::compare(e.archive, e.online ? &*e.online : nullptr, categories, onlineIdOf);
        ArchiveLoadPlan::Input in;
        in.archive = &e.archive;
        in.online = e.online ? &*e.online : nullptr;
        in.facts = e.facts;
        in.categories = categories;
        in.onlineIdOf = onlineIdOf;
        in.onlineIpOf = onlineIpOf;
        in.mcastAddressOf = addressOf;
        e.plan = ArchiveLoadPlan::build(in);
    }
    return entries;
}

QVector<ArchiveLoader::DevicePlan> ArchiveLoadPreview::plans(const QVector<Entry>& entries)
{
    QVector<ArchiveLoader::DevicePlan> out;
    out.reserve(entries.size());
    for (const Entry& e : entries) {
        ArchiveLoader::DevicePlan p;
        p.name = e.facts.name.isEmpty() ? e.facts.devId : e.facts.name;
        p.devId = e.facts.devId;
        p.steps = e.plan.steps;
        p.notes = e.plan.notes;
        out.append(p);
    }
    return out;
}

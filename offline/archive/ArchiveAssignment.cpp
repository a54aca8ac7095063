#include "ArchiveAssignment.h"

#include "DevManager.h"
#include "OfflineDevice.h"

#include <QSet>

namespace {

// A command line names a handful of pairs; more is a mistake or hostile text.
constexpr int kMaxPairsInText = 4096;

QString label(const OfflineDevice& d)
{
    return d.name().isEmpty() ? d.devId() : QStringLiteral("%1 (%2)").arg(d.name(), d.devId());
}

QString label(const OnlineDeviceFacts& f)
{
    return f.name.isEmpty() ? f.devId : QStringLiteral("%1 (%2)").arg(f.name, f.devId);
}

/// The one archive device a text names: devId first, then a unique name. -1 with `error` otherwise.
int findArchive(const QString& text, const std::vector<OfflineDevice>& archive, QString* error)
{
    for (size_t i = 0; i < archive.size(); ++i)
        if (archive[i].devId() == text)
            return int(i);
    int found = -1;
    for (size_t i = 0; i < archive.size(); ++i) {
        if (archive[i].name() != text)
            continue;
        if (found >= 0) {
            *error = QStringLiteral("archive device name is not unique: %1").arg(text);
            return -1;
        }
        found = int(i);
    }
    if (found < 0)
        *error = QStringLiteral("no archive device: %1").arg(text);
    return found;
}

/// The one online device a text names: devId, then a unique name, then an address.
int findOnline(const QString& text, const QVector<OnlineDeviceFacts>& online, QString* error)
{
    for (int i = 0; i < online.size(); ++i)
        if (online[i].devId == text)
            return i;
    int found = -1;
    for (int i = 0; i < online.size(); ++i) {
        if (online[i].name != text)
            continue;
        if (found >= 0) {
            *error = QStringLiteral("online device name is not unique: %1").arg(text);
            return -1;
        }
        found = i;
    }
    if (found >= 0)
        return found;
    const uint32_t ip = dvm_parseIp(text);
    for (int i = 0; ip != 0 && i < online.size(); ++i)
        if (online[i].ip == ip)
            return i;
    *error = QStringLiteral("no online device: %1").arg(text);
    return -1;
}

} // namespace

bool ArchiveAssignment::compatible(const OfflineDevice& archive, const OnlineDeviceFacts& online)
{
    const OfflineDevDetail& d = archive.detail();
    return !online.isEmpty() && d.model == online.model && d.chNumRx == online.chNumRx && d.chNumTx == online.chNumTx &&
           d.phyChNumRx == online.phyChNumRx && d.phyChNumTx == online.phyChNumTx;
}

QVector<ArchiveAssignment::Pair> ArchiveAssignment::automatic(const std::vector<OfflineDevice>& archive,
                                                              const QVector<OnlineDeviceFacts>& online,
                                                              QStringList* log)
{
    // Devices whose own identifier is online keep it first, so an earlier archive device cannot take it away.
    QVector<int> pick(int(archive.size()), -1);
    QVector<bool> taken(online.size(), false);
    for (size_t a = 0; a < archive.size(); ++a)
        for (int i = 0; i < online.size() && pick[int(a)] < 0; ++i)
            if (!taken[i] && online[i].devId == archive[a].devId() && compatible(archive[a], online[i])) {
                pick[int(a)] = i;
                taken[i] = true;
            }
    for (size_t a = 0; a < archive.size(); ++a)
        for (int i = 0; i < online.size() && pick[int(a)] < 0; ++i)
            if (!taken[i] && compatible(archive[a], online[i])) {
                pick[int(a)] = i;
                taken[i] = true;
            }

    QVector<Pair> out;
    out.reserve(int(archive.size()));
    for (size_t a = 0; a < archive.size(); ++a) {
        const OfflineDevice& dev = archive[a];
        const int i = pick[int(a)];
        out.append(Pair{dev.devId(), i >= 0 ? online[i].devId : QString()});
        if (!log)
            continue;
        if (i >= 0)
            *log << QStringLiteral("Auto-matched device: %1 -> %2").arg(label(dev), label(online[i]));
        else
            *log << QStringLiteral("No compatible device found for: %1").arg(label(dev));
    }
    return out;
}

bool ArchiveAssignment::applyText(const QString& text, const std::vector<OfflineDevice>& archive,
                                  const QVector<OnlineDeviceFacts>& online, QVector<Pair>* pairs, QString* error)
{
    QString err;
    auto fail = [&](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    const QStringList items = text.split(QLatin1Char(','), Qt::SkipEmptyParts);
    if (items.size() > kMaxPairsInText)
        return fail(QStringLiteral("too many pairs: %1").arg(items.size()));

    // Work on a copy with one pair per archive device, so a refused text changes nothing.
    QVector<Pair> result;
    result.reserve(int(archive.size()));
    for (const OfflineDevice& dev : archive) {
        Pair p{dev.devId(), QString()};
        if (pairs)
            for (const Pair& old : *pairs)
                if (old.offlineDevId == dev.devId())
                    p.onlineDevId = old.onlineDevId;
        result.append(p);
    }

    QSet<QString> given;
    QSet<int> named;
    for (const QString& raw : items) {
        if (raw.trimmed().isEmpty())
            continue;
        const int eq = raw.indexOf(QLatin1Char('='));
        if (eq < 0)
            return fail(QStringLiteral("expected OFFLINE=ONLINE: %1").arg(raw.trimmed()));
        const QString left = raw.left(eq).trimmed();
        const QString right = raw.mid(eq + 1).trimmed();
        const int a = findArchive(left, archive, &err);
        if (a < 0)
            return fail(err);
        if (named.contains(a))
            return fail(QStringLiteral("archive device given twice: %1").arg(left));
        named.insert(a);
        if (right.isEmpty()) {
            result[a].onlineDevId.clear();
            continue;
        }
        const int o = findOnline(right, online, &err);
        if (o < 0)
            return fail(err);
        if (!compatible(archive[size_t(a)], online[o]))
            return fail(QStringLiteral("not the same model and channel counts: %1 and %2")
                            .arg(label(archive[size_t(a)]), label(online[o])));
        if (given.contains(online[o].devId))
            return fail(QStringLiteral("online device given twice: %1").arg(right));
        given.insert(online[o].devId);
        result[a].onlineDevId = online[o].devId;
    }
    // An online device named in the text leaves the archive device it had been given before.
    for (int i = 0; i < result.size(); ++i)
        if (!named.contains(i) && given.contains(result[i].onlineDevId))
            result[i].onlineDevId.clear();
    if (pairs)
        *pairs = result;
    return true;
}

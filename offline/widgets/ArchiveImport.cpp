#include "ArchiveImport.h"

#include "OfflineData.h"
#include "OfflineDevice.h"

#include <QHash>
#include <QSet>

namespace {

QString freeId(const QString& model, const QSet<QString>& taken)
{
    for (int n = 1;; ++n) {
        const QString id = QStringLiteral("OFF-%1-%2").arg(model).arg(n);
        if (!taken.contains(id))
            return id;
    }
}

QString freeStreamName(const QString& name, const QSet<QString>& taken)
{
    for (int n = 2;; ++n) {
        const QString candidate = QStringLiteral("%1-%2").arg(name).arg(n);
        if (!taken.contains(candidate))
            return candidate;
    }
}

} // namespace

QStringList ArchiveImport::addToDesign(const OfflineData& archive, const QStringList& devIds,
                                       const ArchiveCategories& categories, OfflineData& design, QString* error)
{
    // The archive written again with the chosen categories' flags puts every unchosen group at its default, the
    // same way an export does.
    OfflineData filtered;
    filtered.loadFromText(archive.saveToText());
    filtered.setExportFlags(categories.exportFlags());
    OfflineData chosen;
    QString loadError;
    if (!chosen.loadFromText(filtered.exportText(devIds), OfflineData::Progress(), &loadError)) {
        if (error != nullptr)
            *error = loadError;
        return {};
    }
    const std::vector<OfflineDevice> devices = chosen.devices();

    QSet<QString> takenIds;
    for (const QString& id : design.deviceIds())
        takenIds.insert(id);
    const QSet<QString> designIds = takenIds;
    for (const OfflineDevice& d : devices)
        takenIds.insert(d.devId());
    QHash<QString, QString> newId;
    for (const OfflineDevice& d : devices) {
        QString id = d.devId();
        if (designIds.contains(id)) {
            id = freeId(d.model(), takenIds);
            takenIds.insert(id);
        }
        newId.insert(d.devId(), id);
    }
    QSet<QString> takenStreams;
    for (const OfflineMcast& m : design.mcasts())
        takenStreams.insert(m.name);
    QHash<QString, QString> newStream;
    for (const OfflineDevice& d : devices) {
        for (const OfflineMcast& m : d.detail().mcastList) {
            const QString name = takenStreams.contains(m.name) ? freeStreamName(m.name, takenStreams) : m.name;
            takenStreams.insert(name);
            newStream.insert(m.name, name);
        }
    }

    QStringList added;
    for (const OfflineDevice& source : devices) {
        auto d = std::make_unique<OfflineDevice>(source);
        d->detail().devId = newId.value(source.devId());
        for (OfflineMcast& m : d->detail().mcastList) {
            m.name = newStream.value(m.name, m.name);
            m.srcDevId = d->devId();
        }
        QVector<OfflineUcastRoute> ucast;
        for (OfflineUcastRoute r : d->ucastRoutes()) {
            if (!newId.contains(r.srcDevId))
                continue;
            r.srcDevId = newId.value(r.srcDevId);
            ucast.append(r);
        }
        d->ucastRoutes() = ucast;
        QVector<OfflineMcastRoute> mroutes;
        for (OfflineMcastRoute r : d->mcastRoutes()) {
            if (!newId.contains(r.srcDevId) || !newStream.contains(r.mcastName))
                continue;
            r.srcDevId = newId.value(r.srcDevId);
            r.mcastName = newStream.value(r.mcastName);
            mroutes.append(r);
        }
        d->mcastRoutes() = mroutes;
        const QString id = d->devId();
        if (!design.addDevice(std::move(d))) {
            if (error != nullptr)
                *error = QStringLiteral("the design is full (%1 devices)").arg(OfflineData::MaxDevices);
            break;
        }
        added << id;
    }
    return added;
}

#include "OfflineData.h"

#include "AppState.h"
#include "AppVersion.h"
#include "DspJsonTree.h"
#include "OfflineJsonWriter.h"

#include <QCoreApplication>
#include <QSet>
#include <QThread>

#include <algorithm>

namespace {

/// Keeps the window responsive during long loads and saves: handles what is pending, for at most 10 ms, and
/// returns at once when nothing is. Only on the thread of the application's event loop.
void pause()
{
    QCoreApplication* app = QCoreApplication::instance();
    if (app && QThread::currentThread() == app->thread())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

void report(const OfflineData::Progress& progress, int done, int total, const QString& name)
{
    if (progress)
        progress(done, total, name);
}

} // namespace

OfflineData::OfflineData(QObject* parent) : QObject(parent), m_guiVersion(AppVersion::version()) {}

OfflineData::~OfflineData() = default;

OfflineData& OfflineData::instance()
{
    // Created on first use and never destroyed: workers of an export may still read it while the process ends.
    static OfflineData* const data = new OfflineData;
    return *data;
}

QString OfflineData::stepText(int done)
{
    switch ((done - 1) % StepsPerDevice) {
    case 0:
        return QStringLiteral(" 解析设备详情中...");
    case 1:
        return QStringLiteral(" 解析设备路由中...");
    default:
        return QStringLiteral(" 解析dsp中...");
    }
}

void OfflineData::withLock(const std::function<void(const DeviceList&, const QVector<OfflineMcast>&)>& fn) const
{
    QMutexLocker lock(&m_mutex);
    fn(m_devices, m_mcasts);
}

void OfflineData::editWithLock(const std::function<void(DeviceList&, QVector<OfflineMcast>&)>& fn)
{
    {
        QMutexLocker lock(&m_mutex);
        fn(m_devices, m_mcasts);
    }
    emit changed();
}

std::vector<OfflineDevice> OfflineData::devices() const
{
    QMutexLocker lock(&m_mutex);
    std::vector<OfflineDevice> out;
    out.reserve(m_devices.size());
    for (const auto& d : m_devices)
        out.push_back(*d);
    return out;
}

QVector<OfflineMcast> OfflineData::mcasts() const
{
    QMutexLocker lock(&m_mutex);
    return m_mcasts;
}

QStringList OfflineData::deviceIds() const
{
    QMutexLocker lock(&m_mutex);
    QStringList out;
    for (const auto& d : m_devices)
        out.append(d->devId());
    return out;
}

int OfflineData::deviceCount() const
{
    QMutexLocker lock(&m_mutex);
    return int(m_devices.size());
}

OfflineDevice* OfflineData::find(const QString& devId) const
{
    for (const auto& d : m_devices)
        if (d->devId() == devId)
            return d.get();
    return nullptr;
}

std::optional<OfflineDevice> OfflineData::device(const QString& devId) const
{
    QMutexLocker lock(&m_mutex);
    if (const OfflineDevice* d = find(devId))
        return *d;
    return std::nullopt;
}

bool OfflineData::updateDevice(const QString& devId, const std::function<void(OfflineDevice&)>& fn)
{
    {
        QMutexLocker lock(&m_mutex);
        OfflineDevice* d = find(devId);
        if (!d)
            return false;
        fn(*d);
        d->detail().devId = devId; // the identity is the design's key: an edit must not change it
        rebuildMcasts();
    }
    emit changed();
    return true;
}

bool OfflineData::addDevice(std::unique_ptr<OfflineDevice> device)
{
    {
        QMutexLocker lock(&m_mutex);
        if (!device || device->devId().isEmpty() || find(device->devId()) || int(m_devices.size()) >= MaxDevices)
            return false;
        m_devices.push_back(std::move(device));
        rebuildMcasts();
    }
    emit changed();
    return true;
}

bool OfflineData::removeDevice(const QString& devId)
{
    {
        QMutexLocker lock(&m_mutex);
        auto it = std::find_if(m_devices.begin(), m_devices.end(),
                               [&](const std::unique_ptr<OfflineDevice>& d) { return d->devId() == devId; });
        if (it == m_devices.end())
            return false;
        m_devices.erase(it);
        for (auto& d : m_devices) {
            auto& uc = d->ucastRoutes();
            uc.erase(
                std::remove_if(uc.begin(), uc.end(), [&](const OfflineUcastRoute& r) { return r.srcDevId == devId; }),
                uc.end());
            auto& mc = d->mcastRoutes();
            mc.erase(
                std::remove_if(mc.begin(), mc.end(), [&](const OfflineMcastRoute& r) { return r.srcDevId == devId; }),
                mc.end());
        }
        rebuildMcasts();
    }
    emit changed();
    return true;
}

QString OfflineData::copyDevice(const QString& devId)
{
    QString newId;
    {
        QMutexLocker lock(&m_mutex);
        const OfflineDevice* d = find(devId);
        if (!d || int(m_devices.size()) >= MaxDevices)
            return QString();
        newId = newDeviceId(d->model());
        const QString name = d->name() + AppState::pick(QStringLiteral(" 副本"), QStringLiteral(" copy"));
        m_devices.push_back(d->clone(newId, name));
    }
    emit changed();
    return newId;
}

QString OfflineData::newDeviceId(const QString& model) const
{
    QMutexLocker lock(&m_mutex);
    const QString prefix = QStringLiteral("OFF-") + (model.isEmpty() ? QStringLiteral("DEV") : model) + '-';
    for (int n = 1;; ++n) {
        const QString id = prefix + QString::number(n);
        if (!find(id))
            return id;
    }
}

bool OfflineData::addRoute(const QString& dstDevId, const OfflineUcastRoute& route)
{
    {
        QMutexLocker lock(&m_mutex);
        OfflineDevice* dst = find(dstDevId);
        const OfflineDevice* src = find(route.srcDevId);
        if (!dst || !src || route.dstChId < 0 || route.dstChId >= dst->detail().chNumRx || route.srcChId < 0 ||
            route.srcChId >= src->detail().chNumTx)
            return false;
        auto& list = dst->ucastRoutes();
        auto it = std::find_if(list.begin(), list.end(),
                               [&](const OfflineUcastRoute& r) { return r.dstChId == route.dstChId; });
        if (it != list.end())
            *it = route;
        else if (list.size() >= OfflineDevice::MaxRoutes)
            return false;
        else
            list.append(route);
    }
    emit changed();
    return true;
}

bool OfflineData::removeRoute(const QString& dstDevId, int dstChId)
{
    {
        QMutexLocker lock(&m_mutex);
        OfflineDevice* dst = find(dstDevId);
        if (!dst)
            return false;
        auto& list = dst->ucastRoutes();
        const int before = list.size();
        list.erase(
            std::remove_if(list.begin(), list.end(), [&](const OfflineUcastRoute& r) { return r.dstChId == dstChId; }),
            list.end());
        if (list.size() == before)
            return false;
    }
    emit changed();
    return true;
}

bool OfflineData::addMcast(const OfflineMcast& mcast)
{
    {
        QMutexLocker lock(&m_mutex);
        OfflineDevice* src = find(mcast.srcDevId);
        if (mcast.name.isEmpty() || !src || m_mcasts.size() >= MaxMcasts ||
            src->detail().mcastList.size() >= OfflineDevice::MaxStreams)
            return false;
        for (const OfflineMcast& m : m_mcasts)
            if (m.name == mcast.name)
                return false;
        src->detail().mcastList.append(mcast);
        m_mcasts.append(mcast);
    }
    emit changed();
    return true;
}

bool OfflineData::removeMcast(const QString& name)
{
    {
        QMutexLocker lock(&m_mutex);
        bool found = false;
        for (auto& d : m_devices) {
            auto& own = d->detail().mcastList;
            const int before = own.size();
            own.erase(std::remove_if(own.begin(), own.end(), [&](const OfflineMcast& m) { return m.name == name; }),
                      own.end());
            found = found || own.size() != before;
            auto& routes = d->mcastRoutes();
            routes.erase(std::remove_if(routes.begin(), routes.end(),
                                        [&](const OfflineMcastRoute& r) { return r.mcastName == name; }),
                         routes.end());
        }
        if (!found)
            return false;
        rebuildMcasts();
    }
    emit changed();
    return true;
}

void OfflineData::rebuildMcasts()
{
    // The global list is the devices' lists in device order, bounded like any list of the design.
    m_mcasts.clear();
    for (const auto& d : m_devices)
        for (const OfflineMcast& m : d->detail().mcastList)
            if (m_mcasts.size() < MaxMcasts)
                m_mcasts.append(m);
}

OfflineExportFlags OfflineData::exportFlags() const
{
    QMutexLocker lock(&m_mutex);
    return m_flags;
}

void OfflineData::setExportFlags(const OfflineExportFlags& flags)
{
    QMutexLocker lock(&m_mutex);
    m_flags = flags;
}

QString OfflineData::guiVersion() const
{
    QMutexLocker lock(&m_mutex);
    return m_guiVersion;
}

void OfflineData::setGuiVersion(const QString& version)
{
    QMutexLocker lock(&m_mutex);
    m_guiVersion = version;
}

void OfflineData::clear()
{
    {
        QMutexLocker lock(&m_mutex);
        m_devices.clear();
        m_mcasts.clear();
    }
    emit changed();
}

bool OfflineData::loadFromText(const QByteArray& text, const Progress& progress, QString* error)
{
    // Read into a design of our own and swap it in at the end: the event pauses may run code that reads or
    // edits the design, which must never see half a load.
    auto fail = [&](const QString& why) {
        clear();
        if (error)
            *error = why;
        return false;
    };
    if (text.size() > MaxDocumentBytes)
        return fail(QStringLiteral("file larger than %1 bytes").arg(MaxDocumentBytes));
    DspJsonTree tree;
    if (!tree.parse(text) || !tree.root().isObject())
        return fail(QStringLiteral("not a JSON object (at byte %1)").arg(qMax(0, tree.errorOffset())));
    const DspJsonValue root = tree.root();
    QString version;
    const DspJsonValue gv = root[QLatin1String("guiVersion")];
    if (gv.isString())
        version = gv.toString().left(256);
    const DspJsonValue arr = root[QLatin1String("devArray")];
    if (!arr.isArray()) {
        clear();
        setGuiVersion(version);
        if (error)
            *error = QStringLiteral("no \"devArray\"");
        return true;
    }

    DeviceList loaded;
    QString note;
    const int total = qMin(arr.size(), MaxDevices) * StepsPerDevice;
    int done = 0;
    QSet<QString> ids;
    for (DspJsonValue v = arr.first(); v.isValid(); v = v.next()) {
        if (!v.isObject())
            continue;
        if (int(loaded.size()) >= MaxDevices) {
            note = QStringLiteral("more than %1 devices: the rest were dropped").arg(MaxDevices);
            break;
        }
        auto dev = std::make_unique<OfflineDevice>();
        dev->readDetail(v[QLatin1String("devDetail")]);
        report(progress, ++done, total, dev->name());
        pause();
        dev->readRoute(v[QLatin1String("devRoute")]);
        report(progress, ++done, total, dev->name());
        pause();
        const DspJsonValue dsp = v[QLatin1String("dsp")];
        if (dsp.isValid())
            dev->readDsp(dsp);
        report(progress, ++done, total, dev->name());
        pause();
        if (dev->devId().isEmpty() || ids.contains(dev->devId())) {
            note = QStringLiteral("devices without a devId or with a repeated one were dropped");
            continue;
        }
        ids.insert(dev->devId());
        loaded.push_back(std::move(dev));
    }
    {
        QMutexLocker lock(&m_mutex);
        m_devices.swap(loaded);
        m_guiVersion = version;
        rebuildMcasts();
    }
    emit changed();
    if (error)
        *error = note;
    return true;
}

QByteArray OfflineData::saveToText(const Progress& progress) const
{
    return writeDocument(nullptr, OfflineExportFlags(), progress);
}

QByteArray OfflineData::exportText(const QStringList& devIds, const Progress& progress) const
{
    return writeDocument(&devIds, exportFlags(), progress);
}

QByteArray OfflineData::writeDocument(const QStringList* devIds, const OfflineExportFlags& flags,
                                      const Progress& progress) const
{
    // Each device is written under the mutex, which is let go for the pause between devices: the design may
    // change in between (a device removed meanwhile is simply not written).
    QStringList ids;
    QString version;
    {
        QMutexLocker lock(&m_mutex);
        for (const auto& d : m_devices)
            if (!devIds || devIds->contains(d->devId()))
                ids.append(d->devId());
        version = m_guiVersion;
    }
    const int total = ids.size() * StepsPerDevice;
    int done = 0;
    QByteArray devArray("[");
    bool first = true;
    for (const QString& id : ids) {
        QString name;
        {
            QMutexLocker lock(&m_mutex);
            const OfflineDevice* d = find(id);
            if (!d) {
                done += StepsPerDevice;
                continue;
            }
            name = d->name();
            OfflineJsonWriter w;
            w.addRaw("devDetail", d->writeDetail(flags));
            report(progress, ++done, total, name);
            w.addRaw("devRoute", d->writeRoute(flags));
            report(progress, ++done, total, name);
            if (d->hasDsp())
                w.addRaw("dsp", d->writeDsp());
            report(progress, ++done, total, name);
            if (!first)
                devArray.append(',');
            first = false;
            devArray.append(w.finish());
        }
        pause();
    }
    devArray.append(']');
    OfflineJsonWriter doc;
    doc.addRaw("devArray", devArray);
    doc.add("guiVersion", version);
    return doc.finish();
}

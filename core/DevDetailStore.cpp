#include "DevDetailStore.h"

#include "DevManager.h"

#include <QLoggingCategory>
#include <QSet>
#include <algorithm>
#include <utility>

namespace {

Q_LOGGING_CATEGORY(lcStore, "meridane.store", QtInfoMsg)

// Position before the first element whose name is equal or greater (case-sensitive).
template <typename T> int orderedPosition(const QVector<T>& list, const QString& name)
{
    const auto it = std::find_if(list.cbegin(), list.cend(), [&name](const T& e) { return e.name >= name; });
    return int(it - list.cbegin());
}

// A copy with its own buffer, made under the caller's lock. A shared buffer would be written in place
// by the next change once the reader dropped its copy, and the relaxed share-count check of Qt's
// containers orders that write after the reader's last read only in practice, not by the language.
template <typename Container> Container ownCopy(const Container& c)
{
    Container out(c);
    out.detach();
    return out;
}

/// True on the 1st, 2nd, 4th, 8th... occurrence, so that a lasting conflict is logged sparsely.
bool sparse(quint64 count)
{
    return (count & (count - 1)) == 0;
}

bool copyHeader(const QString& devId, DevHeader* out)
{
    return dvm_copyDevHeader(findDevById(devId.toUtf8().constData()), out) == 1;
}

} // namespace

DevDetailStore::DevDetailStore(const ModelTable& models)
    : m_models(models), m_moduleMaps(qMax(1, models.moduleFamilies().size()))
{
}

DevDetailStore& DevDetailStore::instance()
{
    static DevDetailStore store;
    return store;
}

int DevDetailStore::indexOfLocked(const QString& devId) const
{
    for (int i = 0; i < m_devs.size(); ++i)
        if (m_devs[i].devId == devId)
            return i;
    return -1;
}

void DevDetailStore::placeLocked(const DevDetail_t& detail)
{
    m_devs.insert(orderedPosition(m_devs, detail.name), detail);
}

DevDetail_t DevDetailStore::getDevDetail(const QString& devId, const char* caller, int line) const
{
    {
        StoreLock::ReadGuard guard(m_lock);
        const int i = indexOfLocked(devId);
        if (i >= 0)
            return m_devs[i];
    }
    qCDebug(lcStore) << "no detail for" << devId << "asked by" << (caller ? caller : "?") << line;
    return DevDetail_t();
}

DevDetail_t DevDetailStore::getDevDetailByIp(uint32_t ip) const
{
    StoreLock::ReadGuard guard(m_lock);
    for (const DevDetail_t& d : m_devs)
        if (d.ip == ip)
            return d;
    return DevDetail_t();
}

bool DevDetailStore::containsIp(uint32_t ip, const QString& exceptDevId) const
{
    StoreLock::ReadGuard guard(m_lock);
    for (const DevDetail_t& d : m_devs)
        if (d.ip == ip && d.devId != exceptDevId)
            return true;
    return false;
}

bool DevDetailStore::containsDevId(const QString& devId) const
{
    StoreLock::ReadGuard guard(m_lock);
    return indexOfLocked(devId) >= 0;
}

QVector<DevDetail_t> DevDetailStore::devDetails() const
{
    StoreLock::ReadGuard guard(m_lock);
    return ownCopy(m_devs);
}

int DevDetailStore::devCount() const
{
    StoreLock::ReadGuard guard(m_lock);
    return m_devs.size();
}

DevDetailStore::InsertResult DevDetailStore::insertDevDetail(const DevDetail_t& detail)
{
    StoreLock::WriteGuard guard(m_lock);
    for (const DevDetail_t& d : m_devs)
        if (d.ip == detail.ip && d.devId != detail.devId)
            return IpTaken;
    // A device added twice must not be listed twice.
    const int old = indexOfLocked(detail.devId);
    if (old >= 0)
        m_devs.remove(old);
    placeLocked(detail);
    return old >= 0 ? Replaced : Inserted;
}

bool DevDetailStore::updateDevDetail(const QString& devId, const std::function<void(DevDetail_t&)>& edit)
{
    StoreLock::WriteGuard guard(m_lock);
    const int i = indexOfLocked(devId);
    if (i < 0)
        return false;
    DevDetail_t& d = m_devs[i];
    const QString oldName = d.name;
    edit(d);
    d.devId = devId;
    if (d.name != oldName) {
        // A renamed device moves to its place so that the list stays in order of name.
        const DevDetail_t moved = d;
        m_devs.remove(i);
        placeLocked(moved);
    }
    return true;
}

bool DevDetailStore::removeDevDetail(const QString& devId)
{
    StoreLock::WriteGuard guard(m_lock);
    const int i = indexOfLocked(devId);
    if (i < 0)
        return false;
    m_devs.remove(i);
    return true;
}

DevDetailStore::AddResult DevDetailStore::addFromRegistry(const QString& devId)
{
    DevHeader hdr;
    if (!copyHeader(devId, &hdr))
        return NotInRegistry;
    return insertDevDetail(s_dev_detail::fromHeader(hdr)) == IpTaken ? AddressTaken : Added;
}

bool DevDetailStore::updateFromRegistry(const QString& devId)
{
    DevHeader hdr;
    if (!copyHeader(devId, &hdr))
        return false;
    const s_dev_detail fresh = s_dev_detail::fromHeader(hdr);
    return updateDevDetail(devId, [&fresh](DevDetail_t& d) {
        d.macText = fresh.macText;
        d.canWork = fresh.canWork;
    });
}

int DevDetailStore::syncCanWork()
{
    QStringList ids;
    {
        StoreLock::ReadGuard guard(m_lock);
        // Const access only: a non-const begin() would detach the shared list under a read lock.
        for (const DevDetail_t& d : std::as_const(m_devs))
            ids.append(d.devId);
    }
    QHash<QString, bool> live;
    for (const QString& id : ids) {
        DevHeader hdr;
        if (copyHeader(id, &hdr))
            live.insert(id, hdr.canWork != 0);
    }
    int changed = 0;
    StoreLock::WriteGuard guard(m_lock);
    for (DevDetail_t& d : m_devs) {
        const auto it = live.constFind(d.devId);
        if (it != live.cend() && d.canWork != it.value()) {
            d.canWork = it.value();
            ++changed;
        }
    }
    return changed;
}

void DevDetailStore::insertMcast(const McastEntry& entry)
{
    if (entry.isEmpty())
        return;
    StoreLock::WriteGuard guard(m_lock);
    for (int i = 0; i < m_mcasts.size(); ++i)
        if (m_mcasts[i].dstIp == entry.dstIp) {
            m_mcasts.remove(i);
            break;
        }
    m_mcasts.insert(orderedPosition(m_mcasts, entry.name), entry);
}

bool DevDetailStore::removeMcast(uint32_t dstIp)
{
    StoreLock::WriteGuard guard(m_lock);
    for (int i = 0; i < m_mcasts.size(); ++i)
        if (m_mcasts[i].dstIp == dstIp) {
            m_mcasts.remove(i);
            return true;
        }
    return false;
}

McastEntry DevDetailStore::mcastByDstIp(uint32_t dstIp) const
{
    StoreLock::ReadGuard guard(m_lock);
    for (const McastEntry& e : m_mcasts)
        if (e.dstIp == dstIp)
            return e;
    return McastEntry();
}

QVector<McastEntry> DevDetailStore::mcastEntries() const
{
    StoreLock::ReadGuard guard(m_lock);
    return ownCopy(m_mcasts);
}

void DevDetailStore::rebuildModuleMaps()
{
    QStringList hosts;
    {
        StoreLock::ReadGuard guard(m_lock);
        for (const DevDetail_t& d : std::as_const(m_devs))
            if (m_models.isHost(d.devId))
                hosts.append(d.devId);
    }
    // Registry look-ups outside the store lock: the registry has its own.
    const int families = m_models.moduleFamilies().size();
    QVector<QMap<QString, ModuleInfo>> found(families);
    for (const QString& host : hosts) {
        const QStringList modules = m_models.moduleDevIds(host);
        for (int f = 0; f < families; ++f) {
            DevHeader hdr;
            if (copyHeader(modules[f], &hdr))
                found[f].insert(host, ModuleInfo{hdr.ip, dvm_clampCount(hdr.chNumRx), dvm_clampCount(hdr.chNumTx)});
        }
    }

    StoreLock::WriteGuard guard(m_lock);
    QSet<QString> listedHosts;
    QHash<uint32_t, QString> listedIps; // address -> listed devId
    for (const DevDetail_t& d : std::as_const(m_devs)) {
        listedIps.insert(d.ip, d.devId);
        if (m_models.isHost(d.devId))
            listedHosts.insert(d.devId);
    }
    // Who holds each address in the maps now, and who claims it after this rebuild.
    QHash<uint32_t, QString> holder;
    QHash<uint32_t, QSet<QString>> claims;
    for (const QMap<QString, ModuleInfo>& map : std::as_const(m_moduleMaps))
        for (auto it = map.cbegin(); it != map.cend(); ++it) {
            holder.insert(it.value().ip, it.key());
            if (!m_models.isHost(it.key()))
                claims[it.value().ip].insert(it.key()); // kept below
        }
    for (int f = 0; f < families; ++f)
        for (auto it = found[f].cbegin(); it != found[f].cend(); ++it)
            claims[it.value().ip].insert(it.key());
    const auto acceptable = [&](const QString& host, const QString& moduleDevId, uint32_t ip) {
        if (ip == 0)
            return false;
        // A module never answers for a listed device: that device's replies would go to the host.
        const auto listed = listedIps.constFind(ip);
        if (listed != listedIps.cend() && listed.value() != moduleDevId)
            return false;
        // One address, one host: a contested address stays with the host that held it, or with none.
        return claims.value(ip).size() == 1 || holder.value(ip) == host;
    };

    for (int f = 0; f < families; ++f) {
        QMap<QString, ModuleInfo>& map = m_moduleMaps[f];
        for (auto it = map.begin(); it != map.end();) {
            if (m_models.isHost(it.key()) && !listedHosts.contains(it.key()))
                it = map.erase(it);
            else
                ++it;
        }
        for (const QString& host : hosts) {
            if (!listedHosts.contains(host))
                continue; // removed while the registry was asked
            const auto it = found[f].constFind(host);
            if (it != found[f].cend() && acceptable(host, m_models.moduleDevIds(host).value(f), it.value().ip)) {
                map.insert(host, it.value());
            } else {
                if (it != found[f].cend() && sparse(++m_refusedModules))
                    qCWarning(lcStore) << "module address" << it.value().ip << "of" << host
                                       << "refused: not unique or another device's (" << m_refusedModules << "so far)";
                map.remove(host);
            }
        }
    }
}

QMap<QString, DevDetailStore::ModuleInfo> DevDetailStore::moduleMap(int family) const
{
    StoreLock::ReadGuard guard(m_lock);
    if (family < 0 || family >= m_moduleMaps.size())
        return {};
    return ownCopy(m_moduleMaps[family]);
}

DevDetailStore::ModuleInfo DevDetailStore::module(int family, const QString& hostDevId) const
{
    StoreLock::ReadGuard guard(m_lock);
    if (family < 0 || family >= m_moduleMaps.size())
        return {};
    return m_moduleMaps[family].value(hostDevId);
}

bool DevDetailStore::setReplyAddress(const QString& devId, uint32_t ip)
{
    if (ip == 0 || devId.isEmpty())
        return false;
    StoreLock::WriteGuard guard(m_lock);
    for (const DevDetail_t& d : std::as_const(m_devs))
        if (d.ip == ip && d.devId != devId)
            return false;
    for (const QMap<QString, ModuleInfo>& map : std::as_const(m_moduleMaps))
        for (auto it = map.cbegin(); it != map.cend(); ++it)
            if (it.value().ip == ip && it.key() != devId)
                return false;
    m_moduleMaps[0][devId].ip = ip;
    return true;
}

QString DevDetailStore::devIdForReplyAddress(uint32_t ip) const
{
    if (ip == 0)
        return QString();
    StoreLock::ReadGuard guard(m_lock);
    const QMap<QString, ModuleInfo>& map = m_moduleMaps[0];
    for (auto it = map.cbegin(); it != map.cend(); ++it)
        if (it.value().ip == ip)
            return it.key();
    return QString();
}

void DevDetailStore::setSecondaryUnit(const QString& devId, uint32_t ip)
{
    StoreLock::WriteGuard guard(m_lock);
    m_secondaryUnits.insert(devId, ip);
}

uint32_t DevDetailStore::secondaryUnit(const QString& devId) const
{
    StoreLock::ReadGuard guard(m_lock);
    return m_secondaryUnits.value(devId, 0);
}

QMap<QString, uint32_t> DevDetailStore::secondaryUnits() const
{
    StoreLock::ReadGuard guard(m_lock);
    return ownCopy(m_secondaryUnits);
}

void DevDetailStore::setDspAddress(const QString& devId, uint32_t ip)
{
    StoreLock::WriteGuard guard(m_lock);
    if (ip == 0)
        m_dspAddresses.remove(devId);
    else
        m_dspAddresses.insert(devId, ip);
}

uint32_t DevDetailStore::dspAddress(const QString& devId) const
{
    StoreLock::ReadGuard guard(m_lock);
    return m_dspAddresses.value(devId, 0);
}

void DevDetailStore::clear()
{
    StoreLock::WriteGuard guard(m_lock);
    m_devs.clear();
    m_mcasts.clear();
    for (auto& map : m_moduleMaps)
        map.clear();
    m_secondaryUnits.clear();
    m_dspAddresses.clear();
}

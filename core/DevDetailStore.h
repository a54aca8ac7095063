#pragma once
#include "DevDetail.h"
#include "McastEntry.h"
#include "ModelTable.h"
#include "StoreLock.h"

#include <QMap>
#include <QString>
#include <QVector>
#include <cstdint>
#include <functional>

/// The user interface's copies of the registry: device details in ascending order of name,
/// multicast stream entries in ascending order of name, the expansion-module maps of host
/// devices and the addresses of secondary network units.
///
/// Threads: every member may be called from any thread. One reader-writer lock guards all of
/// it: look-ups share it, changes take it alone. Registry look-ups are made outside the lock.
/// Look-ups return copies, never references into the store.
class DevDetailStore
{
public:
    /// Where an expansion module of a host is reached, and its channel counts.
    struct ModuleInfo
    {
        uint32_t ip = 0; ///< host order; 0 when none
        int chNumRx = 0;
        int chNumTx = 0;
    };

    enum InsertResult
    {
        Inserted, ///< new devId
        Replaced, ///< the devId was listed; its detail was replaced
        IpTaken   ///< another listed device holds the address: nothing changed
    };

    enum AddResult
    {
        Added, ///< listed (new or replaced)
        NotInRegistry,
        AddressTaken ///< another listed device holds the address: not listed
    };

    /// An empty store whose host and module prefixes come from `models` (kept by reference).
    explicit DevDetailStore(const ModelTable& models = ModelTable::instance());
    DevDetailStore(const DevDetailStore&) = delete;
    DevDetailStore& operator=(const DevDetailStore&) = delete;

    /// The process-wide store.
    static DevDetailStore& instance();

    // ---- Devices ------------------------------------------------------------------------------

    /// A copy of the device's detail, or an empty detail (empty devId). `caller` and `line` name
    /// the asking code in the debug line written on a miss.
    DevDetail_t getDevDetail(const QString& devId, const char* caller = nullptr, int line = 0) const;
    /// A copy of the detail of the device listed with that address, or an empty detail.
    DevDetail_t getDevDetailByIp(uint32_t ip) const;
    /// True when a listed device other than `exceptDevId` holds the address.
    bool containsIp(uint32_t ip, const QString& exceptDevId = QString()) const;
    bool containsDevId(const QString& devId) const;
    /// Copies of all details, in list order (ascending by name).
    QVector<DevDetail_t> devDetails() const;
    int devCount() const;

    /// Lists a detail: before the first listed device whose name is equal or greater (case-
    /// sensitive). A detail for a listed devId replaces it. One address, one listed device: when
    /// another devId holds the address, nothing changes and IpTaken is returned.
    InsertResult insertDevDetail(const DevDetail_t& detail);
    /// Edits a listed detail in place under the write lock. `edit` must not call the store. The
    /// devId cannot be changed; a changed name moves the detail to its place in the order.
    /// Returns false when the devId is not listed (edit not called).
    bool updateDevDetail(const QString& devId, const std::function<void(DevDetail_t&)>& edit);
    bool removeDevDetail(const QString& devId);

    /// Lists the registry's device with this devId (built from its record). The caller decides
    /// about expansion modules; on AddressTaken the caller expires the newcomer.
    AddResult addFromRegistry(const QString& devId);
    /// Takes a changed announcement over: MAC text and canWork. False when either side lacks it.
    bool updateFromRegistry(const QString& devId);
    /// Copies canWork from the registry into every detail where they differ; returns how many
    /// changed. Devices the registry no longer holds keep their detail.
    int syncCanWork();

    // ---- Multicast streams ---------------------------------------------------------------------

    /// Lists a stream before the first entry whose name is equal or greater; an entry with the
    /// same destination address is replaced. Empty entries are ignored.
    void insertMcast(const McastEntry& entry);
    bool removeMcast(uint32_t dstIp);
    McastEntry mcastByDstIp(uint32_t dstIp) const;
    QVector<McastEntry> mcastEntries() const;

    // ---- Expansion modules and reply addresses -------------------------------------------------

    /// Rebuilds the module maps: for each listed host and each module family, the entry is the
    /// live registry module (host's devId tail behind the family prefix) or is removed. Entries of
    /// hosts no longer listed are dropped; entries of other devIds are kept. A module address is
    /// taken only when no listed device holds it and no other host claims it (a contested address
    /// stays with the host that held it, or with none): replies are attributed by these addresses.
    void rebuildModuleMaps();
    /// Copy of one family's map (host devId -> module); empty for an unknown family.
    QMap<QString, ModuleInfo> moduleMap(int family) const;
    /// The host's module of that family; ip 0 when none.
    ModuleInfo module(int family, const QString& hostDevId) const;
    /// Records that replies from `ip` belong to `devId` (the first module map doubles as the
    /// reply-address map). Kept until the next rebuild replaces a host's entry. Refused (false)
    /// for address 0 and for an address another listed device or another entry holds.
    bool setReplyAddress(const QString& devId, uint32_t ip);
    /// The devId whose reply-address entry is `ip` (the first by devId), or empty.
    QString devIdForReplyAddress(uint32_t ip) const;

    // ---- Secondary network units ---------------------------------------------------------------

    void setSecondaryUnit(const QString& devId, uint32_t ip);
    /// The address of the device's secondary unit; 0 when none is known.
    uint32_t secondaryUnit(const QString& devId) const;
    QMap<QString, uint32_t> secondaryUnits() const;

    // ---- Signal-processor addresses ------------------------------------------------------------

    /// Records the address of the device's signal processor (models with a DSP address of their own);
    /// 0 forgets it.
    void setDspAddress(const QString& devId, uint32_t ip);
    /// The address of the device's signal processor; 0 when unknown.
    uint32_t dspAddress(const QString& devId) const;

    /// Forgets everything (a new network interface, tests).
    void clear();

private:
    int indexOfLocked(const QString& devId) const;
    void placeLocked(const DevDetail_t& detail);

    const ModelTable& m_models;
    mutable StoreLock m_lock;
    QVector<DevDetail_t> m_devs;
    QVector<McastEntry> m_mcasts;
    QVector<QMap<QString, ModuleInfo>> m_moduleMaps; ///< one per module family
    QMap<QString, uint32_t> m_secondaryUnits;
    QMap<QString, uint32_t> m_dspAddresses;
    quint64 m_refusedModules = 0; ///< refused module addresses, for sparse logging
};

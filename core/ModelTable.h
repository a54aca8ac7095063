#pragma once
#include <QHash>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <QVector>

/// The device models of the product family and the devId prefixes that give devices a role
/// (hosts with expansion modules, devices with secondary network units). The rows are
/// configuration (the compiled-in resource ":/meridane/models.json"); read-only after loading,
/// so one table may be shared by every thread.
class ModelTable
{
public:
    /// A device family with a secondary network unit: the unit answers the probe with a host
    /// name that begins with unitPrefix where the main device's devId begins with devIdPrefix.
    struct SecondaryUnitFamily
    {
        QString devIdPrefix;
        QString unitPrefix;
    };

    /// An empty table: no prefixes, no models.
    ModelTable() = default;

    /// The process-wide table loaded from the compiled-in resource. Thread-safe; loaded once.
    static const ModelTable& instance();

    /// Parses a table from its JSON text. On malformed text returns false, leaves `out`
    /// untouched and, when `error` is given, describes the fault there.
    static bool fromJson(const QByteArray& json, ModelTable* out, QString* error = nullptr);

    /// The host devId prefixes, in table order.
    const QStringList& hostPrefixes() const { return m_hostPrefixes; }
    /// The expansion-module devId prefixes, one per family; a family's index is its map's index.
    const QStringList& moduleFamilies() const { return m_modulePrefixes; }
    const QVector<SecondaryUnitFamily>& secondaryUnitFamilies() const { return m_secondaryFamilies; }

    /// True when the devId begins with a host prefix.
    bool isHost(const QString& devId) const;
    /// True when the devId contains an expansion-module prefix anywhere (modules are shown as part
    /// of their host, so they are matched generously).
    bool isExpansionModule(const QString& devId) const;
    /// The module devIds of a host, one per module family in family order: the part of the
    /// host's devId after its last "-" joined to each module prefix. Empty for a non-host.
    QStringList moduleDevIds(const QString& hostDevId) const;
    /// The main device's devId of a secondary unit's host name: the unit prefix's leading letter
    /// removed. Empty when the name begins with no secondary-unit prefix.
    QString secondaryUnitDevId(const QString& hostname) const;

    /// The device-type text of a model; empty for a model not in the table.
    QString deviceTypeText(const QString& model) const;
    /// The whole row of a model (empty object when unknown), for properties read by later views.
    QJsonObject modelRow(const QString& model) const;
    QStringList models() const { return m_modelOrder; }

    // Model properties that choose a view's path; all false/default for a model not in the table.
    /// The device has a signal processor (DSP tools and the DSP lock are offered).
    bool hasDsp(const QString& model) const;
    /// Levels are polled as the processor's batch meters on port 8999 instead of per-side reads.
    bool isLevelBatch(const QString& model) const;
    /// The processor's matrix is read in pages of inputs per output (getMatrixBatch) instead of per output.
    bool isMatrixBatch(const QString& model) const;
    /// Amplifier: gain steps and power per channel, served by its amplifier module.
    bool isAmplifier(const QString& model) const;
    bool isVirtualSoundCard(const QString& model) const;
    /// The clock priority of the device can be changed.
    bool supportsPriority(const QString& model) const;
    /// Port of the signal processor's lock requests: 8999, or 9995 for models that take it there.
    int dspLockPort(const QString& model) const;
    /// Number of network interfaces with their own address (1 for most models, at most 3).
    int interfaceCount(const QString& model) const;

    // Signal-processor properties.
    /// The processor is a virtual mixer with no DSP service: the dialog builds its configuration itself.
    bool isVirtualMixer(const QString& model) const;
    /// The processor has an address of its own (kept per device in the detail store).
    bool hasSeparateDspAddress(const QString& model) const;
    /// Capacity factor of the CPU estimate; 1.0 unless the row says otherwise (positive values only).
    double dspCpuFactor(const QString& model) const;
    /// Most automixer channels a configuration may have; 8 unless the row says otherwise (0 or more).
    int automixerLimit(const QString& model) const;
    /// Delay memory of the processor in samples, shared by every delay block; 480000 unless the row says otherwise.
    qint64 dspDelayBudget(const QString& model) const;

private:
    QStringList m_hostPrefixes;
    QStringList m_modulePrefixes;
    QVector<SecondaryUnitFamily> m_secondaryFamilies;
    QHash<QString, QJsonObject> m_models;
    QStringList m_modelOrder;
};

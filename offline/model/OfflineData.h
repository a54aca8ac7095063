#pragma once
#include "OfflineDevice.h"
#include "OfflineExportFlags.h"
#include "OfflineMcast.h"

#include <QByteArray>
#include <QMutex>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

/// The offline design: virtual devices (in order), every multicast transmit stream, the export flags and the
/// version text of the files. One process-wide instance, created on first use and never destroyed; tests and the
/// command-line tool may make their own.
/// Thread-safe: every member takes the one (recursive) mutex, so a caller holding mutex() may call them too.
/// Edits emit changed() from the thread that made them.
class OfflineData : public QObject
{
    Q_OBJECT
public:
    using DeviceList = std::vector<std::unique_ptr<OfflineDevice>>;
    /// Called after each step of each device: its details, its routes, its processor configurations (so `total` is
    /// three per device); may be empty. stepText(done) is the progress text of the step just finished.
    using Progress = std::function<void(int done, int total, const QString& deviceName)>;
    static constexpr int StepsPerDevice = 3;
    /// " 解析设备详情中...", " 解析设备路由中..." or " 解析dsp中..." for step `done` (1-based).
    static QString stepText(int done);

    /// Bounds on what a document may hold.
    static constexpr qint64 MaxDocumentBytes = 64 * 1024 * 1024;
    static constexpr int MaxDevices = 4096;
    static constexpr int MaxMcasts = 4096;

    explicit OfflineData(QObject* parent = nullptr);
    ~OfflineData() override;

    static OfflineData& instance();

    QMutex& mutex() const { return m_mutex; }
    /// Runs `fn` with the lists under the mutex (read only). Do not keep the pointers beyond `fn`.
    void withLock(const std::function<void(const DeviceList&, const QVector<OfflineMcast>&)>& fn) const;
    /// Runs `fn` with the lists under the mutex for editing, then emits changed(). The caller keeps them coherent
    /// (streams on their device and in the global list at once).
    void editWithLock(const std::function<void(DeviceList&, QVector<OfflineMcast>&)>& fn);

    /// Copies of the lists.
    std::vector<OfflineDevice> devices() const;
    QVector<OfflineMcast> mcasts() const;
    QStringList deviceIds() const;
    int deviceCount() const;
    /// A copy of one device, or none.
    std::optional<OfflineDevice> device(const QString& devId) const;
    /// Edits one device under the mutex and emits changed(); false when there is no such device.
    bool updateDevice(const QString& devId, const std::function<void(OfflineDevice&)>& fn);

    /// Appends a device; false (and dropped) when its devId is empty or taken, or the design is full.
    bool addDevice(std::unique_ptr<OfflineDevice> device);
    /// Removes a device with its transmit streams (from the global list too) and every route of other devices
    /// that receives from it, so that no route is left pointing at nothing. False when there is no such device.
    bool removeDevice(const QString& devId);
    /// Appends a copy of a device under newDeviceId() named `name + " 副本"` (Chinese interface) or
    /// `name + " copy"`; the copy has no transmit streams. The new devId, or empty when there is no such device.
    QString copyDevice(const QString& devId);
    /// A devId no device has: "OFF-<model>-<n>" with the smallest n from 1.
    QString newDeviceId(const QString& model) const;

    /// Adds a unicast route to device `dstDevId`, replacing any unicast route to the same receive channel (a
    /// receive channel takes one source). False when a device is missing, a channel is out of range or the
    /// device's route list is full.
    bool addRoute(const QString& dstDevId, const OfflineUcastRoute& route);
    /// Removes the unicast route to receive channel `dstChId` of `dstDevId`; false when there was none.
    bool removeRoute(const QString& dstDevId, int dstChId);
    /// Adds a transmit stream to its sender (mcast.srcDevId) and to the global list. False when the name is empty
    /// or taken, the sender is missing, or a list is full.
    bool addMcast(const OfflineMcast& mcast);
    /// Removes a stream from its sender and the global list, and the multicast routes that receive it.
    bool removeMcast(const QString& name);

    OfflineExportFlags exportFlags() const;
    void setExportFlags(const OfflineExportFlags& flags);
    /// The version text of the files: the application's version in a new design, the file's after a load.
    QString guiVersion() const;
    void setGuiVersion(const QString& version);

    /// Replaces the design with a document's ("config.dt"). Text that does not parse leaves an empty design and
    /// returns false with `error` set; a document without "devArray" loads as an empty design (true). Elements
    /// that are not objects are skipped; devices without a devId or with a repeated one, and devices beyond
    /// MaxDevices, are dropped with a note in `error` (still true). Processes pending events (at most 10 ms) after
    /// each step; the design is swapped in whole at the end.
    bool loadFromText(const QByteArray& text, const Progress& progress = Progress(), QString* error = nullptr);
    /// The whole design as a document (every group written).
    QByteArray saveToText(const Progress& progress = Progress()) const;
    /// The chosen devices (in design order) with the export flags applied.
    QByteArray exportText(const QStringList& devIds, const Progress& progress = Progress()) const;
    /// Empties the design (the export flags and version stay).
    void clear();

signals:
    void changed();

private:
    QByteArray writeDocument(const QStringList* devIds, const OfflineExportFlags& flags,
                             const Progress& progress) const;
    OfflineDevice* find(const QString& devId) const;
    void rebuildMcasts();

    mutable QMutex m_mutex{QMutex::Recursive};
    DeviceList m_devices;
    QVector<OfflineMcast> m_mcasts;
    OfflineExportFlags m_flags;
    QString m_guiVersion;
};

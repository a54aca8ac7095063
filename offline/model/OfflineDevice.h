#pragma once
#include "OfflineDevDetail.h"
#include "OfflineExportFlags.h"
#include "OfflineMcastRoute.h"
#include "OfflineUcastRoute.h"

#include <QByteArray>
#include <QString>
#include <QVector>

#include <memory>
#include <vector>

class CDeviceDspData;
class DspJsonValue;
struct OfflineDeviceType;

/// One virtual device of the offline design: its settings, the routes it receives (unicast and multicast), its
/// transmit streams (in detail().mcastList) and its processor configurations. Copies are deep.
/// Not thread-safe by itself: the design's mutex guards every device it holds.
class OfflineDevice
{
public:
    /// Bounds on what a document may give one device.
    static constexpr int MaxRoutes = 65536;
    static constexpr int MaxChannels = 4096;
    static constexpr int MaxGpio = 1024;
    static constexpr int MaxStreams = 4096;
    static constexpr int MaxDspConfigs = 64;
    static constexpr int MaxListEntries = 256; ///< sample-rate and packet-time lists

    /// One stored processor configuration with its name.
    struct DspConfig
    {
        QString name;
        std::unique_ptr<CDeviceDspData> data;
    };

    OfflineDevice();
    ~OfflineDevice();
    OfflineDevice(const OfflineDevice& other);
    OfflineDevice& operator=(const OfflineDevice& other);
    OfflineDevice(OfflineDevice&&) noexcept;
    OfflineDevice& operator=(OfflineDevice&&) noexcept;

    /// A new device of a catalogue type: counts and capabilities from the type, the defaults of a new device
    /// otherwise (48000 Hz, 0.25 ms / 12 frames, 24 bit, 5 ms delay, DSCP 34, PTP DSCP 46, priority 128), channel
    /// names "NetIn1", "NetOut1", "AnalogIn1", "AnalogOut1" ..., gains and mutes 0; a processor model gets one
    /// default processor configuration. Counts are bounded to MaxChannels.
    static std::unique_ptr<OfflineDevice> fromType(const OfflineDeviceType& type, const QString& devId,
                                                   const QString& name);
    /// A deep copy under a new identity. Routes the copy receives are kept; the copy's transmit streams are not
    /// (a stream name is unique in the design, so the copy starts without streams).
    std::unique_ptr<OfflineDevice> clone(const QString& newId, const QString& newName) const;

    OfflineDevDetail& detail() { return m_detail; }
    const OfflineDevDetail& detail() const { return m_detail; }
    QString devId() const { return m_detail.devId; }
    QString name() const { return m_detail.devName; }
    QString model() const { return m_detail.model; }

    QVector<OfflineUcastRoute>& ucastRoutes() { return m_ucast; }
    const QVector<OfflineUcastRoute>& ucastRoutes() const { return m_ucast; }
    QVector<OfflineMcastRoute>& mcastRoutes() { return m_mcastRoutes; }
    const QVector<OfflineMcastRoute>& mcastRoutes() const { return m_mcastRoutes; }

    /// True when the model table lists the device's model as having a signal processor.
    bool hasDsp() const;
    int dspCurrentId() const { return m_dspCurrentId; }
    void setDspCurrentId(int id) { m_dspCurrentId = id; }
    const std::vector<DspConfig>& dspConfigs() const { return m_dsp; }
    std::vector<DspConfig>& dspConfigs() { return m_dsp; }
    /// Appends a configuration (takes ownership); false (and dropped) beyond MaxDspConfigs.
    bool addDspConfig(const QString& name, std::unique_ptr<CDeviceDspData> data);

    // Document parts. Readers take untrusted values: missing members keep the current value, lists are bounded.
    void readDetail(const DspJsonValue& devDetail);
    void readRoute(const DspJsonValue& devRoute);
    void readDsp(const DspJsonValue& dsp);
    QByteArray writeDetail(const OfflineExportFlags& flags = OfflineExportFlags()) const;
    QByteArray writeRoute(const OfflineExportFlags& flags = OfflineExportFlags()) const;
    QByteArray writeDsp() const;

    /// Equal settings, routes and processor configurations (compared by their text).
    bool operator==(const OfflineDevice& other) const;
    bool operator!=(const OfflineDevice& other) const { return !(*this == other); }

private:
    OfflineDevDetail m_detail;
    QVector<OfflineUcastRoute> m_ucast;
    QVector<OfflineMcastRoute> m_mcastRoutes;
    int m_dspCurrentId = 0;
    std::vector<DspConfig> m_dsp;
};

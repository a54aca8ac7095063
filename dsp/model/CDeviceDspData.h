#pragma once
#include "CInputChannel.h"
#include "COutputChannel.h"
#include "DspAecChannel.h"
#include "DspAutomixerChannel.h"
#include "DspGroup.h"
#include "DspGroupRequests.h"
#include "DspInfo.h"
#include "DspMatrix.h"

#include <QJsonObject>
#include <QList>
#include <QString>
#include <QVector>

class DspJsonValue;

/// The whole signal-processing configuration of one device, online or offline: DSP information, input and output
/// channels with their block chains, AEC and automixer channels, the matrix and the channel groups.
/// Owns every channel, block and record it lists. Not thread-safe: one owner thread.
class CDeviceDspData
{
public:
    /// Upper bound on channels per side, AEC channels and automixer channels taken from a configuration.
    static constexpr int MaxChannels = 512;
    static constexpr int MaxSideNodes = 64;
    /// Input channels of a group id below this are listed in the group's member list.
    static constexpr int MemberGroupCount = 16;
    /// Upper bounds on what a configuration may bring: groups, blocks per channel and blocks in all. Anything
    /// beyond is cut when read, with a warning.
    static constexpr int MaxGroups = DspGroupRequests::MaxGroups;
    static constexpr int MaxBlocksPerChannel = 64;
    static constexpr int MaxBlocks = 8192;

    CDeviceDspData() = default;
    ~CDeviceDspData();
    CDeviceDspData(const CDeviceDspData&) = delete;
    CDeviceDspData& operator=(const CDeviceDspData&) = delete;

    DspInfo& info() { return m_info; }
    const DspInfo& info() const { return m_info; }

    /// The device's identity and its channel counts from the registry; the extra counts become the rest of the
    /// DSP information's chNumIn/chNumOut (never negative).
    void setDeviceInfo(const QString& name, const QString& devId, int localIn, int netIn, int localOut, int netOut);
    QString deviceName() const { return m_deviceName; }
    QString devId() const { return m_devId; }
    int localInCount() const { return m_localIn; }
    int netInCount() const { return m_netIn; }
    int localOutCount() const { return m_localOut; }
    int netOutCount() const { return m_netOut; }
    int extraInCount() const { return m_extraIn; }
    void setExtraInCount(int count) { m_extraIn = count; }
    int extraOutCount() const { return m_extraOut; }
    void setExtraOutCount(int count) { m_extraOut = count; }

    int version() const { return m_version; }
    void setVersion(int version) { m_version = version; }
    int sampleRate() const { return m_sampleRate; }
    void setSampleRate(int rate) { m_sampleRate = rate; }
    /// The configuration's "customStr" (the device's own custom text is info().customStr).
    QString customStr() const { return m_customStr; }
    void setCustomStr(const QString& text) { m_customStr = text; }

    /// Owned; whoever removes an entry takes the ownership.
    QList<CInputChannel*>& inputs() { return m_inputs; }
    const QList<CInputChannel*>& inputs() const { return m_inputs; }
    QList<COutputChannel*>& outputs() { return m_outputs; }
    const QList<COutputChannel*>& outputs() const { return m_outputs; }
    QList<DspAecChannel*>& aecChannels() { return m_aecs; }
    const QList<DspAecChannel*>& aecChannels() const { return m_aecs; }
    QList<DspAutomixerChannel*>& automixerChannels() { return m_automixers; }
    const QList<DspAutomixerChannel*>& automixerChannels() const { return m_automixers; }
    int aecChannelCount() const { return m_aecs.size(); }
    int automixerChannelCount() const { return m_automixers.size(); }
    /// Input channel `index` (or output); nullptr when out of range.
    CInputChannel* input(int index) const;
    COutputChannel* output(int index) const;
    /// Input or output channel `index` as its common base; nullptr when out of range.
    CChainChannel* channel(bool isInput, int index) const;

    /// The matrix; nullptr until a configuration with a matrix node is parsed or one is set.
    DspMatrix* matrix() { return m_matrix; }
    const DspMatrix* matrix() const { return m_matrix; }
    /// Replaces the matrix (takes ownership; nullptr removes it).
    void setMatrix(DspMatrix* matrix);
    /// The dimensions the matrix must have now: DSP inputs (chNumIn, or the input channels when it is unknown)
    /// plus AEC and automixer channels; DSP outputs (chNumOut, or the output channels when unknown).
    int matrixRows() const;
    int matrixColumns() const;
    /// The DSP input and output counts used for the configuration: chNumIn/chNumOut of the DSP information, or the
    /// channel lists' sizes when the information is missing.
    int dspInputCount() const;
    int dspOutputCount() const;
    /// Gives the matrix the dimensions of matrixRows() x matrixColumns(), keeping the cells that stay (a missing
    /// matrix is created with every cell off).
    void fitMatrix();

    QVector<DspGroup>& groups() { return m_groups; }
    const QVector<DspGroup>& groups() const { return m_groups; }
    /// One list of input channel indexes per group (filled for groups 0..15 by parsing; see updateGroupMembers()).
    QVector<QVector<int>>& groupMembers() { return m_groupMembers; }
    const QVector<QVector<int>>& groupMembers() const { return m_groupMembers; }
    /// Rebuilds the member lists from the input channels' group ids, one list per group.
    void updateGroupMembers();

    /// Parses a whole getConfig reply (or a stored message with a "config" object, or a bare configuration
    /// object). Clears the model first and keeps the DSP and device information. `fromFile` reads the matrix
    /// gains whatever the firmware. Malformed or hostile text never reads out of range; unreadable text leaves
    /// the model empty.
    void parse(const QString& message, const QString& firmwareVersion, bool fromFile = false);
    /// The same from an already parsed "config" object.
    void parseConfig(const QJsonObject& config, const QString& firmwareVersion, bool fromFile = false);
    void parseConfig(const DspJsonValue& config, const QString& firmwareVersion, bool fromFile = false);
    /// The "config" object. `forFile` writes the matrix gains whatever the firmware.
    QJsonObject writeConfig(const QString& firmwareVersion, bool forFile = false) const;
    /// The same as compact JSON text (what QJsonDocument would write for writeConfig(), made directly).
    QByteArray writeConfigText(const QString& firmwareVersion, bool forFile = false) const;
    /// True when matrix gains ("gainArr") travel for this firmware (text above "3.1.0") or file.
    static bool carriesMatrixGains(const QString& firmwareVersion, bool file);

    /// The whole model as text between the "printData" markers.
    QString debugDump() const;
    /// Logs debugDump() to the debug stream.
    void printData() const;

    /// Deletes channels, blocks, AEC and automixer records, the matrix and the groups; keeps the DSP and device
    /// information, the version, sample rate and custom text.
    void clear();
    /// A deep copy (for undo). The caller owns it.
    CDeviceDspData* clone() const;

private:
    void fitAecLists();

    DspInfo m_info;
    QString m_deviceName;
    QString m_devId;
    int m_localIn = 0;
    int m_netIn = 0;
    int m_localOut = 0;
    int m_netOut = 0;
    int m_extraIn = 0;
    int m_extraOut = 0;
    int m_version = 0;
    int m_sampleRate = 48000;
    QString m_customStr;
    QList<CInputChannel*> m_inputs;
    QList<COutputChannel*> m_outputs;
    QList<DspAecChannel*> m_aecs;
    QList<DspAutomixerChannel*> m_automixers;
    DspMatrix* m_matrix = nullptr;
    QVector<DspGroup> m_groups;
    QVector<QVector<int>> m_groupMembers;
};

#pragma once
#include "CBaseChannel.h"

#include <QJsonObject>
#include <QVector>

class DspJsonValue;
class DspJsonWriter;

/// One automixer channel (a type-3 node).
class DspAutomixerChannel : public CBaseChannel
{
public:
    /// Bits of the channel's index that older firmware expects above the mask bits.
    static constexpr int LegacyIndexShift = 21;

    DspAutomixerChannel() = default;

    int mode() const { return m_mode; }
    void setMode(int value) { m_mode = value; }
    double slope() const { return m_slope; }
    void setSlope(double value) { m_slope = value; }
    double duckDb() const { return m_duckDb; }
    void setDuckDb(double value) { m_duckDb = value; }
    int duckAttackMs() const { return m_duckAttackMs; }
    void setDuckAttackMs(int value) { m_duckAttackMs = value; }
    int duckReleaseMs() const { return m_duckReleaseMs; }
    void setDuckReleaseMs(int value) { m_duckReleaseMs = value; }
    double decayDb() const { return m_decayDb; }
    void setDecayDb(double value) { m_decayDb = value; }
    double trigDb() const { return m_trigDb; }
    void setTrigDb(double value) { m_trigDb = value; }
    int holdMs() const { return m_holdMs; }
    void setHoldMs(int value) { m_holdMs = value; }
    int attackMs() const { return m_attackMs; }
    void setAttackMs(int value) { m_attackMs = value; }
    int releaseMs() const { return m_releaseMs; }
    void setReleaseMs(int value) { m_releaseMs = value; }
    int chNumLimit() const { return m_chNumLimit; }
    void setChNumLimit(int value) { m_chNumLimit = value; }
    bool nomAttenuate() const { return m_nomAttenuate; }
    void setNomAttenuate(bool value) { m_nomAttenuate = value; }
    bool leaveLastOn() const { return m_leaveLastOn; }
    void setLeaveLastOn(bool value) { m_leaveLastOn = value; }
    /// The channel masks ("maskArr"), 64 bits each.
    QVector<quint64>& maskArr() { return m_masks; }
    const QVector<quint64>& maskArr() const { return m_masks; }

    DspAutomixerChannel* clone() const { return new DspAutomixerChannel(*this); }

    /// The node's "obj".
    QJsonObject objJson() const;
    void writeObj(DspJsonWriter& obj) const;
    /// Reads the node's "obj". With `legacyMaskIndex` (firmware up to "3.1.2") entry k gets k << 21 or-ed in.
    void readObj(const QJsonObject& obj, bool legacyMaskIndex);
    void readObj(const DspJsonValue& obj, bool legacyMaskIndex);
    QString describe() const;

private:
    DspAutomixerChannel(const DspAutomixerChannel&) = default;

    int m_mode = 0;
    double m_slope = 0.9;
    double m_duckDb = -30;
    int m_duckAttackMs = 1;
    int m_duckReleaseMs = 1000;
    double m_decayDb = -70;
    double m_trigDb = -50;
    int m_holdMs = 2000;
    int m_attackMs = 1;
    int m_releaseMs = 1000;
    int m_chNumLimit = 2;
    bool m_nomAttenuate = true;
    bool m_leaveLastOn = true;
    QVector<quint64> m_masks;
};

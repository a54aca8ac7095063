#pragma once
#include <QJsonObject>
#include <QString>

class DspJsonValue;
class DspJsonWriter;

/// One band of an equaliser block. The band's bypass travels in the block's "bypassArr", not in the band object.
class CEqItem
{
public:
    /// The smallest Q (bandwidth) a band accepts.
    static constexpr double MinQ = 0.017;

    int type() const { return m_type; }
    void setType(int type) { m_type = type; }
    double freq0() const { return m_freq0; }
    void setFreq0(double hz) { m_freq0 = hz; }
    double dbGain() const { return m_dbGain; }
    void setDbGain(double db) { m_dbGain = db; }
    double qBwS() const { return m_qBwS; }
    /// Refuses (returns false, keeps the old value) a Q below MinQ or not a number.
    bool setQBwS(double q);
    bool isBypass() const { return m_bypass; }
    void setBypass(bool bypass) { m_bypass = bypass; }

    /// The band object {"dbGain","freq0","qBwS","type"}.
    QJsonObject toJson() const;
    void writeTo(DspJsonWriter& obj) const;
    /// Reads a band object; missing or unreadable keys keep their values, a too small Q is refused.
    void readJson(const QJsonObject& obj);
    void readFrom(const DspJsonValue& obj);
    QString describe() const;

    bool operator==(const CEqItem& o) const;
    bool operator!=(const CEqItem& o) const { return !(*this == o); }

private:
    int m_type = 0;
    double m_freq0 = 1000;
    double m_dbGain = 0;
    double m_qBwS = 1.0;
    bool m_bypass = false;
};

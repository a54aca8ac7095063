#pragma once
#include "CBaseChannel.h"

#include <QJsonObject>
#include <QVector>

class DspJsonValue;
class DspJsonWriter;

/// One echo-cancelled channel (a type-2 node). The near and far lists hold one entry per DSP input.
class DspAecChannel : public CBaseChannel
{
public:
    /// Near and far lists of `inputCount` zeros (negative counts give empty lists).
    explicit DspAecChannel(int inputCount);

    bool hasAec() const { return m_hasAec; }
    void setHasAec(bool value) { m_hasAec = value; }
    int aecLevel() const { return m_aecLevel; }
    void setAecLevel(int value) { m_aecLevel = value; }
    bool hasAgc() const { return m_hasAgc; }
    void setHasAgc(bool value) { m_hasAgc = value; }
    bool hasAns() const { return m_hasAns; }
    void setHasAns(bool value) { m_hasAns = value; }
    int ansLevel() const { return m_ansLevel; }
    void setAnsLevel(int value) { m_ansLevel = value; }
    /// Gives both lists `inputCount` entries, keeping the leading ones (for a configuration whose input count was
    /// not known when the record was made).
    void setInputCount(int inputCount);
    /// One entry per DSP input; the length is set at creation.
    QVector<int>& nearArr() { return m_near; }
    const QVector<int>& nearArr() const { return m_near; }
    QVector<int>& farArr() { return m_far; }
    const QVector<int>& farArr() const { return m_far; }

    DspAecChannel* clone() const { return new DspAecChannel(*this); }

    /// The node's "obj": "hasAec", "aecLevel", "hasAgc", "hasAns", "ansLevel", "nearArr", "farArr".
    QJsonObject objJson() const;
    void writeObj(DspJsonWriter& obj) const;
    /// Reads the node's "obj"; list entries beyond the list length are ignored.
    void readObj(const QJsonObject& obj);
    void readObj(const DspJsonValue& obj);
    QString describe() const;

private:
    DspAecChannel(const DspAecChannel&) = default;

    bool m_hasAec = false;
    int m_aecLevel = 1;
    bool m_hasAgc = false;
    bool m_hasAns = false;
    int m_ansLevel = 1;
    QVector<int> m_near;
    QVector<int> m_far;
};

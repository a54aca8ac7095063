#pragma once
#include "CBaseItem.h"

/// The echo canceller of one channel; its far reference is a DSP input or, from index inputCount on, an output.
class CChAecItem : public CBaseItem
{
public:
    CChAecItem() : CBaseItem(KindChAec) {}

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
    /// Read in C notation (decimal or "0x" hexadecimal), written in decimal.
    qint64 banMask() const { return m_banMask; }
    void setBanMask(qint64 value) { m_banMask = value; }
    /// Far reference channel: below the DSP input count an input, from it on an output ("farFromOut").
    int farCh() const { return m_farCh; }
    void setFarCh(int value) { m_farCh = value; }

    CBaseItem* clone() const override;
    void writeParamsTo(DspJsonWriter& obj, int inputCount) const override;
    void readParamsFrom(const DspJsonValue& obj) override;
    bool copyParamsFrom(const CBaseItem& other) override;
    double cpuCost() const override;

protected:
    QString describeParams() const override;

private:
    bool m_hasAec = false;
    int m_aecLevel = 1;
    bool m_hasAgc = false;
    bool m_hasAns = false;
    int m_ansLevel = 1;
    qint64 m_banMask = 0;
    int m_farCh = 0;
};

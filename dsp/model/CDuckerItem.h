#pragma once
#include "CBaseItem.h"

/// The ducker block; its levels are single precision as on the device.
class CDuckerItem : public CBaseItem
{
public:
    CDuckerItem() : CBaseItem(KindDucker) {}

    float trigDb() const { return m_trigDb; }
    void setTrigDb(float value) { m_trigDb = value; }
    float duckDb() const { return m_duckDb; }
    void setDuckDb(float value) { m_duckDb = value; }
    int attackMs() const { return m_attackMs; }
    void setAttackMs(int value) { m_attackMs = value; }
    int releaseMs() const { return m_releaseMs; }
    void setReleaseMs(int value) { m_releaseMs = value; }
    int holdMs() const { return m_holdMs; }
    void setHoldMs(int value) { m_holdMs = value; }
    int refCh() const { return m_refCh; }
    void setRefCh(int value) { m_refCh = value; }

    CBaseItem* clone() const override;
    void writeParamsTo(DspJsonWriter& obj, int inputCount) const override;
    void readParamsFrom(const DspJsonValue& obj) override;
    bool copyParamsFrom(const CBaseItem& other) override;
    double cpuCost() const override;

protected:
    QString describeParams() const override;

private:
    float m_trigDb = -60;
    float m_duckDb = -40;
    int m_attackMs = 1;
    int m_releaseMs = 1000;
    int m_holdMs = 2000;
    int m_refCh = -1;
};

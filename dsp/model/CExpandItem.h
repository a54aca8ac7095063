#pragma once
#include "CBaseItem.h"

/// The expander block.
class CExpandItem : public CBaseItem
{
public:
    CExpandItem() : CBaseItem(KindExpand) {}

    double trigDb() const { return m_trigDb; }
    void setTrigDb(double value) { m_trigDb = value; }
    double ratio() const { return m_ratio; }
    void setRatio(double value) { m_ratio = value; }
    int attackMs() const { return m_attackMs; }
    void setAttackMs(int value) { m_attackMs = value; }
    int releaseMs() const { return m_releaseMs; }
    void setReleaseMs(int value) { m_releaseMs = value; }
    /// Kept as read; always sent as "0" (the device takes no knee).
    int kneeDb() const { return m_kneeDb; }
    void setKneeDb(int value) { m_kneeDb = value; }

    CBaseItem* clone() const override;
    void writeParamsTo(DspJsonWriter& obj, int inputCount) const override;
    void readParamsFrom(const DspJsonValue& obj) override;
    bool copyParamsFrom(const CBaseItem& other) override;
    double cpuCost() const override;

protected:
    QString describeParams() const override;

private:
    double m_trigDb = -20;
    double m_ratio = 2.0;
    int m_attackMs = 50;
    int m_releaseMs = 100;
    int m_kneeDb = 0;
};

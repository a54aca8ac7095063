#pragma once
#include "CBaseItem.h"

/// What the compressor and the expander share: the same five parameters, JSON and copying; they differ in
/// kind and cost only.
class CDynamicsItem : public CBaseItem
{
public:
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

    void writeParamsTo(DspJsonWriter& obj, int inputCount) const override;
    void readParamsFrom(const DspJsonValue& obj) override;
    /// Copies from a block of the same kind only (a compressor's settings are no expander's).
    bool copyParamsFrom(const CBaseItem& other) override;

protected:
    explicit CDynamicsItem(int kind) : CBaseItem(kind) {}
    QString describeParams() const override;

private:
    double m_trigDb = -20;
    double m_ratio = 2.0;
    int m_attackMs = 50;
    int m_releaseMs = 100;
    int m_kneeDb = 0;
};

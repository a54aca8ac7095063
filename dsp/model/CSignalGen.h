#pragma once
#include "CBaseItem.h"

/// The signal generator block.
class CSignalGen : public CBaseItem
{
public:
    CSignalGen() : CBaseItem(KindSignalGen) {}

    int mode() const { return m_mode; }
    void setMode(int value) { m_mode = value; }
    double gainDb() const { return m_gainDb; }
    void setGainDb(double value) { m_gainDb = value; }
    double freq() const { return m_freq; }
    void setFreq(double value) { m_freq = value; }

    CBaseItem* clone() const override;
    void writeParamsTo(DspJsonWriter& obj, int inputCount) const override;
    void readParamsFrom(const DspJsonValue& obj) override;
    bool copyParamsFrom(const CBaseItem& other) override;
    double cpuCost() const override;

protected:
    QString describeParams() const override;

private:
    int m_mode = 0;
    double m_gainDb = -20;
    double m_freq = 1000;
};

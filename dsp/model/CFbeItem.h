#pragma once
#include "CBaseItem.h"

/// The feedback eliminator block.
class CFbeItem : public CBaseItem
{
public:
    CFbeItem() : CBaseItem(KindFbe) {}

    int freqShift() const { return m_freqShift; }
    void setFreqShift(int value) { m_freqShift = value; }

    CBaseItem* clone() const override;
    void writeParamsTo(DspJsonWriter& obj, int inputCount) const override;
    void readParamsFrom(const DspJsonValue& obj) override;
    bool copyParamsFrom(const CBaseItem& other) override;
    double cpuCost() const override;

protected:
    QString describeParams() const override;

private:
    int m_freqShift = 1;
};

#pragma once
#include "CBaseItem.h"

/// The delay block: delay and its maximum in samples (48000 = 1 s at 48 kHz).
class CDelayItem : public CBaseItem
{
public:
    CDelayItem() : CBaseItem(KindDelay) {}

    int delayNum() const { return m_delayNum; }
    void setDelayNum(int value) { m_delayNum = value; }
    int maxNum() const { return m_maxNum; }
    void setMaxNum(int value) { m_maxNum = value; }

    CBaseItem* clone() const override;
    void writeParamsTo(DspJsonWriter& obj, int inputCount) const override;
    void readParamsFrom(const DspJsonValue& obj) override;
    bool copyParamsFrom(const CBaseItem& other) override;
    double cpuCost() const override;

protected:
    QString describeParams() const override;

private:
    int m_delayNum = 0;
    int m_maxNum = 48000;
};

#pragma once
#include "CBaseItem.h"

/// The limiter block.
class CLimitItem : public CBaseItem
{
public:
    CLimitItem() : CBaseItem(KindLimit) {}

    double limitDb() const { return m_limitDb; }
    void setLimitDb(double value) { m_limitDb = value; }

    CBaseItem* clone() const override;
    void writeParamsTo(DspJsonWriter& obj, int inputCount) const override;
    void readParamsFrom(const DspJsonValue& obj) override;
    bool copyParamsFrom(const CBaseItem& other) override;
    double cpuCost() const override;

protected:
    QString describeParams() const override;

private:
    double m_limitDb = -20;
};

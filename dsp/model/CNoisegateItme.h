#pragma once
#include "CBaseItem.h"

/// The noise gate block.
class CNoisegateItme : public CBaseItem
{
public:
    CNoisegateItme() : CBaseItem(KindNoiseGate) {}

    double trigDb() const { return m_trigDb; }
    void setTrigDb(double value) { m_trigDb = value; }
    int openMs() const { return m_openMs; }
    void setOpenMs(int value) { m_openMs = value; }
    int closeMs() const { return m_closeMs; }
    void setCloseMs(int value) { m_closeMs = value; }

    CBaseItem* clone() const override;
    void writeParamsTo(DspJsonWriter& obj, int inputCount) const override;
    void readParamsFrom(const DspJsonValue& obj) override;
    bool copyParamsFrom(const CBaseItem& other) override;
    double cpuCost() const override;

protected:
    QString describeParams() const override;

private:
    double m_trigDb = -90;
    int m_openMs = 10;
    int m_closeMs = 10;
};

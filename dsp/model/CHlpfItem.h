#pragma once
#include "CBaseItem.h"

/// A high-pass or low-pass filter block ("isHpf" chooses).
class CHlpfItem : public CBaseItem
{
public:
    CHlpfItem() : CBaseItem(KindHlpf) {}

    bool isHpf() const { return m_isHpf; }
    void setIsHpf(bool value) { m_isHpf = value; }
    int order() const { return m_order; }
    void setOrder(int value) { m_order = value; }
    int type() const { return m_type; }
    void setType(int value) { m_type = value; }
    double freq0() const { return m_freq0; }
    void setFreq0(double value) { m_freq0 = value; }

    CBaseItem* clone() const override;
    void writeParamsTo(DspJsonWriter& obj, int inputCount) const override;
    void readParamsFrom(const DspJsonValue& obj) override;
    bool copyParamsFrom(const CBaseItem& other) override;
    double cpuCost() const override;

protected:
    QString describeParams() const override;

private:
    bool m_isHpf = false;
    int m_order = 1;
    int m_type = 0;
    double m_freq0 = 1000;
};

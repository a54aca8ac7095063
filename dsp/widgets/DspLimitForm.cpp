#include "DspLimitForm.h"

#include "CLimitItem.h"
#include "DynamicsRules.h"

DspLimitForm::DspLimitForm(CDeviceDspData* data, bool isInput, int chIndex, int blockIndex, QWidget* parent)
    : DspDynamicsForm(data, isInput, chIndex, blockIndex, true, parent)
{
    setObjectName(QStringLiteral("DspLimitForm"));
    const DynamicsRules::ThresholdRange t = DynamicsRules::thresholdRange(DynamicsRules::Curve::Limiter);
    m_threshold = addControl(QStringLiteral("threshold"), QStringLiteral("Threshold"), QStringLiteral("dBFS"),
                             {t.minDb, t.maxDb, 0.1, 1, 10, 1000});
    connect(m_threshold, &DspSliderSpin::signal_edited, this, &DspLimitForm::onThreshold);
    refreshFromModel();
}

CLimitItem* DspLimitForm::item() const
{
    return dynamic_cast<CLimitItem*>(block());
}

void DspLimitForm::refreshFromModel()
{
    DspDynamicsForm::refreshFromModel();
    const CLimitItem* b = item();
    if (b == nullptr || m_threshold == nullptr)
        return;
    m_threshold->setValue(b->limitDb());
    redrawCurve();
}

void DspLimitForm::redrawCurve()
{
    if (const CLimitItem* b = item())
        showCurve(DynamicsRules::transferCurve(DynamicsRules::Curve::Limiter, b->limitDb(), 1));
}

void DspLimitForm::onThreshold(double db)
{
    CLimitItem* b = item();
    if (b == nullptr || !acceptEdit(b->limitDb(), db))
        return;
    b->setLimitDb(db);
    redrawCurve();
    sendParams();
}

#include "DspNoisegateForm.h"

#include "CNoisegateItme.h"
#include "DynamicsRules.h"

#include <cmath>

DspNoisegateForm::DspNoisegateForm(CDeviceDspData* data, bool isInput, int chIndex, int blockIndex, QWidget* parent)
    : DspDynamicsForm(data, isInput, chIndex, blockIndex, true, parent)
{
    setObjectName(QStringLiteral("DspNoisegateForm"));
    const DynamicsRules::ThresholdRange t = DynamicsRules::thresholdRange(DynamicsRules::Curve::Gate);
    m_threshold = addControl(QStringLiteral("threshold"), QStringLiteral("Threshold"), QStringLiteral("dBFS"),
                             {t.minDb, t.maxDb, 0.1, 1, 10, 1000});
    connect(m_threshold, &DspSliderSpin::signal_edited, this, &DspNoisegateForm::onThreshold);
    m_open = addControl(QStringLiteral("open"), QStringLiteral("Open"), QStringLiteral("ms"), {0, 1000, 1, 0, 1, 0});
    connect(m_open, &DspSliderSpin::signal_edited, this, &DspNoisegateForm::onOpen);
    m_close = addControl(QStringLiteral("close"), QStringLiteral("Close"), QStringLiteral("ms"), {0, 1000, 1, 0, 1, 0});
    connect(m_close, &DspSliderSpin::signal_edited, this, &DspNoisegateForm::onClose);
    refreshFromModel();
}

CNoisegateItme* DspNoisegateForm::item() const
{
    return dynamic_cast<CNoisegateItme*>(block());
}

void DspNoisegateForm::refreshFromModel()
{
    DspDynamicsForm::refreshFromModel();
    const CNoisegateItme* b = item();
    if (b == nullptr || m_close == nullptr)
        return;
    m_threshold->setValue(b->trigDb());
    m_open->setValue(b->openMs());
    m_close->setValue(b->closeMs());
    redrawCurve();
}

void DspNoisegateForm::redrawCurve()
{
    if (const CNoisegateItme* b = item())
        showCurve(DynamicsRules::transferCurve(DynamicsRules::Curve::Gate, b->trigDb(), 1));
}

void DspNoisegateForm::onThreshold(double db)
{
    CNoisegateItme* b = item();
    if (b == nullptr || !acceptEdit(b->trigDb(), db))
        return;
    b->setTrigDb(db);
    redrawCurve();
    sendParams();
}

void DspNoisegateForm::onOpen(double ms)
{
    CNoisegateItme* b = item();
    const int value = int(std::lround(ms));
    if (b == nullptr || !acceptEdit(b->openMs(), value))
        return;
    b->setOpenMs(value);
    sendParams();
}

void DspNoisegateForm::onClose(double ms)
{
    CNoisegateItme* b = item();
    const int value = int(std::lround(ms));
    if (b == nullptr || !acceptEdit(b->closeMs(), value))
        return;
    b->setCloseMs(value);
    sendParams();
}

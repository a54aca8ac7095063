#pragma once
#include "DspDynamicsForm.h"

class CLimitItem;

/// The limiter's editor: the threshold the output never passes, with the transfer curve.
class DspLimitForm : public DspDynamicsForm
{
    Q_OBJECT
public:
    DspLimitForm(CDeviceDspData* data, bool isInput, int chIndex, int blockIndex, QWidget* parent = nullptr);

    void refreshFromModel() override;

private:
    CLimitItem* item() const;
    void redrawCurve();
    void onThreshold(double db);

    DspSliderSpin* m_threshold = nullptr;
};

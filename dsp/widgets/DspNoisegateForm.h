#pragma once
#include "DspDynamicsForm.h"

class CNoisegateItme;

/// The noise gate's editor: the threshold below which the gate closes (-100..-42 dB), the open and close times,
/// with the transfer curve.
class DspNoisegateForm : public DspDynamicsForm
{
    Q_OBJECT
public:
    DspNoisegateForm(CDeviceDspData* data, bool isInput, int chIndex, int blockIndex, QWidget* parent = nullptr);

    void refreshFromModel() override;

private:
    CNoisegateItme* item() const;
    void redrawCurve();
    void onThreshold(double db);
    void onOpen(double ms);
    void onClose(double ms);

    DspSliderSpin* m_threshold = nullptr;
    DspSliderSpin* m_open = nullptr;
    DspSliderSpin* m_close = nullptr;
};

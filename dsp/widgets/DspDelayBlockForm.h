#pragma once
#include "DelayUnits.h"
#include "DspBlockBaseForm.h"

class CDelayItem;
class QDoubleSpinBox;
class QSlider;

/// The delay block's editor: the delay in samples, milliseconds, metres and feet, and a slider, all showing the
/// same stored number of samples, which never passes the block's maximum.
class DspDelayBlockForm : public DspBlockBaseForm
{
    Q_OBJECT
public:
    DspDelayBlockForm(CDeviceDspData* data, bool isInput, int chIndex, int blockIndex, QWidget* parent = nullptr);

    void refreshFromModel() override;

private:
    CDelayItem* item() const;
    int sampleRate() const;
    void showSamples(int samples, int maxNum);
    void onEdited(DelayUnits::Unit unit, double value);

    QDoubleSpinBox* m_fields[4] = {};
    QSlider* m_slider = nullptr;
};

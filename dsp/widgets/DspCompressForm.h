#pragma once
#include "DspDynamicsForm.h"
#include "DynamicsRules.h"

class CDynamicsItem;
class QLabel;
class QSlider;

/// The compressor's editor: threshold, ratio (a table of ten), attack and release, with the transfer curve.
/// The expander's editor is the same with its own curve.
class DspCompressForm : public DspDynamicsForm
{
    Q_OBJECT
public:
    DspCompressForm(CDeviceDspData* data, bool isInput, int chIndex, int blockIndex, QWidget* parent = nullptr);

    void refreshFromModel() override;

protected:
    DspCompressForm(CDeviceDspData* data, bool isInput, int chIndex, int blockIndex, DynamicsRules::Curve curve,
                    QWidget* parent);

private:
    CDynamicsItem* item() const;
    void build();
    void redrawCurve();
    void onThreshold(double db);
    void onRatio(int position);
    void onAttack(double ms);
    void onRelease(double ms);

    DynamicsRules::Curve m_curve;
    DspSliderSpin* m_threshold = nullptr;
    QSlider* m_ratio = nullptr;
    QLabel* m_ratioLabel = nullptr;
    DspSliderSpin* m_attack = nullptr;
    DspSliderSpin* m_release = nullptr;
};

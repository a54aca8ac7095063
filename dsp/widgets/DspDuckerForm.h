#pragma once
#include "DspDynamicsForm.h"

class CDuckerItem;
class QComboBox;

/// The ducker's editor: the trigger level of the reference channel, the depth the channel is ducked by, attack,
/// release and hold, and the reference channel (one of the configuration's inputs, or none).
class DspDuckerForm : public DspDynamicsForm
{
    Q_OBJECT
public:
    DspDuckerForm(CDeviceDspData* data, bool isInput, int chIndex, int blockIndex, QWidget* parent = nullptr);

    void refreshFromModel() override;

private:
    CDuckerItem* item() const;
    /// Edits of the block's single-precision levels: compared as the block will hold them, so a value typed
    /// again is no change.
    bool acceptLevel(float stored, double typed);
    void onTrigger(double db);
    void onDepth(double db);
    void onTime(double ms, int (CDuckerItem::*get)() const, void (CDuckerItem::*set)(int));
    void onReference(int index);
    void fillReferences(int refCh);

    DspSliderSpin* m_trigger = nullptr;
    DspSliderSpin* m_depth = nullptr;
    DspSliderSpin* m_attack = nullptr;
    DspSliderSpin* m_release = nullptr;
    DspSliderSpin* m_hold = nullptr;
    QComboBox* m_reference = nullptr;
};

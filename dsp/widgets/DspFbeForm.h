#pragma once
#include "DspBlockBaseForm.h"

class CFbeItem;
class QComboBox;

/// The feedback eliminator's editor: the frequency shift it applies.
class DspFbeForm : public DspBlockBaseForm
{
    Q_OBJECT
public:
    DspFbeForm(CDeviceDspData* data, bool isInput, int chIndex, int blockIndex, QWidget* parent = nullptr);

    void refreshFromModel() override;

private:
    CFbeItem* item() const;
    void onShift(int index);

    QComboBox* m_shift = nullptr;
};

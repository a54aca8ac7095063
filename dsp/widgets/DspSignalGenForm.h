#pragma once
#include "DspBlockBaseForm.h"

class CSignalGen;
class DspSliderSpin;
class QComboBox;

/// The signal generator's editor: the kind of signal, the frequency of a tone and the level in dBFS.
class DspSignalGenForm : public DspBlockBaseForm
{
    Q_OBJECT
public:
    DspSignalGenForm(CDeviceDspData* data, bool isInput, int chIndex, int blockIndex, QWidget* parent = nullptr);

    void refreshFromModel() override;

private:
    CSignalGen* item() const;
    void onMode(int index);
    void onFreq(double hz);
    void onLevel(double db);

    QComboBox* m_mode = nullptr;
    DspSliderSpin* m_freq = nullptr;
    DspSliderSpin* m_level = nullptr;
};

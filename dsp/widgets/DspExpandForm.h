#pragma once
#include "DspCompressForm.h"

/// The expander's editor: the compressor's controls over the expander's curve (levels below the threshold
/// pushed down by the ratio).
class DspExpandForm : public DspCompressForm
{
    Q_OBJECT
public:
    DspExpandForm(CDeviceDspData* data, bool isInput, int chIndex, int blockIndex, QWidget* parent = nullptr);
};

#include "DspExpandForm.h"

DspExpandForm::DspExpandForm(CDeviceDspData* data, bool isInput, int chIndex, int blockIndex, QWidget* parent)
    : DspCompressForm(data, isInput, chIndex, blockIndex, DynamicsRules::Curve::Expander, parent)
{
}

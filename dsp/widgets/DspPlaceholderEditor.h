#pragma once
#include "DspBlockBaseForm.h"

/// The editor of a block kind whose own controls are not built yet: the common part (bypass, replies, level)
/// with a notice in place of the kind's controls.
class DspPlaceholderEditor : public DspBlockBaseForm
{
    Q_OBJECT
public:
    DspPlaceholderEditor(CDeviceDspData* data, bool isInput, int chIndex, int blockIndex, QWidget* parent = nullptr);
};

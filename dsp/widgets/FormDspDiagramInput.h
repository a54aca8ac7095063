#pragma once
#include "DspChannelStrip.h"

/// The diagram row of one input channel; insert positions count from the chain's start.
class FormDspDiagramInput : public DspChannelStrip
{
    Q_OBJECT
public:
    explicit FormDspDiagramInput(int index, QWidget* parent = nullptr);
};

#pragma once
#include "DspChannelStrip.h"

/// The diagram row of one output channel; insert positions count from the chain's end.
class FormDspDiagramOutput : public DspChannelStrip
{
    Q_OBJECT
public:
    explicit FormDspDiagramOutput(int index, QWidget* parent = nullptr);
};

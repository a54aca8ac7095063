#include "FormDspDiagramInput.h"

FormDspDiagramInput::FormDspDiagramInput(int index, QWidget* parent) : DspChannelStrip(true, index, parent) {}

#include "FormDspDiagramOutput.h"

FormDspDiagramOutput::FormDspDiagramOutput(int index, QWidget* parent) : DspChannelStrip(false, index, parent) {}

#include "DspOutChannelForm.h"

DspOutChannelForm::DspOutChannelForm(int index, QWidget* parent) : DspChannelVolumeForm(Output, index, parent) {}

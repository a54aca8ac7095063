#include "DspInChannelForm.h"

DspInChannelForm::DspInChannelForm(int index, QWidget* parent) : DspChannelVolumeForm(Input, index, parent) {}

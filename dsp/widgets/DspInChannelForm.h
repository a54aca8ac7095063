#pragma once
#include "DspChannelVolumeForm.h"

/// The fader strip of one processor input on the channel-volume page.
class DspInChannelForm : public DspChannelVolumeForm
{
    Q_OBJECT
public:
    explicit DspInChannelForm(int index, QWidget* parent = nullptr);
};

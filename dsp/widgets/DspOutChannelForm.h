#pragma once
#include "DspChannelVolumeForm.h"

/// The fader strip of one processor output on the channel-volume page.
class DspOutChannelForm : public DspChannelVolumeForm
{
    Q_OBJECT
public:
    explicit DspOutChannelForm(int index, QWidget* parent = nullptr);
};

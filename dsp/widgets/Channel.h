#pragma once
#include "DspPageShell.h"

/// The channel-volume page of the processor dialog (levels and gains of every processor channel).
class Channel : public DspPageShell
{
    Q_OBJECT
public:
    explicit Channel(QWidget* parent = nullptr);

signals:
    /// The first channel of the visible input (false) or output (true) meters.
    void signal_changeIdStart(int idStart, bool inOrOut);
};

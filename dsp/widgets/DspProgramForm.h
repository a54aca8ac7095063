#pragma once
#include "DspPageShell.h"

/// The program page of the processor dialog (stored programs of the whole device and of channels).
class DspProgramForm : public DspPageShell
{
    Q_OBJECT
public:
    explicit DspProgramForm(QWidget* parent = nullptr);
};

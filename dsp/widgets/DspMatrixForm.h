#pragma once
#include "DspPageShell.h"

/// The matrix page of the processor dialog (mixing matrix and groups).
class DspMatrixForm : public DspPageShell
{
    Q_OBJECT
public:
    explicit DspMatrixForm(QWidget* parent = nullptr);
};

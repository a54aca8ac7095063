#include "DspMatrixForm.h"

DspMatrixForm::DspMatrixForm(QWidget* parent) : DspPageShell(QStringLiteral("DspMatrixForm"), parent) {}

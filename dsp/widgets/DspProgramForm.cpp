#include "DspProgramForm.h"

DspProgramForm::DspProgramForm(QWidget* parent) : DspPageShell(QStringLiteral("DspProgramForm"), parent) {}

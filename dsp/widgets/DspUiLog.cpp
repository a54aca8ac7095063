#include "DspUiLog.h"

Q_LOGGING_CATEGORY(lcDspUi, "meridane.dsp.ui")

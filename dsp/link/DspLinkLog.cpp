#include "DspLinkLog.h"

Q_LOGGING_CATEGORY(lcDspLink, "meridane.dsp.link")

#include "SimLog.h"

Q_LOGGING_CATEGORY(lcSim, "meridane.sim", QtInfoMsg)

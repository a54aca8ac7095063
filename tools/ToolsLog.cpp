#include "ToolsLog.h"

Q_LOGGING_CATEGORY(lcTools, "meridane.tools")

#include "DeviceLog.h"

Q_LOGGING_CATEGORY(lcDevice, "meridane.device")

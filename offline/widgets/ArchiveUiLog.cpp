#include "ArchiveUiLog.h"

Q_LOGGING_CATEGORY(lcArchiveUi, "meridane.offline.archive.ui")

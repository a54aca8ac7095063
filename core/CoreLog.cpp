#include "CoreLog.h"

#include <cstdio>

Q_LOGGING_CATEGORY(lcNet, "meridane.net")

void meridaneNetLog(const char* file, const char* func, int line)
{
    std::printf("file=%s func=%s line=%d \n", file, func, line);
}

#pragma once
#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcNet)

/// The network thread's plain standard-output line, as the registry writes them.
#define MERIDANE_NET_LOG(file, func) meridaneNetLog(file, func, __LINE__)
void meridaneNetLog(const char* file, const char* func, int line);

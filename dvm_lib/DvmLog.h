#pragma once
// The registry's standard-output log line, kept to one cheap printf.

#include <cstdio>
#include <cstring>

namespace dvm {
inline const char* logBaseName(const char* path)
{
    const char* slash = std::strrchr(path, '/');
    return slash ? slash + 1 : path;
}
} // namespace dvm

/// Writes "file=%s func=%s line=%d \n" for the calling function.
#define DVM_LOG() std::printf("file=%s func=%s line=%d \n", dvm::logBaseName(__FILE__), __func__, __LINE__)

#pragma once
// Resident memory of this process, as the kernel counts it.

/// Reads VmRSS from /proc/self/status.
class MemoryProbe
{
public:
    /// Resident set in KiB, or -1 when it cannot be read.
    static long residentKb();
};

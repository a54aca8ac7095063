#pragma once
#include <QString>

/// Watches a worker through its progress count: at every tick a count that has not moved since the last tick
/// adds one to the stall count, a moved one resets it; at the limit the worker counts as stalled.
class ExportSupervisor
{
public:
    static constexpr int DefaultIntervalMs = 1000;
    static constexpr int DefaultLimit = 20;

    explicit ExportSupervisor(int limit = DefaultLimit) : m_limit(limit) {}

    /// One tick with the worker's progress count now; true when the stall count reached the limit (the stall
    /// count is then reset, and the caller stops the timer and ends the export).
    bool tick(int progressCount);
    /// "ThreadState: maxNum=%1, check=%2/%3, timeout=%4": the limit, the current and previous count, the stall
    /// count.
    QString stateLine() const;
    /// "导出异常，请尝试重新导出".
    static QString stalledText();

    int stallCount() const { return m_stalls; }
    void reset();

private:
    int m_limit;
    int m_current = 0;
    int m_previous = -1;
    int m_stalls = 0;
};

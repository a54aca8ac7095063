#include "ExportSupervisor.h"

bool ExportSupervisor::tick(int progressCount)
{
    m_previous = m_current;
    m_current = progressCount;
    m_stalls = m_current == m_previous ? m_stalls + 1 : 0;
    if (m_stalls < m_limit)
        return false;
    m_stalls = 0;
    return true;
}

QString ExportSupervisor::stateLine() const
{
    return QStringLiteral("ThreadState: maxNum=%1, check=%2/%3, timeout=%4")
        .arg(m_limit)
        .arg(m_current)
        .arg(m_previous)
        .arg(m_stalls);
}

QString ExportSupervisor::stalledText()
{
    return QStringLiteral("导出异常，请尝试重新导出");
}

void ExportSupervisor::reset()
{
    m_current = 0;
    m_previous = -1;
    m_stalls = 0;
}

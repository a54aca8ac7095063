#include "DspCpuFigures.h"

#include <cmath>

DspCpuFigures& DspCpuFigures::instance()
{
    static DspCpuFigures figures;
    return figures;
}

void DspCpuFigures::update(const QStringList& items)
{
    qint64 sum = 0;
    int count = 0;
    int minimum = 100;
    int maximum = 0;
    for (const QString& item : items) {
        bool ok = false;
        const double value = item.trimmed().toDouble(&ok);
        if (!ok || !std::isfinite(value) || std::fabs(value) > 1e6)
            continue;
        const int v = int(std::lround(value));
        sum += v;
        ++count;
        minimum = qMin(minimum, v);
        maximum = qMax(maximum, v);
    }
    // Halves round up: 72.5 shows as 73.
    m_average = count > 0 ? int(std::floor(double(sum) / count + 0.5)) : 0;
    m_minimum = minimum;
    m_maximum = maximum;
}

void DspCpuFigures::reset()
{
    m_average = 0;
    m_minimum = 100;
    m_maximum = 0;
    m_estimate = 0;
}

#include "Samples.h"

#include <algorithm>
#include <numeric>

double Samples::median() const
{
    if (m_values.empty())
        return 0;
    std::vector<double> v = m_values;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 == 1 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

double Samples::min() const
{
    return m_values.empty() ? 0 : *std::min_element(m_values.begin(), m_values.end());
}

double Samples::max() const
{
    return m_values.empty() ? 0 : *std::max_element(m_values.begin(), m_values.end());
}

double Samples::mean() const
{
    return m_values.empty() ? 0 : std::accumulate(m_values.begin(), m_values.end(), 0.0) / double(m_values.size());
}

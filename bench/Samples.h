#pragma once
#include <vector>

/// Timings of repeated runs of one measurement, in milliseconds; the median is the figure reported since the
/// machine is usually shared.
class Samples
{
public:
    void add(double ms) { m_values.push_back(ms); }
    bool isEmpty() const { return m_values.empty(); }
    int count() const { return int(m_values.size()); }
    /// Middle value (mean of the two middle ones for an even count); 0 when empty.
    double median() const;
    double min() const;
    double max() const;
    double mean() const;

private:
    std::vector<double> m_values;
};

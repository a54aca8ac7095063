#pragma once
#include <QStringList>

/// The process-wide record of the processor's last CPU figures (average, minimum and maximum over the per-core
/// percentages of the last load reply) and of the diagram's last load estimate. GUI thread only.
class DspCpuFigures
{
public:
    /// An average above this forbids enabling blocks.
    static constexpr int EnableLimit = 90;

    static DspCpuFigures& instance();

    /// Takes the items of a load reply's "arr" (percentages as text; unreadable items are skipped). Average is
    /// rounded to nearest, minimum starts from 100 and maximum from 0.
    void update(const QStringList& items);
    int average() const { return m_average; }
    int minimum() const { return m_minimum; }
    int maximum() const { return m_maximum; }
    /// True when the average is above EnableLimit: a bypassed block may not be enabled.
    bool forbidsEnabling() const { return m_average > EnableLimit; }

    /// The diagram's last estimate (DspCpuEstimate).
    int estimate() const { return m_estimate; }
    void setEstimate(int estimate) { m_estimate = estimate; }

    /// Back to no figures (a new dialog, tests).
    void reset();

    DspCpuFigures() = default;

private:
    int m_average = 0;
    int m_minimum = 100;
    int m_maximum = 0;
    int m_estimate = 0;
};

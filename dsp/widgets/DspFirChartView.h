#pragma once
#include <QPointF>
#include <QVector>
#include <QtCharts/QChartView>

namespace QtCharts {
class QCategoryAxis;
class QLineSeries;
} // namespace QtCharts

/// The magnitude response of a FIR filter: x is log10 of the frequency (labelled "20Hz" to "10KHz"), y the gain
/// in dB. Axes and series live as long as the view; a redraw replaces the whole curve in one call.
class DspFirChartView : public QtCharts::QChartView
{
    Q_OBJECT
public:
    static constexpr double kTopDb = 10;
    static constexpr double kBottomDb = -100;

    explicit DspFirChartView(QWidget* parent = nullptr);

    /// Points as (Hz, dB); levels beyond the axis are drawn at its edge.
    void setCurve(const QVector<QPointF>& hzDb);
    QtCharts::QLineSeries* curve() const { return m_curve; }
    QtCharts::QCategoryAxis* axisX() const { return m_axisX; }

private:
    QtCharts::QLineSeries* m_curve = nullptr;
    QtCharts::QCategoryAxis* m_axisX = nullptr;
    QtCharts::QCategoryAxis* m_axisY = nullptr;
};

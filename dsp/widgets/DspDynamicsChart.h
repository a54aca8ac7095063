#pragma once
#include <QPointF>
#include <QVector>
#include <QtCharts/QChartView>

namespace QtCharts {
class QLineSeries;
}

/// The static curve of a dynamics block: output level over input level, both -100..0 dB, over a dashed 1:1 line.
/// Series and axes live as long as the view; a redraw replaces the curve's points in one call.
class DspDynamicsChart : public QtCharts::QChartView
{
    Q_OBJECT
public:
    explicit DspDynamicsChart(QWidget* parent = nullptr);

    void setCurve(const QVector<QPointF>& points);
    QVector<QPointF> curve() const;

private:
    QtCharts::QLineSeries* m_curve = nullptr;
};

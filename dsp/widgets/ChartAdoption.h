#pragma once
#include <QtCharts/QChart>
#include <QtCharts/QChartView>

/// Puts `chart` into `view` and deletes the chart the view made for itself when it was built: QChartView's
/// setChart() only releases the previous chart, which would leak one whole chart per view.
inline void adoptChart(QtCharts::QChartView* view, QtCharts::QChart* chart)
{
    QtCharts::QChart* own = view->chart();
    view->setChart(chart);
    if (own != chart)
        delete own;
}

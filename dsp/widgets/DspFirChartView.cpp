#include "DspFirChartView.h"

#include "ChartAdoption.h"
#include "FirDesign.h"
#include "UiScale.h"

#include <QtCharts/QCategoryAxis>
#include <QtCharts/QChart>
#include <QtCharts/QLineSeries>

#include <cmath>

QT_CHARTS_USE_NAMESPACE

namespace {

const QColor kBackground(0x1e, 0x22, 0x29);
const QColor kPlot(0x15, 0x18, 0x1e);
const QColor kGrid(0x39, 0x40, 0x4c);
const QColor kText(0xd7, 0xdb, 0xe2);

QCategoryAxis* makeAxis(double min, double max, const QVector<QPair<QString, double>>& labels)
{
    auto* axis = new QCategoryAxis;
    axis->setRange(min, max);
    axis->setStartValue(min);
    axis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    for (const auto& l : labels)
        axis->append(l.first, l.second);
    axis->setLabelsColor(kText);
    QFont f = axis->labelsFont();
    f.setPixelSize(qMax(UiScale::fontPx(11), 11));
    axis->setLabelsFont(f);
    axis->setGridLineColor(kGrid);
    axis->setLinePenColor(kGrid);
    return axis;
}

} // namespace

DspFirChartView::DspFirChartView(QWidget* parent) : QChartView(parent)
{
    setObjectName(QStringLiteral("chart_fir"));
    setRenderHint(QPainter::Antialiasing);
    setBackgroundBrush(kBackground);
    setMinimumSize(qMax(UiScale::px(420), 420), qMax(UiScale::px(220), 220));
    auto* c = new QChart;
    c->legend()->hide();
    c->setBackgroundBrush(kBackground);
    c->setBackgroundRoundness(0);
    c->setPlotAreaBackgroundBrush(kPlot);
    c->setPlotAreaBackgroundVisible(true);
    c->setMargins(QMargins(UiScale::px(4), UiScale::px(6), UiScale::px(18), UiScale::px(2)));

    m_curve = new QLineSeries;
    m_curve->setPen(QPen(QColor(0x4f, 0xc3, 0xf7), 2));
    c->addSeries(m_curve);

    QVector<QPair<QString, double>> xLabels;
    const double hz[] = {20, 50, 100, 200, 500, 1000, 2000, 5000, 10000};
    const char* names[] = {"20Hz", "50Hz", "100Hz", "200Hz", "500Hz", "1KHz", "2KHz", "5KHz", "10KHz"};
    for (int i = 0; i < 9; ++i)
        xLabels.append({QLatin1String(names[i]), std::log10(hz[i])});
    m_axisX = makeAxis(std::log10(FirDesign::kMinHz), std::log10(FirDesign::kMaxHz), xLabels);
    QVector<QPair<QString, double>> yLabels;
    // Few labels, so none is elided on a short chart.
    for (int db = int(kBottomDb); db <= int(kTopDb); db += 20)
        yLabels.append({db == 0 ? QStringLiteral("0dB") : QString::number(db), double(db)});
    m_axisY = makeAxis(kBottomDb, kTopDb, yLabels);
    c->addAxis(m_axisX, Qt::AlignBottom);
    c->addAxis(m_axisY, Qt::AlignLeft);
    m_curve->attachAxis(m_axisX);
    m_curve->attachAxis(m_axisY);
    adoptChart(this, c);
}

void DspFirChartView::setCurve(const QVector<QPointF>& hzDb)
{
    QVector<QPointF> points;
    points.reserve(hzDb.size());
    for (const QPointF& p : hzDb) {
        if (p.x() > 0 && std::isfinite(p.y()))
            points.append(QPointF(std::log10(p.x()), qBound(kBottomDb, p.y(), kTopDb)));
    }
    m_curve->replace(points);
}

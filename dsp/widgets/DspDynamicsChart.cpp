#include "DspDynamicsChart.h"

#include "ChartAdoption.h"
#include "DynamicsRules.h"
#include "UiScale.h"

#include <QPen>
#include <QtCharts/QChart>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>

using namespace QtCharts;

namespace {

QValueAxis* levelAxis(const QString& title)
{
    auto* axis = new QValueAxis;
    axis->setRange(DynamicsRules::kFloorDb, DynamicsRules::kTopDb);
    axis->setTickCount(6);
    axis->setLabelFormat(QStringLiteral("%d"));
    axis->setTitleText(title);
    QFont f = axis->labelsFont();
    f.setPixelSize(UiScale::fontPx(10));
    axis->setLabelsFont(f);
    axis->setTitleFont(f);
    return axis;
}

} // namespace

DspDynamicsChart::DspDynamicsChart(QWidget* parent) : QChartView(parent)
{
    setObjectName(QStringLiteral("dynamics_chart"));
    auto* chart = new QChart;
    chart->setTheme(QChart::ChartThemeDark);
    chart->setBackgroundBrush(QColor(0x1e, 0x22, 0x29));
    chart->legend()->hide();
    chart->setMargins(QMargins(2, 2, 2, 2));
    chart->setBackgroundRoundness(0);

    auto* diagonal = new QLineSeries(chart);
    diagonal->append(DynamicsRules::kFloorDb, DynamicsRules::kFloorDb);
    diagonal->append(DynamicsRules::kTopDb, DynamicsRules::kTopDb);
    m_curve = new QLineSeries(chart);
    m_curve->setObjectName(QStringLiteral("transfer_series"));
    chart->addSeries(diagonal);
    chart->addSeries(m_curve);
    // Pens after adding: the theme dresses every series it receives.
    QPen dashed(QColor(0x8a, 0x93, 0xa3));
    dashed.setStyle(Qt::DashLine);
    dashed.setWidthF(1);
    diagonal->setPen(dashed);
    QPen pen(QColor(0x3d, 0xb8, 0xff));
    pen.setWidthF(2.5);
    m_curve->setPen(pen);
    QValueAxis* x = levelAxis(QStringLiteral("In (dB)"));
    QValueAxis* y = levelAxis(QStringLiteral("Out (dB)"));
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    for (QLineSeries* s : {diagonal, m_curve}) {
        s->attachAxis(x);
        s->attachAxis(y);
    }
    adoptChart(this, chart);
    setRenderHint(QPainter::Antialiasing);
    setFrameShape(QFrame::NoFrame);
    setBackgroundBrush(chart->backgroundBrush());
    setMinimumSize(qMax(UiScale::px(260), 260), qMax(UiScale::px(240), 240)); // the axis texts need this much
}

void DspDynamicsChart::setCurve(const QVector<QPointF>& points)
{
    m_curve->replace(points);
}

QVector<QPointF> DspDynamicsChart::curve() const
{
    return m_curve->pointsVector();
}

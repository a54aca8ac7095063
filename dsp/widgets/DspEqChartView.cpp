#include "DspEqChartView.h"

#include "ChartAdoption.h"
#include "EqDragMapping.h"
#include "UiScale.h"

#include <QMouseEvent>
#include <QPainter>
#include <QtCharts/QCategoryAxis>
#include <QtCharts/QChart>
#include <QtCharts/QLineSeries>

#include <cmath>

QT_CHARTS_USE_NAMESPACE

namespace {

// The drag frame's edges (the contract of EqDragMapping).
constexpr int kFrameLeft = 20;
constexpr int kFrameRight = 1016;
constexpr int kFrameTop = 62;
constexpr int kFrameBottom = 300;
constexpr double kMinHz = 19.7;
constexpr double kMaxHz = 20200;
constexpr double kHandleRadius = 7;

const QColor kBackground(0x1e, 0x22, 0x29);
const QColor kPlot(0x15, 0x18, 0x1e);
const QColor kGrid(0x39, 0x40, 0x4c);
const QColor kText(0xd7, 0xdb, 0xe2);

/// The frame coordinate in lo..hi whose mapped value lies nearest `target`; `at` is monotonic in either direction.
template <typename Map> int nearestFramePoint(int lo, int hi, double target, Map at)
{
    const bool rising = at(hi) > at(lo);
    int a = lo;
    int b = hi;
    while (b - a > 1) {
        const int mid = (a + b) / 2;
        if ((at(mid) < target) == rising)
            a = mid;
        else
            b = mid;
    }
    return std::abs(at(a) - target) <= std::abs(at(b) - target) ? a : b;
}

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
    f.setPixelSize(UiScale::fontPx(11));
    axis->setLabelsFont(f);
    axis->setGridLineColor(kGrid);
    axis->setLinePenColor(kGrid);
    return axis;
}

QColor handleColor(int id)
{
    if (id == 0 || id >= 100)
        return QColor(0xf0, 0xa0, 0x40);
    return QColor::fromHsv(((id - 1) * 47) % 360, 150, 240);
}

} // namespace

DspEqChartView::DspEqChartView(Mode mode, QWidget* parent) : QChartView(parent), m_mode(mode)
{
    setObjectName(mode == Magnitude ? QStringLiteral("chart_eq_magnitude") : QStringLiteral("chart_eq_phase"));
    setRenderHint(QPainter::Antialiasing);
    setBackgroundBrush(kBackground);
    auto* c = new QChart;
    c->legend()->hide();
    c->setBackgroundBrush(kBackground);
    c->setBackgroundRoundness(0);
    c->setPlotAreaBackgroundBrush(kPlot);
    c->setPlotAreaBackgroundVisible(true);
    c->setMargins(QMargins(UiScale::px(4), UiScale::px(6), UiScale::px(14), UiScale::px(2)));

    m_curve = new QLineSeries;
    m_curve->setPen(QPen(mode == Magnitude ? QColor(0x4f, 0xc3, 0xf7) : QColor(0xff, 0xb7, 0x4d), 2));
    c->addSeries(m_curve);

    QVector<QPair<QString, double>> xLabels;
    const double hz[] = {20, 50, 100, 200, 500, 1000, 2000, 5000, 10000, 20000};
    const char* names[] = {"20Hz", "50Hz", "100Hz", "200Hz", "500Hz", "1KHz", "2KHz", "5KHz", "10KHz", "20K"};
    for (int i = 0; i < 10; ++i)
        xLabels.append({QLatin1String(names[i]), std::log10(hz[i])});
    m_axisX = makeAxis(std::log10(kMinHz), std::log10(kMaxHz), xLabels);

    QVector<QPair<QString, double>> yLabels;
    if (mode == Magnitude) {
        for (int db = -30; db <= 18; db += 6)
            yLabels.append(
                {db == 0 ? QStringLiteral("0dB") : (db > 0 ? QStringLiteral("+%1") : QStringLiteral("%1")).arg(db),
                 db * 10.0});
        m_axisY = makeAxis(-300, 180, yLabels);
    } else {
        for (int deg = -180; deg <= 180; deg += 45)
            yLabels.append({(deg > 0 ? QStringLiteral("+%1") : QStringLiteral("%1")).arg(deg), double(deg)});
        m_axisY = makeAxis(-180, 180, yLabels);
    }
    c->addAxis(m_axisX, Qt::AlignBottom);
    c->addAxis(m_axisY, Qt::AlignLeft);
    m_curve->attachAxis(m_axisX);
    m_curve->attachAxis(m_axisY);
    adoptChart(this, c);
}

void DspEqChartView::setCurve(const QVector<QPointF>& points)
{
    m_curve->replace(points);
}

void DspEqChartView::setHandles(const QVector<Handle>& handles)
{
    m_handles = handles;
    viewport()->update();
}

void DspEqChartView::setSelectedHandle(int id)
{
    m_selected = id;
    viewport()->update();
}

QPointF DspEqChartView::toView(double x, double y) const
{
    const QPointF inChart = chart()->mapToPosition(QPointF(x, y), m_curve);
    return mapFromScene(chart()->mapToScene(inChart));
}

bool DspEqChartView::handlePosition(int id, QPointF* pos) const
{
    for (const Handle& h : m_handles) {
        if (h.id != id)
            continue;
        // Kept on the plot, so a band beyond the axes can still be taken.
        const double x = qBound(m_axisX->min(), std::log10(qMax(h.hz, 1.0)), m_axisX->max());
        const double y = qBound(m_axisY->min(), h.db * 10, m_axisY->max());
        *pos = toView(x, y);
        return true;
    }
    return false;
}

int DspEqChartView::handleAt(const QPointF& viewPos) const
{
    int best = -1;
    double bestDist = UiScale::px(kHandleRadius + 4);
    // The last drawn lies on top, so it wins a tie.
    for (const Handle& h : m_handles) {
        QPointF p;
        if (!handlePosition(h.id, &p))
            continue;
        const double d = std::hypot(p.x() - viewPos.x(), p.y() - viewPos.y());
        if (d <= bestDist) {
            bestDist = d;
            best = h.id;
        }
    }
    return best;
}

QPoint DspEqChartView::framePoint(const QPointF& viewPos) const
{
    const QPointF inChart = chart()->mapFromScene(mapToScene(viewPos.toPoint()));
    const QPointF value = chart()->mapToValue(inChart, m_curve);
    const double logHz = value.x();
    const double db = value.y() / 10;
    const int x = nearestFramePoint(kFrameLeft, kFrameRight, logHz,
                                    [](int px) { return std::log10(EqDragMapping::frequencyAt(px)); });
    const int y = nearestFramePoint(kFrameTop, kFrameBottom, db, [](int px) { return EqDragMapping::gainAt(px); });
    return QPoint(x, y);
}

void DspEqChartView::mousePressEvent(QMouseEvent* event)
{
    const int id = m_mode == Magnitude && event->button() == Qt::LeftButton ? handleAt(event->localPos()) : -1;
    if (id < 0) {
        QChartView::mousePressEvent(event);
        return;
    }
    m_dragging = id;
    setSelectedHandle(id);
    const QPoint p = framePoint(event->localPos());
    emit eq_drag_pressed(p.x(), p.y(), id);
}

void DspEqChartView::mouseMoveEvent(QMouseEvent* event)
{
    if (m_dragging < 0) {
        QChartView::mouseMoveEvent(event);
        return;
    }
    const QPoint p = framePoint(event->localPos());
    emit eq_drag_moved(p.x(), p.y(), m_dragging);
}

void DspEqChartView::mouseReleaseEvent(QMouseEvent* event)
{
    m_dragging = -1;
    QChartView::mouseReleaseEvent(event);
}

void DspEqChartView::drawForeground(QPainter* painter, const QRectF& rect)
{
    QChartView::drawForeground(painter, rect);
    if (m_handles.isEmpty())
        return;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    QFont f = painter->font();
    f.setPixelSize(UiScale::fontPx(9));
    f.setBold(true);
    painter->setFont(f);
    const double r = UiScale::px(kHandleRadius);
    for (const Handle& h : m_handles) {
        QPointF p;
        if (!handlePosition(h.id, &p))
            continue;
        const QPointF s = mapToScene(p.toPoint());
        QColor fill = handleColor(h.id);
        if (h.dim)
            fill.setAlpha(90);
        painter->setPen(QPen(h.id == m_selected ? Qt::white : kBackground, h.id == m_selected ? 2 : 1));
        painter->setBrush(fill);
        painter->drawEllipse(s, r, r);
        const QString text = h.id == 0     ? QStringLiteral("H")
                             : h.id >= 100 ? QStringLiteral("L")
                                           : QString::number(h.id);
        painter->setPen(kBackground);
        painter->drawText(QRectF(s.x() - r, s.y() - r, 2 * r, 2 * r), Qt::AlignCenter, text);
    }
    painter->restore();
}

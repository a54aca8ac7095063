#pragma once
#include <QPoint>
#include <QPointF>
#include <QVector>
#include <QtCharts/QChartView>

namespace QtCharts {
class QCategoryAxis;
class QLineSeries;
} // namespace QtCharts

/// The response graph of an equaliser: x is log10 of the frequency, y ten times the gain in dB (magnitude) or the
/// phase in degrees. The magnitude graph carries a handle per band and filter; pressing and dragging one reports
/// the pointer in the drag frame EqDragMapping reads (x 20..1016 for 19.7 Hz..20.2 kHz, y 62..300 for +12..-24 dB),
/// computed from the chart value under the pointer so the handle follows the pointer whatever the widget's size.
class DspEqChartView : public QtCharts::QChartView
{
    Q_OBJECT
public:
    enum Mode
    {
        Magnitude,
        Phase
    };
    /// Handle ids: 0 the high-pass filter, 1..99 bands 0..98, 100 the low-pass filter.
    struct Handle
    {
        int id = -1;
        double hz = 1000;
        double db = 0;
        bool dim = false; ///< bypassed: drawn faintly
    };

    explicit DspEqChartView(Mode mode, QWidget* parent = nullptr);

    Mode mode() const { return m_mode; }
    QtCharts::QLineSeries* curve() const { return m_curve; }
    QtCharts::QCategoryAxis* axisX() const { return m_axisX; }
    QtCharts::QCategoryAxis* axisY() const { return m_axisY; }
    /// Replaces the whole curve in one call.
    void setCurve(const QVector<QPointF>& points);
    void setHandles(const QVector<Handle>& handles);
    const QVector<Handle>& handles() const { return m_handles; }
    void setSelectedHandle(int id);
    int selectedHandle() const { return m_selected; }
    /// Where handle `id` is drawn, in view coordinates; false when there is no such handle.
    bool handlePosition(int id, QPointF* pos) const;
    /// The handle within reach of a view position; -1 for none.
    int handleAt(const QPointF& viewPos) const;
    /// The drag frame position of a view position.
    QPoint framePoint(const QPointF& viewPos) const;

signals:
    void eq_drag_pressed(int x, int y, int handle);
    void eq_drag_moved(int x, int y, int handle);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void drawForeground(QPainter* painter, const QRectF& rect) override;

private:
    QPointF toView(double x, double y) const;

    Mode m_mode;
    QtCharts::QLineSeries* m_curve = nullptr;
    QtCharts::QCategoryAxis* m_axisX = nullptr;
    QtCharts::QCategoryAxis* m_axisY = nullptr;
    QVector<Handle> m_handles;
    int m_selected = -1;
    int m_dragging = -1;
};

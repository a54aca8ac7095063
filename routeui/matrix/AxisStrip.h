#pragma once
#include <QColor>
#include <QSet>
#include <QWidget>

class MatrixAxis;

/// The send or receive list beside the grid, painted for the visible items only (a light list: a matrix of a
/// thousand devices has tens of thousands of items). Vertical strips list rows, horizontal strips list columns
/// with their text written upwards.
class AxisStrip : public QWidget
{
    Q_OBJECT
public:
    /// `axis` and `expanded` must outlive the strip.
    AxisStrip(Qt::Orientation orientation, const MatrixAxis* axis, const QSet<QString>* expanded,
              QWidget* parent = nullptr);

    void setCellSize(int size);
    /// Scroll offset in pixels along the strip, kept equal to the grid's.
    void setOffset(int offset);
    /// The item to highlight (-1 none).
    void setHighlight(int pos);
    int highlight() const { return m_highlight; }
    /// Devices whose header entry blinks (owned by the caller, must outlive the strip), and the blink phase:
    /// while `lit`, their headers are painted in the identify colour.
    void setBlinking(const QSet<QString>* ids) { m_blinking = ids; }
    void setBlinkPhase(bool lit);
    /// The identify colour, the one the device list shows.
    static QColor blinkColor() { return QColor(0x0a, 0x84, 0xc6); }
    /// The item under a point of the strip, or -1.
    int itemAt(const QPoint& p) const;
    /// True when a release at `p` lies in the item's expand toggle (the first 18 scaled pixels).
    bool inToggleZone(const QPoint& p) const;

signals:
    /// A release on an item's toggle zone.
    void signal_toggle(int pos);
    void signal_doubleClicked(int pos);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    Qt::Orientation m_orientation;
    const MatrixAxis* m_axis;
    const QSet<QString>* m_expanded;
    int m_size = 16;
    int m_offset = 0;
    int m_highlight = -1;
    const QSet<QString>* m_blinking = nullptr;
    bool m_blinkLit = false;
};

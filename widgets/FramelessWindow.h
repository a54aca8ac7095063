#pragma once
#include <QPoint>
#include <QRect>
#include <QWidget>

/// A top-level window without system frame that the user moves by dragging its title area and resizes by
/// dragging its edges. Subclasses name the widget that acts as title area.
class FramelessWindow : public QWidget
{
    Q_OBJECT
public:
    explicit FramelessWindow(QWidget* parent = nullptr);

    /// Dragging inside `title` (a child) moves the window; a double click toggles maximised.
    void setTitleArea(QWidget* title);
    /// Width of the band along the edges that resizes the window (0 switches resizing off).
    void setResizeBorder(int pixels) { m_border = pixels; }
    /// Maximised when normal, normal when maximised.
    void toggleMaximized();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    enum Edge
    {
        None = 0,
        Left = 1,
        Right = 2,
        Top = 4,
        Bottom = 8
    };
    int edgesAt(const QPoint& pos) const;
    void updateCursor(int edges);

    QWidget* m_title = nullptr;
    int m_border = 5;
    bool m_moving = false;
    int m_resizeEdges = None;
    QPoint m_pressGlobal;
    QRect m_pressGeometry;
};

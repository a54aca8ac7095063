#include "FramelessWindow.h"

#include <QMouseEvent>

FramelessWindow::FramelessWindow(QWidget* parent) : QWidget(parent)
{
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowMaximizeButtonHint);
    // Edge cursors need move events without a pressed button.
    setMouseTracking(true);
}

void FramelessWindow::setTitleArea(QWidget* title)
{
    if (m_title != nullptr)
        m_title->removeEventFilter(this);
    m_title = title;
    if (m_title != nullptr)
        m_title->installEventFilter(this);
}

void FramelessWindow::toggleMaximized()
{
    if (isMaximized())
        showNormal();
    else
        showMaximized();
}

bool FramelessWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_title) {
        // Only the mouse cases below may treat the event as a mouse event; the title gets every other kind too.
        auto mouse = [event] { return static_cast<QMouseEvent*>(event); };
        switch (event->type()) {
        case QEvent::MouseButtonPress:
            if (mouse()->button() == Qt::LeftButton && !isMaximized()) {
                m_moving = true;
                m_pressGlobal = mouse()->globalPos();
                m_pressGeometry = geometry();
            }
            break;
        case QEvent::MouseMove:
            if (m_moving)
                move(m_pressGeometry.topLeft() + mouse()->globalPos() - m_pressGlobal);
            break;
        case QEvent::MouseButtonRelease:
            m_moving = false;
            break;
        case QEvent::MouseButtonDblClick:
            if (mouse()->button() == Qt::LeftButton)
                toggleMaximized();
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

int FramelessWindow::edgesAt(const QPoint& pos) const
{
    if (m_border <= 0 || isMaximized())
        return None;
    int edges = None;
    if (pos.x() < m_border)
        edges |= Left;
    else if (pos.x() >= width() - m_border)
        edges |= Right;
    if (pos.y() < m_border)
        edges |= Top;
    else if (pos.y() >= height() - m_border)
        edges |= Bottom;
    return edges;
}

void FramelessWindow::updateCursor(int edges)
{
    if (edges == (Left | Top) || edges == (Right | Bottom))
        setCursor(Qt::SizeFDiagCursor);
    else if (edges == (Right | Top) || edges == (Left | Bottom))
        setCursor(Qt::SizeBDiagCursor);
    else if (edges & (Left | Right))
        setCursor(Qt::SizeHorCursor);
    else if (edges & (Top | Bottom))
        setCursor(Qt::SizeVerCursor);
    else
        unsetCursor();
}

void FramelessWindow::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        m_resizeEdges = edgesAt(event->pos());
        m_pressGlobal = event->globalPos();
        m_pressGeometry = geometry();
    }
    QWidget::mousePressEvent(event);
}

void FramelessWindow::mouseMoveEvent(QMouseEvent* event)
{
    if (m_resizeEdges == None) {
        updateCursor(edgesAt(event->pos()));
        QWidget::mouseMoveEvent(event);
        return;
    }
    const QPoint delta = event->globalPos() - m_pressGlobal;
    QRect g = m_pressGeometry;
    // Moving the left or top edge must not push the opposite edge past the minimum size.
    if (m_resizeEdges & Left)
        g.setLeft(std::min(g.left() + delta.x(), g.right() - minimumWidth()));
    if (m_resizeEdges & Right)
        g.setRight(g.right() + delta.x());
    if (m_resizeEdges & Top)
        g.setTop(std::min(g.top() + delta.y(), g.bottom() - minimumHeight()));
    if (m_resizeEdges & Bottom)
        g.setBottom(g.bottom() + delta.y());
    setGeometry(g);
}

void FramelessWindow::mouseReleaseEvent(QMouseEvent* event)
{
    m_resizeEdges = None;
    QWidget::mouseReleaseEvent(event);
}

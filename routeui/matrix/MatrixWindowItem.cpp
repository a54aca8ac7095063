#include "MatrixWindowItem.h"

#include "MatrixIcons.h"
#include "MatrixWindow.h"

#include <QPainter>
#include <QStyleOptionGraphicsItem>

namespace {
const QColor kFill(0x21, 0x22, 0x27);
const QColor kGray(0x7C, 0x89, 0xFA, 0x66);
const QColor kHoverLine(0x34, 0x34, 0x3E);
const QColor kHoverCell(0xFF, 0xFF, 0xFF, 0xC9);
const QColor kGrid(0x34, 0x35, 0x3C);
} // namespace

MatrixWindowItem::MatrixWindowItem(const MatrixWindow* window, int cellSize) : m_window(window), m_size(cellSize)
{
    setFlag(QGraphicsItem::ItemUsesExtendedStyleOption);
}

void MatrixWindowItem::setCellSize(int cellSize)
{
    prepareGeometryChange();
    m_size = cellSize;
}

void MatrixWindowItem::windowChanged()
{
    prepareGeometryChange();
    update();
}

QRectF MatrixWindowItem::boundingRect() const
{
    return QRectF(m_window->col0 * m_size, m_window->row0 * m_size, m_window->cols * m_size, m_window->rows * m_size);
}

void MatrixWindowItem::paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget*)
{
    const MatrixWindow& w = *m_window;
    const QRectF exposed = option->exposedRect.intersected(boundingRect());
    if (exposed.isEmpty())
        return;
    const int s = m_size;
    const int r0 = qMax(w.row0, static_cast<int>(exposed.top()) / s);
    const int r1 = qMin(w.row0 + w.rows, static_cast<int>(exposed.bottom()) / s + 1);
    const int c0 = qMax(w.col0, static_cast<int>(exposed.left()) / s);
    const int c1 = qMin(w.col0 + w.cols, static_cast<int>(exposed.right()) / s + 1);
    painter->setPen(Qt::NoPen);
    for (int r = r0; r < r1; ++r) {
        for (int c = c0; c < c1; ++c) {
            const WindowCell& cell = *w.at(r, c);
            const QRect rect(c * s, r * s, s, s);
            const bool marked = cell.kind == WindowCell::Route && (cell.checked || cell.checking);
            QColor fill = cell.kind == WindowCell::Gray ? kGray : kFill;
            if (!marked && (r == w.hoverRow || c == w.hoverCol))
                fill = (r == w.hoverRow && c == w.hoverCol) ? kHoverCell : kHoverLine;
            painter->fillRect(rect, kFill);
            painter->fillRect(rect, fill);
            painter->fillRect(QRect(rect.right(), rect.top(), 1, s), kGrid);
            painter->fillRect(QRect(rect.left(), rect.bottom(), s, 1), kGrid);
            const QPixmap* icon = nullptr;
            if (cell.checking)
                icon = &MatrixIcons::pixmap(MatrixIcons::Checking, s);
            else if (cell.kind == WindowCell::Headers)
                icon = &MatrixIcons::pixmap(
                    cell.expanded ? (cell.pairRouted ? MatrixIcons::DecreaseRoute : MatrixIcons::Decrease)
                                  : (cell.pairRouted ? MatrixIcons::IncreaseRoute : MatrixIcons::Increase),
                    s);
            else if (cell.checked)
                icon = &MatrixIcons::pixmap(MatrixIcons::Checked, s);
            if (icon != nullptr)
                painter->drawPixmap(rect.topLeft(), *icon);
        }
    }
}

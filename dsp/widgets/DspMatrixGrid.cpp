#include "DspMatrixGrid.h"

#include "DspMatrix.h"
#include "DspMatrixRequests.h"
#include "MatrixGainCode.h"
#include "UiScale.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

namespace {

const QColor kBackground(0x1e, 0x22, 0x29);
const QColor kHeader(0x26, 0x2b, 0x34);
const QColor kHeaderShared(0x2c, 0x3a, 0x4a);
const QColor kGrid(0x3a, 0x40, 0x4b);
const QColor kCellOff(0x23, 0x28, 0x30);
const QColor kCellOn(0x1f, 0x4d, 0x3a);
const QColor kCheck(0x4c, 0xd1, 0x8a);
const QColor kText(0xd8, 0xdc, 0xe3);
const QColor kTextDim(0x7c, 0x84, 0x90);
const QColor kSelect(0xff, 0xa9, 0x3a);
const QColor kShareOn(0x3d, 0x9b, 0xe9);

/// At least the design size: fonts do not scale with the screen, so text-bearing parts never shrink below it.
int atLeast(int design)
{
    return qMax(UiScale::px(design), design);
}

QString gainText(double db)
{
    // Quarter-dB steps: at most two decimals, trailing zeros dropped.
    QString t = QString::number(db, 'f', 2);
    while (t.contains(QLatin1Char('.')) && (t.endsWith(QLatin1Char('0')) || t.endsWith(QLatin1Char('.'))))
        t.chop(1);
    return db > 0 ? QStringLiteral("+") + t : t;
}

} // namespace

DspMatrixGrid::DspMatrixGrid(QWidget* parent)
    : QAbstractScrollArea(parent), m_cellW(atLeast(72)), m_cellH(atLeast(30)), m_headW(atLeast(132)),
      m_headH(atLeast(70))
{
    setObjectName(QStringLiteral("matrix_grid"));
    setFrameShape(QFrame::NoFrame);
    viewport()->setAutoFillBackground(false);
    horizontalScrollBar()->setSingleStep(1);
    verticalScrollBar()->setSingleStep(1);
}

void DspMatrixGrid::setMatrix(const DspMatrix* matrix, const QStringList& rowLabels, const QStringList& columnLabels)
{
    m_matrix = matrix;
    m_rowLabels = rowLabels;
    m_colLabels = columnLabels;
    if (m_selCol >= columns() || m_selRow >= rows())
        m_selCol = m_selRow = -1;
    updateScrollBars();
    viewport()->update();
}

void DspMatrixGrid::setLevels(const QVector<double>& rows, const QVector<double>& columns)
{
    m_rowLevels = rows;
    m_colLevels = columns;
    // Only the headers show levels.
    viewport()->update(QRect(0, 0, viewport()->width(), m_headH));
    viewport()->update(QRect(0, m_headH, m_headW, viewport()->height()));
}

void DspMatrixGrid::setSelected(int col, int row)
{
    const bool valid = m_matrix != nullptr && m_matrix->contains(col, row);
    m_selCol = valid ? col : -1;
    m_selRow = valid ? row : -1;
    viewport()->update();
}

int DspMatrixGrid::rows() const
{
    return m_matrix != nullptr ? m_matrix->rows() : 0;
}

int DspMatrixGrid::columns() const
{
    return m_matrix != nullptr ? m_matrix->columns() : 0;
}

int DspMatrixGrid::visibleColumns() const
{
    return qMax(1, (viewport()->width() - m_headW) / m_cellW);
}

int DspMatrixGrid::visibleRows() const
{
    return qMax(1, (viewport()->height() - m_headH) / m_cellH);
}

int DspMatrixGrid::firstVisibleColumn() const
{
    return horizontalScrollBar()->value();
}

int DspMatrixGrid::firstVisibleRow() const
{
    return verticalScrollBar()->value();
}

int DspMatrixGrid::lastVisibleColumn() const
{
    // A partly shown cell at the edge counts as visible.
    const int shown = (viewport()->width() - m_headW + m_cellW - 1) / m_cellW;
    return qMin(columns() - 1, firstVisibleColumn() + qMax(1, shown) - 1);
}

int DspMatrixGrid::lastVisibleRow() const
{
    const int shown = (viewport()->height() - m_headH + m_cellH - 1) / m_cellH;
    return qMin(rows() - 1, firstVisibleRow() + qMax(1, shown) - 1);
}

void DspMatrixGrid::scrollToColumn(int col)
{
    horizontalScrollBar()->setValue(col);
}

void DspMatrixGrid::scrollToRow(int row)
{
    verticalScrollBar()->setValue(row);
}

void DspMatrixGrid::updateScrollBars()
{
    horizontalScrollBar()->setRange(0, qMax(0, columns() - visibleColumns()));
    horizontalScrollBar()->setPageStep(visibleColumns());
    verticalScrollBar()->setRange(0, qMax(0, rows() - visibleRows()));
    verticalScrollBar()->setPageStep(visibleRows());
}

QRect DspMatrixGrid::cellRect(int col, int row) const
{
    if (m_matrix == nullptr || !m_matrix->contains(col, row) || col < firstVisibleColumn() ||
        col > lastVisibleColumn() || row < firstVisibleRow() || row > lastVisibleRow())
        return QRect();
    return QRect(m_headW + (col - firstVisibleColumn()) * m_cellW, m_headH + (row - firstVisibleRow()) * m_cellH,
                 m_cellW, m_cellH);
}

QRect DspMatrixGrid::checkRect(int col, int row) const
{
    const QRect c = cellRect(col, row);
    if (c.isEmpty())
        return QRect();
    const int box = qMin(c.height() - 8, atLeast(16));
    return QRect(c.left() + 5, c.center().y() - box / 2, box, box);
}

QRect DspMatrixGrid::shareRect(int col) const
{
    if (col < firstVisibleColumn() || col > lastVisibleColumn() || col >= columns())
        return QRect();
    const int x = m_headW + (col - firstVisibleColumn()) * m_cellW;
    const int h = atLeast(18);
    return QRect(x + 4, m_headH - h - 12, m_cellW - 8, h);
}

void DspMatrixGrid::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void DspMatrixGrid::scrollContentsBy(int, int)
{
    viewport()->update();
    emit signal_viewMoved(firstVisibleColumn(), firstVisibleRow());
}

void DspMatrixGrid::paintLevel(QPainter& p, const QRect& r, double db, bool vertical)
{
    p.fillRect(r, QColor(0x14, 0x17, 0x1c));
    const double floor = DspMatrixRequests::kSilenceDb;
    // The upper 60 dB are what a meter shows; below that reads as empty.
    const double f = qBound(0.0, (db + 60.0) / 60.0, 1.0);
    if (db <= floor || f <= 0)
        return;
    const QColor c = db > -6    ? QColor(0xe5, 0x48, 0x3f)
                     : db > -18 ? QColor(0xf0, 0xc0, 0x3a)
                                : QColor(0x3f, 0xc0, 0x6f);
    if (vertical) {
        const int h = int(r.height() * f);
        p.fillRect(QRect(r.left(), r.bottom() - h + 1, r.width(), h), c);
    } else {
        p.fillRect(QRect(r.left(), r.top(), int(r.width() * f), r.height()), c);
    }
}

void DspMatrixGrid::paintColumnHeader(QPainter& p, int col, const QRect& r) const
{
    const bool shared = m_matrix->isShare(col);
    p.fillRect(r, shared ? kHeaderShared : kHeader);
    p.setPen(kGrid);
    p.drawLine(r.topRight(), r.bottomRight());
    p.setPen(col == m_selCol ? kSelect : kText);
    const QRect name(r.left() + 2, r.top() + 4, r.width() - 4, atLeast(16));
    // Output names sit in a cell's width: a size below the cells' text so common names fit whole.
    p.save();
    QFont f = p.font();
    f.setPixelSize(11);
    p.setFont(f);
    p.drawText(name, Qt::AlignCenter,
               p.fontMetrics().elidedText(m_colLabels.value(col), Qt::ElideMiddle, name.width()));
    p.restore();
    p.setPen(kTextDim);
    p.drawText(QRect(r.left(), name.bottom() + 1, r.width(), atLeast(14)), Qt::AlignCenter, QString::number(col + 1));
    const QRect share = shareRect(col);
    p.setPen(shared ? kShareOn : kGrid);
    p.setBrush(shared ? kShareOn.darker(180) : Qt::NoBrush);
    p.drawRoundedRect(share.adjusted(0, 0, -1, -1), 3, 3);
    p.setBrush(Qt::NoBrush);
    p.setPen(shared ? kText : kTextDim);
    p.drawText(share, Qt::AlignCenter, tr("共享"));
    paintLevel(p, QRect(r.left() + 4, r.bottom() - 7, r.width() - 8, 4), m_colLevels.value(col, -90), false);
}

void DspMatrixGrid::paintRowHeader(QPainter& p, int row, const QRect& r) const
{
    p.fillRect(r, kHeader);
    p.setPen(kGrid);
    p.drawLine(r.bottomLeft(), r.bottomRight());
    const int meterW = 6;
    const int numW = atLeast(28);
    p.setPen(kTextDim);
    p.drawText(QRect(r.left() + 2, r.top(), numW, r.height()), Qt::AlignVCenter | Qt::AlignRight,
               QString::number(row + 1));
    p.setPen(row == m_selRow ? kSelect : kText);
    const QRect name(r.left() + numW + 8, r.top(), r.width() - numW - meterW - 16, r.height());
    p.drawText(name, Qt::AlignVCenter | Qt::AlignLeft,
               p.fontMetrics().elidedText(m_rowLabels.value(row), Qt::ElideMiddle, name.width()));
    paintLevel(p, QRect(r.right() - meterW - 3, r.top() + 4, meterW, r.height() - 8), m_rowLevels.value(row, -90),
               true);
}

void DspMatrixGrid::paintCell(QPainter& p, int col, int row, const QRect& r) const
{
    const bool on = m_matrix->isOn(col, row);
    p.fillRect(r, on ? kCellOn : kCellOff);
    p.setPen(kGrid);
    p.drawLine(r.topRight(), r.bottomRight());
    p.drawLine(r.bottomLeft(), r.bottomRight());
    const int box = qMin(r.height() - 8, atLeast(16));
    const QRect check(r.left() + 5, r.center().y() - box / 2, box, box);
    p.setPen(on ? kCheck : kTextDim);
    p.drawRect(check.adjusted(0, 0, -1, -1));
    if (on) {
        p.setPen(QPen(kCheck, 2));
        p.drawLine(check.left() + 3, check.center().y(), check.center().x() - 1, check.bottom() - 3);
        p.drawLine(check.center().x() - 1, check.bottom() - 3, check.right() - 3, check.top() + 3);
    }
    const double db = m_matrix->gainDb(col, row);
    p.setPen(on ? kText : kTextDim);
    const int code = MatrixGainCode::encode(db);
    if (MatrixGainCode::decode(code) == db) {
        // Laid-out texts, one per gain step: a screenful of cells repeats a handful of gains.
        QStaticText& text = m_gainTexts[code];
        if (text.text().isEmpty()) {
            text.setText(gainText(db));
            text.prepare(QTransform(), p.font());
        }
        const QSizeF size = text.size();
        p.drawStaticText(QPointF(r.right() - 3 - size.width(), r.center().y() - size.height() / 2 + 1), text);
    } else {
        p.drawText(QRect(check.right() + 2, r.top(), r.right() - check.right() - 4, r.height()),
                   Qt::AlignVCenter | Qt::AlignRight, gainText(db));
    }
    if (col == m_selCol && row == m_selRow) {
        p.setPen(QPen(kSelect, 2));
        p.drawRect(r.adjusted(1, 1, -1, -1));
    }
}

void DspMatrixGrid::paintEvent(QPaintEvent* event)
{
    QPainter p(viewport());
    p.fillRect(event->rect(), kBackground);
    m_painted = 0;
    if (m_matrix == nullptr || rows() == 0 || columns() == 0)
        return;
    QFont f = p.font();
    f.setPixelSize(12);
    p.setFont(f);
    const int c0 = firstVisibleColumn();
    const int c1 = lastVisibleColumn();
    const int r0 = firstVisibleRow();
    const int r1 = lastVisibleRow();
    const QRect dirty = event->rect();
    for (int c = c0; c <= c1; ++c) {
        const int x = m_headW + (c - c0) * m_cellW;
        for (int r = r0; r <= r1; ++r) {
            const QRect cell(x, m_headH + (r - r0) * m_cellH, m_cellW, m_cellH);
            if (!cell.intersects(dirty))
                continue;
            paintCell(p, c, r, cell);
            ++m_painted;
        }
        const QRect head(x, 0, m_cellW, m_headH);
        if (head.intersects(dirty))
            paintColumnHeader(p, c, head);
    }
    for (int r = r0; r <= r1; ++r) {
        const QRect head(0, m_headH + (r - r0) * m_cellH, m_headW, m_cellH);
        if (head.intersects(dirty))
            paintRowHeader(p, r, head);
    }
    const QRect corner(0, 0, m_headW, m_headH);
    p.fillRect(corner, kHeader);
    p.setPen(kTextDim);
    p.drawText(corner.adjusted(8, 6, -8, -6), Qt::AlignLeft | Qt::AlignBottom, tr("输入 \\ 输出 (dB)"));
}

void DspMatrixGrid::mousePressEvent(QMouseEvent* event)
{
    const QPoint pos = event->pos();
    if (m_matrix == nullptr || event->button() != Qt::LeftButton)
        return;
    const int col = pos.x() >= m_headW ? firstVisibleColumn() + (pos.x() - m_headW) / m_cellW : -1;
    const int row = pos.y() >= m_headH ? firstVisibleRow() + (pos.y() - m_headH) / m_cellH : -1;
    if (row < 0 && col >= 0 && col < columns()) {
        if (shareRect(col).contains(pos))
            emit signal_shareToggled(col);
        return;
    }
    if (!m_matrix->contains(col, row))
        return;
    setSelected(col, row);
    emit signal_cellSelected(col, row);
    if (checkRect(col, row).contains(pos))
        emit signal_cellToggled(col, row);
}

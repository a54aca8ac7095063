#pragma once
#include <QVector>
#include <cstdint>

/// State of one drawn cell.
struct WindowCell
{
    enum Kind : uint8_t
    {
        Route,  ///< channel by channel: connectable
        Gray,   ///< a header crossing a channel
        Headers ///< header by header: expand/collapse toggle
    };
    Kind kind = Route;
    bool expanded = false;   ///< row or column item expanded
    bool checked = false;    ///< a route passes through this cell
    bool checking = false;   ///< a request was sent for it; cleared by the next refresh
    bool pairRouted = false; ///< header cell whose two sides share at least one route
    int state = 0;           ///< 0 no route, 2 routed (connectable cells only)
};

/// The cells of the window around the scroll position; the only cells the matrix keeps.
class MatrixWindow
{
public:
    /// Smallest window extent in cells; a view showing more cells gets a window as large as what it shows.
    static constexpr int kMaxRows = 60;
    static constexpr int kMaxCols = 100;
    /// The view scrolls the window in blocks of this many cells.
    static constexpr int kBlock = 10;

    struct Span
    {
        int first = 0;
        int count = 0;
        bool operator==(const Span& o) const { return first == o.first && count == o.count; }
    };
    /// The cells of one axis to keep for a view scrolled to `offsetPx` that shows `viewPx` pixels of
    /// `cellPx`-sized cells out of `total`: from the block holding the first visible cell to the last visible
    /// one, rounded out to whole blocks, at least `minCells`. Everything when that covers the whole axis.
    static Span span(int total, int offsetPx, int viewPx, int cellPx, int minCells)
    {
        total = total < 0 ? 0 : total;
        cellPx = cellPx < 1 ? 1 : cellPx;
        offsetPx = offsetPx < 0 ? 0 : offsetPx;
        viewPx = viewPx < 0 ? 0 : viewPx;
        const long long firstVisible = offsetPx / cellPx;
        const long long endVisible = (static_cast<long long>(offsetPx) + viewPx + cellPx - 1) / cellPx;
        long long first = kBlock * (firstVisible / kBlock);
        long long count = (endVisible - first + kBlock - 1) / kBlock * kBlock;
        if (count < minCells)
            count = minCells;
        if (count >= total)
            return Span{0, total};
        if (first > total - 1)
            first = total - 1;
        if (first + count > total)
            count = total - first;
        return Span{static_cast<int>(first), static_cast<int>(count)};
    }

    int row0 = 0;
    int col0 = 0;
    int rows = 0;
    int cols = 0;
    int hoverRow = -1; ///< absolute row under the mouse, -1 when none
    int hoverCol = -1;
    QVector<WindowCell> cells;

    void reset(int firstRow, int rowCount, int firstCol, int colCount)
    {
        row0 = firstRow;
        rows = rowCount;
        col0 = firstCol;
        cols = colCount;
        cells.fill(WindowCell(), rows * cols);
    }
    bool contains(int row, int col) const
    {
        return row >= row0 && row < row0 + rows && col >= col0 && col < col0 + cols;
    }
    /// The cell at absolute (row, col); null outside the window.
    WindowCell* at(int row, int col)
    {
        return contains(row, col) ? &cells[(row - row0) * cols + (col - col0)] : nullptr;
    }
    const WindowCell* at(int row, int col) const
    {
        return contains(row, col) ? &cells[(row - row0) * cols + (col - col0)] : nullptr;
    }
};

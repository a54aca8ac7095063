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
    /// Maximum window extent in cells.
    static constexpr int kMaxRows = 60;
    static constexpr int kMaxCols = 100;

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

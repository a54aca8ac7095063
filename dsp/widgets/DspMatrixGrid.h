#pragma once
#include <QAbstractScrollArea>
#include <QHash>
#include <QStaticText>
#include <QStringList>
#include <QVector>

class DspMatrix;

/// The mixing matrix drawn as one grid: output names along the top (each with its gain-share box and level), input
/// names down the left (each with its level), one cell per crosspoint with its on mark and gain. Only the cells on
/// screen are painted, so a matrix of thousands of crosspoints costs no more than the screenful. Scrolling moves by
/// whole cells: the scroll bars' values are the first visible output and input.
class DspMatrixGrid : public QAbstractScrollArea
{
    Q_OBJECT
public:
    explicit DspMatrixGrid(QWidget* parent = nullptr);

    /// The matrix shown (owned elsewhere; nullptr shows nothing) with its row and column names.
    void setMatrix(const DspMatrix* matrix, const QStringList& rowLabels, const QStringList& columnLabels);
    /// Levels in dB (-90..0) per row and per column; entries missing read as silence.
    void setLevels(const QVector<double>& rows, const QVector<double>& columns);
    /// The selected cell (-1, -1 for none).
    void setSelected(int col, int row);
    int selectedColumn() const { return m_selCol; }
    int selectedRow() const { return m_selRow; }

    int firstVisibleColumn() const;
    int firstVisibleRow() const;
    int lastVisibleColumn() const;
    int lastVisibleRow() const;
    void scrollToColumn(int col);
    void scrollToRow(int row);

    /// Where things are, in viewport coordinates (for clicks); empty when not on screen.
    QRect cellRect(int col, int row) const;
    QRect checkRect(int col, int row) const;
    QRect shareRect(int col) const;
    /// Cells painted by the last paint (the visible ones only).
    int paintedCells() const { return m_painted; }

    int cellWidth() const { return m_cellW; }
    int cellHeight() const { return m_cellH; }
    int rowHeaderWidth() const { return m_headW; }
    int columnHeaderHeight() const { return m_headH; }

signals:
    void signal_cellToggled(int col, int row);
    void signal_cellSelected(int col, int row);
    void signal_shareToggled(int col);
    /// The first visible output or input changed.
    void signal_viewMoved(int firstCol, int firstRow);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    int rows() const;
    int columns() const;
    int visibleColumns() const;
    int visibleRows() const;
    void updateScrollBars();
    void paintColumnHeader(QPainter& p, int col, const QRect& r) const;
    void paintRowHeader(QPainter& p, int row, const QRect& r) const;
    void paintCell(QPainter& p, int col, int row, const QRect& r) const;
    static void paintLevel(QPainter& p, const QRect& r, double db, bool vertical);

    const DspMatrix* m_matrix = nullptr;
    QStringList m_rowLabels;
    QStringList m_colLabels;
    QVector<double> m_rowLevels;
    QVector<double> m_colLevels;
    int m_selCol = -1;
    int m_selRow = -1;
    int m_cellW;
    int m_cellH;
    int m_headW;
    int m_headH;
    int m_painted = 0;
    /// Gain texts by gain code, laid out once in the cells' font.
    mutable QHash<int, QStaticText> m_gainTexts;
};

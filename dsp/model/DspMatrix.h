#pragma once
#include <QVector>

/// The mixing matrix: one cell per (output column, input row) with a gain and an on flag, and one gain-share flag
/// per column. Rows are the DSP inputs, then the AEC channels, then the automixer channels. Out-of-range cells
/// read as 0 dB / off and ignore writes.
class DspMatrix
{
public:
    /// Upper bound on rows and on columns.
    static constexpr int MaxDimension = 1024;

    /// A matrix of `rows` x `columns` cells, all 0 dB and off; dimensions are bounded to 0..MaxDimension.
    DspMatrix(int rows, int columns);

    int rows() const { return m_rows; }
    int columns() const { return m_columns; }
    bool contains(int col, int row) const { return col >= 0 && col < m_columns && row >= 0 && row < m_rows; }

    double gainDb(int col, int row) const;
    bool isOn(int col, int row) const;
    void setCell(int col, int row, double gainDb, bool on);
    void setGainDb(int col, int row, double gainDb);
    void setOn(int col, int row, bool on);

    /// The column's gain-share flag ("mode" "1").
    bool isShare(int col) const;
    void setShare(int col, bool share);

    bool operator==(const DspMatrix& o) const;

private:
    int index(int col, int row) const { return col * m_rows + row; }

    int m_rows = 0;
    int m_columns = 0;
    QVector<double> m_gain;
    QVector<bool> m_on;
    QVector<bool> m_share;
};

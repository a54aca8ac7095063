#include "DspMatrix.h"

DspMatrix::DspMatrix(int rows, int columns)
    : m_rows(qBound(0, rows, int(MaxDimension))), m_columns(qBound(0, columns, int(MaxDimension))),
      m_gain(m_rows * m_columns, 0.0), m_on(m_rows * m_columns, false), m_share(m_columns, false)
{
}

double DspMatrix::gainDb(int col, int row) const
{
    return contains(col, row) ? m_gain.at(index(col, row)) : 0.0;
}

bool DspMatrix::isOn(int col, int row) const
{
    return contains(col, row) && m_on.at(index(col, row));
}

void DspMatrix::setCell(int col, int row, double gainDb, bool on)
{
    if (!contains(col, row))
        return;
    m_gain[index(col, row)] = gainDb;
    m_on[index(col, row)] = on;
}

void DspMatrix::setGainDb(int col, int row, double gainDb)
{
    if (contains(col, row))
        m_gain[index(col, row)] = gainDb;
}

void DspMatrix::setOn(int col, int row, bool on)
{
    if (contains(col, row))
        m_on[index(col, row)] = on;
}

bool DspMatrix::isShare(int col) const
{
    return col >= 0 && col < m_columns && m_share.at(col);
}

void DspMatrix::setShare(int col, bool share)
{
    if (col >= 0 && col < m_columns)
        m_share[col] = share;
}

bool DspMatrix::operator==(const DspMatrix& o) const
{
    return m_rows == o.m_rows && m_columns == o.m_columns && m_gain == o.m_gain && m_on == o.m_on &&
           m_share == o.m_share;
}

#include "DspMatrixReader.h"

std::optional<QJsonObject> DspMatrixReader::startWhole(int rows, int columns, bool batch, int firstOut, int firstIn)
{
    m_segments.clear();
    m_batch = batch;
    if (rows <= 0 || columns <= 0)
        return std::nullopt;
    firstOut = qBound(0, firstOut, columns - 1);
    firstIn = batch ? qBound(0, firstIn, rows - 1) : 0;
    m_segments.append({firstOut, firstIn, rows});
    for (int k = 1; k < columns; ++k)
        m_segments.append({(firstOut + k) % columns, 0, rows});
    // The rows above the first visible one of the first output, last.
    if (firstIn > 0)
        m_segments.append({firstOut, 0, firstIn});
    return begin(true);
}

std::optional<QJsonObject> DspMatrixReader::startView(int rows, int columns, bool batch, int firstOut, int lastOut,
                                                      int firstIn, int lastIn)
{
    m_segments.clear();
    m_batch = batch;
    if (rows <= 0 || columns <= 0)
        return std::nullopt;
    firstOut = qBound(0, firstOut, columns - 1);
    lastOut = qBound(firstOut, lastOut, columns - 1);
    firstIn = batch ? qBound(0, firstIn, rows - 1) : 0;
    const int to = qBound(firstIn + 1, lastIn + 1, rows);
    for (int c = firstOut; c <= lastOut; ++c)
        m_segments.append({c, firstIn, to});
    return begin(false);
}

std::optional<QJsonObject> DspMatrixReader::begin(bool whole)
{
    m_whole = whole;
    m_wholeFinished = false;
    m_retries = 0;
    m_row = m_segments.first().from;
    return current();
}

QJsonObject DspMatrixReader::current() const
{
    const Segment& s = m_segments.first();
    if (m_batch)
        return DspMatrixRequests::getMatrixBatch(s.out, m_row);
    return m_row == 0 ? DspMatrixRequests::getMatrix(s.out) : DspMatrixRequests::getMatrix(s.out, m_row);
}

std::optional<QJsonObject> DspMatrixReader::next(const DspMatrixRequests::Page& page)
{
    if (m_segments.isEmpty() || page.outIndex != m_segments.first().out || page.idStart != m_row)
        return std::nullopt;
    m_retries = 0;
    // A reply that does not move on ends its output, so a device repeating a page cannot hold the walk forever.
    if (page.idNext > m_row && page.idNext < m_segments.first().to) {
        m_row = page.idNext;
        return current();
    }
    m_segments.removeFirst();
    if (m_segments.isEmpty()) {
        m_wholeFinished = m_whole;
        return std::nullopt;
    }
    m_row = m_segments.first().from;
    return current();
}

std::optional<QJsonObject> DspMatrixReader::retry()
{
    if (m_segments.isEmpty())
        return std::nullopt;
    if (++m_retries > kMaxRetries) {
        m_segments.clear();
        return std::nullopt;
    }
    return current();
}

bool DspMatrixReader::takeWholeFinished()
{
    const bool f = m_wholeFinished;
    m_wholeFinished = false;
    return f;
}

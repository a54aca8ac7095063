#pragma once
#include "DspMatrixRequests.h"

#include <QJsonObject>
#include <QVector>

#include <optional>

/// The walk that reads the matrix from the processor page by page: one output at a time, following each reply's
/// "idNext" until the output's rows are read, then the next output. A whole read starts at the first visible cell
/// and wraps round to cover every cell; a view read covers only the outputs and rows on screen.
class DspMatrixReader
{
public:
    /// A stalled read is asked again this many times before it is given up.
    static constexpr int kMaxRetries = 3;

    /// Starts a read; returns its first request. `batch`: getMatrixBatch with "idStart" (otherwise getMatrix,
    /// which always starts an output at row 0). Nothing to read (empty matrix) gives nullopt.
    std::optional<QJsonObject> startWhole(int rows, int columns, bool batch, int firstOut, int firstIn);
    std::optional<QJsonObject> startView(int rows, int columns, bool batch, int firstOut, int lastOut, int firstIn,
                                         int lastIn);

    /// Follows one applied page: the next request, or nullopt when this page was not the one awaited (a stale
    /// reply) or the read has ended (see finished()).
    std::optional<QJsonObject> next(const DspMatrixRequests::Page& page);
    /// The request awaited again after a stall; nullopt (and the read abandoned) after kMaxRetries.
    std::optional<QJsonObject> retry();

    bool isReading() const { return !m_segments.isEmpty(); }
    /// True once, right after the last page of a whole read.
    bool takeWholeFinished();
    void cancel() { m_segments.clear(); }

private:
    struct Segment
    {
        int out;
        int from;
        int to;
    };
    std::optional<QJsonObject> begin(bool whole);
    QJsonObject current() const;

    QVector<Segment> m_segments;
    int m_row = 0;
    bool m_batch = false;
    bool m_whole = false;
    bool m_wholeFinished = false;
    int m_retries = 0;
};

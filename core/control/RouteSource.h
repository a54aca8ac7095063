#pragma once
#include "MatrixAxis.h"

#include <QPair>
#include <QSet>
#include <QString>
#include <vector>

/// One existing route: a transmit channel of a device or stream feeding a receive channel of a device.
struct RouteEntry
{
    QString sendId;  ///< devId, or dotted destination address of a stream
    int sendChannel; ///< 1-based
    QString recvId;
    int recvChannel; ///< 1-based
};

/// Where the matrix takes its axes and routes from: the live registry online, the offline model offline.
class RouteSource
{
public:
    virtual ~RouteSource() = default;
    /// Fills the rows (streams, then devices with transmit channels) and the columns (devices with receive
    /// channels), both emptied first.
    virtual void buildAxes(MatrixAxis* rows, MatrixAxis* cols) = 0;
    /// Lists every route whose source is known, and the (send id, receive id) pairs that have at least one route.
    virtual void collectRoutes(std::vector<RouteEntry>* routes, QSet<QPair<QString, QString>>* pairs) = 0;
};

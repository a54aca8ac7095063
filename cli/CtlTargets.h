#pragma once
#include "MatrixAxis.h"

#include <QString>

/// Finds the devices, streams and channels a command line names on an axis of the routing matrix: a device by
/// devId or name, a multicast stream by destination address or name, a channel by 1-based number or name.
/// Exact matches win over case-insensitive ones; a name shared by several is refused as ambiguous.
class CtlTargets
{
public:
    enum Status
    {
        Found,
        Unknown,
        Ambiguous
    };

    struct Result
    {
        Status status = Unknown;
        int position = -1; ///< axis position: the header, or the channel for channel look-ups
        QString error;     ///< one line for the user when not found
        bool ok() const { return status == Found; }
    };

    /// The header of a device (or, unless `devicesOnly`, a multicast stream) named by `text`.
    static Result header(const MatrixAxis& axis, const QString& text, bool devicesOnly = false);
    /// Channel `text` of the group whose header is at `header`.
    static Result channelOf(const MatrixAxis& axis, int header, const QString& text);
    /// "DEVICE:CHANNEL". Names may hold ':' themselves: every split is tried and exactly one must fit.
    static Result channel(const MatrixAxis& axis, const QString& text, bool devicesOnly = false);
};

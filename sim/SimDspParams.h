#pragma once

#include <QJsonObject>
#include <QString>

/// What the processor accepts as a block's parameters: per JSON block type the keys it knows and the range of
/// each value. A change naming an unknown key or carrying a value out of range is refused as a whole.
class SimDspParams
{
public:
    /// Why `given` (the "obj" of a block change, possibly partial) cannot be applied to `stored` (the block as
    /// kept, with its "type"); empty when it can. `inputs` bounds the ducker's reference channel.
    static QString check(const QJsonObject& stored, const QJsonObject& given, int inputs);
    /// The same for one equaliser band ("obj" of a band change).
    static QString checkBand(const QJsonObject& given);
};

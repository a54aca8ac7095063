#pragma once

#include <QJsonObject>

/// The gain a dynamics block applies to its channel's level, as the processor's status poll reports it.
class SimDspGain
{
public:
    /// Deepest reduction of the expander and the closed noise gate.
    static constexpr double kFloorDb = -60;

    /// The gain in dB that `block` (stored JSON with "type", "bypass" and "obj") applies at input level `levelDb`
    /// (dBFS; -infinity for silence). `referenceDb` is the level of the ducker's reference channel (-infinity
    /// when it has none). Bypassed blocks and blocks that do not act on levels give 0.
    static double gainDb(const QJsonObject& block, double levelDb, double referenceDb);
    /// gainDb() as a linear factor.
    static double linear(double gainDb);
};

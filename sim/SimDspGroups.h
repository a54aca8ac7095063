#pragma once

class SimCommandHandlers;

/// The processor's channel group commands: "setGroupGain" ("index", "val" in dB), "setGroupMute" ("index", "val"
/// "1"/"0") and "setGroupName" ("index", "name"), applied to "groupArr" of the stored configuration. Index 0..15,
/// gain -60..+12 dB, names of at most 32 characters; anything else is refused and nothing changes. Refused while the
/// processor is locked.
class SimDspGroups
{
public:
    static constexpr double kMinGainDb = -60;
    static constexpr double kMaxGainDb = 12;
    static constexpr int kMaxNameLength = 32;

    static void addTo(SimCommandHandlers& handlers);
};

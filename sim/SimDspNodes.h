#pragma once

class SimCommandHandlers;

/// The processor's echo-canceller and automixer nodes: "setNodeData" (checked per node type, stored into the
/// configuration's node so the next "getConfig" shows it, refused whole and while locked) and the automixer's
/// live polls "getAutomixActive" and "getAutomixVolumeDbPost" ("arr": one text per member, in "maskArr" order).
///
/// A member entry carries its channel in bits 21-36; it is open while its input is above the automixer's "trigDb"
/// or it is always on (bit 20), and closed when bypassed (17) or muted before the mix (18). A closed member's post
/// level is its input lowered by "duckDb"; a member muted after the mix (19) reports "-inf".
class SimDspNodes
{
public:
    /// The most members an automixer node takes.
    static constexpr int kMaxMembers = 64;

    static void addTo(SimCommandHandlers& handlers);
};

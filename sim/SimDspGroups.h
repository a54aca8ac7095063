#pragma once

class SimCommandHandlers;

/// The processor's channel group commands: group gain, mute and name.
class SimDspGroups
{
public:
    static void addTo(SimCommandHandlers& handlers);
};

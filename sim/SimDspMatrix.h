#pragma once

class SimCommandHandlers;

/// The processor's mixing matrix commands: paged reads, crosspoint mute and gain, gain-share modes.
class SimDspMatrix
{
public:
    static void addTo(SimCommandHandlers& handlers);
};

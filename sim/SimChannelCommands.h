#pragma once

class SimCommandHandlers;

/// The per-channel commands: level meters (also the DSP models' batch meters), physical gains and mutes, and
/// the amplifier's gain steps and power.
class SimChannelCommands
{
public:
    /// Registers the commands, each on the ports a device serves it on.
    static void addTo(SimCommandHandlers& handlers);

    /// The amplifier's gain steps in dB, by step index.
    static const char* const kAmpGainSteps[4];
};

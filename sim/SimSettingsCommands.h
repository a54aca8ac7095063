#pragma once

class SimCommandHandlers;

/// The commands that change what a device is called and how it runs: device and channel names, audio format,
/// delay, DSCP and PTP values, address, configuration text and reboot.
class SimSettingsCommands
{
public:
    /// Registers the commands, each on the ports a device serves it on.
    static void addTo(SimCommandHandlers& handlers);

    /// Longest name a device keeps, in UTF-8 bytes: the controller holds names in 64-byte fields.
    static constexpr int kMaxNameBytes = 63;
    /// Longest key and value of the configuration text ("getCfg"/"setCfg").
    static constexpr int kMaxCfgKeyBytes = 63;
    static constexpr int kMaxCfgValueBytes = 255;
};

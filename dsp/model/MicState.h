#pragma once
#include "MicCommands.h"

#include <QString>

#include <array>

/// What the controller knows of the microphone processor's settings, as its answers reported them.
struct MicState
{
    int aecLev = 0;
    int afcLev = 0;
    int ancLev = 0;
    int agcLev = 0;
    int headphoneSource = MicCommands::kHeadphoneRemote;
    std::array<int, MicCommands::kChannels> inChGain{};
    std::array<int, MicCommands::kChannels> inChMute{};
    std::array<int, MicCommands::kChannels> outChGain{};
    std::array<int, MicCommands::kChannels> outChMute{};

    /// The setting of `code` on `channel` (-1 for the fixed channel); 0 for Save or a channel it does not have.
    int value(MicCode code, int channel = -1) const;
    /// Stores a value within the code's range; false (and nothing changes) otherwise or when it is the same.
    bool setValue(MicCode code, int channel, int value);

    /// "MicInfo: => aecLev=… afcLev=… …": the whole state on one line, for the debug log.
    QString debugLine() const;

    bool operator==(const MicState& o) const;
    bool operator!=(const MicState& o) const { return !(*this == o); }

private:
    int* field(MicCode code, int channel);
};

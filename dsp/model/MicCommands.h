#pragma once
#include <QString>
#include <QStringList>

/// The settings of the microphone processor that some devices carry behind their serial port. Each is read and
/// set with a short text command: two letters, "s" (set) or "r" (read), one channel digit, for a set the value in
/// decimal, and "\r\n" ("IEs13\r\n" sets echo cancellation to level 3, "IGr2\r\n" reads the gain of input 2).
enum class MicCode
{
    Aec,       ///< IE, channel 1: echo cancellation level
    Afc,       ///< IF, channel 1: adaptive feedback suppression level
    Agc,       ///< IA, channel 1: automatic gain, off or on
    Anc,       ///< IN, channel 1: AI noise reduction level
    Headphone, ///< IT, channel 3: the headphone's source (MicCommands::kHeadphoneRemote or kHeadphoneLocal)
    InGain,    ///< IG, channels 0-3: input gain in dB
    InMute,    ///< IM, channels 0-3: input mute
    OutGain,   ///< OV, channels 0-3: output gain in dB
    OutMute,   ///< OM, channels 0-3: output mute
    Save       ///< SS, channel 1: stores the settings in the processor (no value)
};

/// The values a setting may take. The processor owns its ranges; these are the ones this system offers and
/// accepts back, so an answer outside them is treated as garbled rather than shown.
struct MicRange
{
    int min = 0;
    int max = 0;
    bool contains(int v) const { return v >= min && v <= max; }
};

namespace MicCommands {

/// Input and output channels of the processor.
constexpr int kChannels = 4;
/// Inputs (IG/IM channel digits).
constexpr int kMicInput = 0;
constexpr int kLocalReference = 1;
constexpr int kRemoteReference = 2;
constexpr int kInterpretationInput = 3;
/// Outputs (OV/OM channel digits); output 3 feeds the headphone and has no control of its own.
constexpr int kAecOutput = 0;
constexpr int kAfcOutput = 1;
constexpr int kInterpretationOutput = 2;
constexpr int kHeadphoneOutput = 3;
/// Headphone source values.
constexpr int kHeadphoneRemote = 0;
constexpr int kHeadphoneLocal = 1;

/// Levels: 0 is off, 1..5 the strength; automatic gain only off (0) or on (1); gains in whole dB.
constexpr MicRange kLevelRange{0, 5};
constexpr MicRange kSwitchRange{0, 1};
constexpr MicRange kGainRange{-60, 24};

/// Every code, Save included.
const QList<MicCode>& codes();
/// "IE", "IF", ...
QString letters(MicCode code);
/// The one channel digit of a setting that has no channels (1, or 3 for the headphone); -1 for per-channel codes.
int fixedChannel(MicCode code);
bool isPerChannel(MicCode code);
bool isValidChannel(MicCode code, int channel);
MicRange range(MicCode code);

/// "IEr1\r\n"; empty for a channel the code does not have (and for Save, which is never read).
QString read(MicCode code, int channel = -1);
/// "IEs13\r\n"; empty when the channel or the value is outside what the code takes. Fixed-channel codes ignore
/// `channel` when it is -1.
QString set(MicCode code, int channel, int value);
/// "SSs1\r\n".
QString save();
/// Every read, in the order sent when the dialog opens: the five single settings, then per channel the input
/// gains and mutes and the output gains and mutes.
QStringList readAll();

} // namespace MicCommands

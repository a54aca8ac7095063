#pragma once
#include <QtGlobal>

/// One automixer member as the device packs it into a 64-bit "maskArr" entry: priority in bits 0-3, a signed
/// 12-bit gain in bits 4-15, the flags chPost (16), bypass (17), preMute (18), postMute (19), alwaysOn (20) and the
/// member's channel id in bits 21-36.
struct AutomixerMask
{
    static constexpr int kChIdShift = 21;
    static constexpr int kMaxPriority = 15;
    static constexpr int kMinGain = -2048;
    static constexpr int kMaxGain = 2047;
    static constexpr int kMaxChId = 0xFFFF;

    int priority = 0;
    int gain = 0;
    bool chPost = false;
    bool bypass = false;
    bool preMute = false;
    bool postMute = false;
    bool alwaysOn = false;
    int chId = 0;

    /// The packed entry; fields beyond their bit widths are cut to them.
    quint64 compose() const;
    /// The fields of a packed entry; the gain is sign-extended (bits 4-15 of the low 16 bits read as signed).
    static AutomixerMask decompose(quint64 mask);
    /// A member of channel `chId` with every other field at its default.
    static AutomixerMask forChannel(int chId);

    bool operator==(const AutomixerMask& o) const;
    bool operator!=(const AutomixerMask& o) const { return !(*this == o); }
};

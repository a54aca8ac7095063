#include "AutomixerMask.h"

quint64 AutomixerMask::compose() const
{
    return (quint64(priority) & 0xF) | (quint64(quint32(gain)) & 0xFFF) << 4 | quint64(chPost) << 16 |
           quint64(bypass) << 17 | quint64(preMute) << 18 | quint64(postMute) << 19 | quint64(alwaysOn) << 20 |
           (quint64(quint32(chId)) & kMaxChId) << kChIdShift;
}

AutomixerMask AutomixerMask::decompose(quint64 mask)
{
    AutomixerMask m;
    m.priority = int(mask & 0xF);
    // Bit 15 is the gain's sign: the low half is a signed 16-bit value whose upper 12 bits are the gain.
    m.gain = int((mask >> 4) & 0xFFF);
    if (m.gain & 0x800)
        m.gain -= 0x1000;
    m.chPost = (mask >> 16) & 1;
    m.bypass = (mask >> 17) & 1;
    m.preMute = (mask >> 18) & 1;
    m.postMute = (mask >> 19) & 1;
    m.alwaysOn = (mask >> 20) & 1;
    m.chId = int((mask >> kChIdShift) & kMaxChId);
    return m;
}

AutomixerMask AutomixerMask::forChannel(int chId)
{
    AutomixerMask m;
    m.chId = chId;
    return m;
}

bool AutomixerMask::operator==(const AutomixerMask& o) const
{
    return priority == o.priority && gain == o.gain && chPost == o.chPost && bypass == o.bypass &&
           preMute == o.preMute && postMute == o.postMute && alwaysOn == o.alwaysOn && chId == o.chId;
}

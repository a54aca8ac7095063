#include "MicState.h"

#include <QStringList>

int* MicState::field(MicCode code, int channel)
{
    if (channel < 0)
        channel = MicCommands::fixedChannel(code);
    if (code == MicCode::Save || !MicCommands::isValidChannel(code, channel))
        return nullptr;
    switch (code) {
    case MicCode::Aec:
        return &aecLev;
    case MicCode::Afc:
        return &afcLev;
    case MicCode::Agc:
        return &agcLev;
    case MicCode::Anc:
        return &ancLev;
    case MicCode::Headphone:
        return &headphoneSource;
    case MicCode::InGain:
        return &inChGain[size_t(channel)];
    case MicCode::InMute:
        return &inChMute[size_t(channel)];
    case MicCode::OutGain:
        return &outChGain[size_t(channel)];
    case MicCode::OutMute:
        return &outChMute[size_t(channel)];
    case MicCode::Save:
        break;
    }
    return nullptr;
}

int MicState::value(MicCode code, int channel) const
{
    const int* f = const_cast<MicState*>(this)->field(code, channel);
    return f != nullptr ? *f : 0;
}

bool MicState::setValue(MicCode code, int channel, int value)
{
    int* f = field(code, channel);
    if (f == nullptr || !MicCommands::range(code).contains(value) || *f == value)
        return false;
    *f = value;
    return true;
}

QString MicState::debugLine() const
{
    QStringList parts;
    parts << QStringLiteral("aecLev=%1").arg(aecLev) << QStringLiteral("afcLev=%1").arg(afcLev)
          << QStringLiteral("ancLev=%1").arg(ancLev) << QStringLiteral("agcLev=%1").arg(agcLev)
          << QStringLiteral("headphoneSource=%1").arg(headphoneSource);
    const auto channels = [&parts](const char* name, const std::array<int, MicCommands::kChannels>& values) {
        for (int ch = 0; ch < MicCommands::kChannels; ++ch)
            parts << QStringLiteral("%1%2=%3").arg(QLatin1String(name)).arg(ch).arg(values[size_t(ch)]);
    };
    channels("inChGain", inChGain);
    channels("inChMute", inChMute);
    channels("outChGain", outChGain);
    channels("outChMute", outChMute);
    return QStringLiteral("MicInfo: => ") + parts.join(QLatin1Char(' '));
}

bool MicState::operator==(const MicState& o) const
{
    return aecLev == o.aecLev && afcLev == o.afcLev && ancLev == o.ancLev && agcLev == o.agcLev &&
           headphoneSource == o.headphoneSource && inChGain == o.inChGain && inChMute == o.inChMute &&
           outChGain == o.outChGain && outChMute == o.outChMute;
}

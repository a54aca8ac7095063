#include "MicCommands.h"

namespace MicCommands {

namespace {

const QString kEnd = QStringLiteral("\r\n");

} // namespace

const QList<MicCode>& codes()
{
    static const QList<MicCode> all = {MicCode::Aec,       MicCode::Afc,    MicCode::Agc,    MicCode::Anc,
                                       MicCode::Headphone, MicCode::InGain, MicCode::InMute, MicCode::OutGain,
                                       MicCode::OutMute,   MicCode::Save};
    return all;
}

QString letters(MicCode code)
{
    switch (code) {
    case MicCode::Aec:
        return QStringLiteral("IE");
    case MicCode::Afc:
        return QStringLiteral("IF");
    case MicCode::Agc:
        return QStringLiteral("IA");
    case MicCode::Anc:
        return QStringLiteral("IN");
    case MicCode::Headphone:
        return QStringLiteral("IT");
    case MicCode::InGain:
        return QStringLiteral("IG");
    case MicCode::InMute:
        return QStringLiteral("IM");
    case MicCode::OutGain:
        return QStringLiteral("OV");
    case MicCode::OutMute:
        return QStringLiteral("OM");
    case MicCode::Save:
        return QStringLiteral("SS");
    }
    return QString();
}

int fixedChannel(MicCode code)
{
    switch (code) {
    case MicCode::Headphone:
        return 3;
    case MicCode::InGain:
    case MicCode::InMute:
    case MicCode::OutGain:
    case MicCode::OutMute:
        return -1;
    default:
        return 1;
    }
}

bool isPerChannel(MicCode code)
{
    return fixedChannel(code) < 0;
}

bool isValidChannel(MicCode code, int channel)
{
    return isPerChannel(code) ? channel >= 0 && channel < kChannels : channel == fixedChannel(code);
}

MicRange range(MicCode code)
{
    switch (code) {
    case MicCode::Aec:
    case MicCode::Afc:
    case MicCode::Anc:
        return kLevelRange;
    case MicCode::InGain:
    case MicCode::OutGain:
        return kGainRange;
    case MicCode::Save:
        return MicRange{0, 0};
    default:
        return kSwitchRange;
    }
}

QString read(MicCode code, int channel)
{
    if (channel < 0)
        channel = fixedChannel(code);
    if (code == MicCode::Save || !isValidChannel(code, channel))
        return QString();
    return letters(code) + QLatin1Char('r') + QString::number(channel) + kEnd;
}

QString set(MicCode code, int channel, int value)
{
    if (channel < 0)
        channel = fixedChannel(code);
    if (code == MicCode::Save || !isValidChannel(code, channel) || !range(code).contains(value))
        return QString();
    return letters(code) + QLatin1Char('s') + QString::number(channel) + QString::number(value) + kEnd;
}

QString save()
{
    return QStringLiteral("SSs1") + kEnd;
}

QStringList readAll()
{
    QStringList out;
    for (MicCode c : {MicCode::Aec, MicCode::Afc, MicCode::Agc, MicCode::Anc, MicCode::Headphone})
        out << read(c);
    for (MicCode c : {MicCode::InGain, MicCode::InMute, MicCode::OutGain, MicCode::OutMute})
        for (int ch = 0; ch < kChannels; ++ch)
            out << read(c, ch);
    return out;
}

} // namespace MicCommands

#pragma once
#include <QString>

/// A channel group of the configuration ("groupArr" entry).
struct DspGroup
{
    double gainDb = 0;
    bool mute = false;
    QString name;

    bool operator==(const DspGroup& o) const { return gainDb == o.gainDb && mute == o.mute && name == o.name; }
};

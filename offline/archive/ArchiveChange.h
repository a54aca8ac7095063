#pragma once
#include "ArchiveCategory.h"

#include <QString>

/// One value that differs between an archive device and the online device it would be loaded onto.
struct ArchiveChange
{
    ArchiveCategory category = ArchiveCategory::DeviceName;
    QString what;    ///< "devName", "rxChName 3", "phyGainRx 2", "route rx 5", "stream Stage-1", "dsp curConfig" ...
    QString online;  ///< the value on the device now ("" when it has none)
    QString archive; ///< the value the load would set ("" when the load removes it)
    QString key;     ///< what without its number: "rxChName", "phyGainRx", "ucastRoute", "stream", ...
    int index = -1;  ///< 0-based channel or entry number, -1 when the value has none
    QString name;    ///< the stream or processor program the change is about
};

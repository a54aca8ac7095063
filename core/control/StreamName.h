#pragma once
#include <QString>

/// Stream names as shown. SAP names keep the carriage return that stood before the line end; a view shows the
/// name without it (the registry keeps it, so a stream is still found under the name it announced).
namespace StreamName {

inline QString shown(QString name)
{
    while (name.endsWith(QLatin1Char('\r')))
        name.chop(1);
    return name;
}

} // namespace StreamName

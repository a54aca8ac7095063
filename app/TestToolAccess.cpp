#include "TestToolAccess.h"

namespace TestToolAccess {

Mode modeFor(const QString& input)
{
    const QString code = input.trimmed();
    if (code == QLatin1String("4827"))
        return AllControls;
    if (code == QLatin1String("6130"))
        return Reduced;
    return Refused;
}

} // namespace TestToolAccess

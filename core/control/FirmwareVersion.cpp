#include "FirmwareVersion.h"

namespace FirmwareVersion {

int compare(const QString& a, const QString& b)
{
    return QString::compare(a, b, Qt::CaseSensitive);
}

bool before(const QString& firmware, const QString& reference)
{
    return compare(firmware, reference) < 0;
}

bool after(const QString& firmware, const QString& reference)
{
    return compare(firmware, reference) > 0;
}

} // namespace FirmwareVersion

#include "LockMasks.h"

namespace LockMasks {

uint32_t deviceMask(int routeLevel, int detailLevel)
{
    uint32_t mask = routeLevel == 1 ? 0x1u : 0u;
    if (detailLevel == 1)
        mask |= 0x2u;
    else if (detailLevel == 2)
        mask |= 0x10002u;
    return mask;
}

uint32_t dspMask(int dspLevel)
{
    switch (dspLevel) {
    case 1:
        return 0x1fu;
    case 2:
        return 0x1u;
    case 3:
        return 0x1001fu;
    default:
        return 0u;
    }
}

QString maskText(uint32_t mask)
{
    return QStringLiteral("0x") + QString::number(mask, 16);
}

} // namespace LockMasks

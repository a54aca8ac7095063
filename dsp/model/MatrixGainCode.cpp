#include "MatrixGainCode.h"

#include <cmath>

namespace MatrixGainCode {

int encode(double db)
{
    if (!std::isfinite(db))
        return 0;
    const double q = std::round(db * 4);
    if (q >= 1 && q <= 48)
        return int(q);
    if (q >= -192 && q <= -1)
        return 48 - int(q);
    return 0;
}

double decode(int code)
{
    if (code >= 1 && code <= 48)
        return code * 0.25;
    if (code >= 49 && code <= 240)
        return -(code - 48) * 0.25;
    return 0;
}

} // namespace MatrixGainCode

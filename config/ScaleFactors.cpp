#include "ScaleFactors.h"

#include <cmath>
#include <cstdint>

namespace {
constexpr double kDesignWidth = 1280.0;
constexpr double kSecondaryDivisor = 1.5;
} // namespace

double ScaleFactors::dec3(double x)
{
    return std::round(x * 1000.0) / 1000.0;
}

ScaleFactors ScaleFactors::fromScreen(int horzRes, int vertRes, int cx, int cy)
{
    ScaleFactors f;
    if (horzRes <= 0 || vertRes <= 0 || cx <= 0 || cy <= 0)
        return f;

    // The display scale is taken before the width is narrowed: it relates physical to logical pixels.
    const double winScale = double(horzRes) / cx;
    int xPix = horzRes;
    // 64-bit products: the comparison must not overflow for absurd sizes reported by a broken driver.
    if (int64_t(cx) * 9 > int64_t(cy) * 16) {
        // Whole pixels, as the logical width itself.
        cx = int(int64_t(cy) * 16 / 9);
        xPix = int(int64_t(vertRes) * 16 / 9);
    }
    f.adjScale = dec3(xPix / kDesignWidth);
    f.adjFontScale = dec3(xPix / kDesignWidth / winScale);
    f.newAdjScale = dec3(f.adjScale / kSecondaryDivisor);
    f.newAdjFontScale = dec3(f.adjFontScale / kSecondaryDivisor);
    f.cx = cx;
    f.cy = cy;
    f.valid = true;
    return f;
}

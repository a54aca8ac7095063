#include "UiScale.h"

#include <algorithm>
#include <cmath>

namespace {
ScaleFactors g_factors;
} // namespace

void UiScale::set(const ScaleFactors& factors)
{
    g_factors = factors;
}

const ScaleFactors& UiScale::factors()
{
    return g_factors;
}

int UiScale::px(double designPixels)
{
    return std::max(1, int(std::lround(designPixels * g_factors.adjScale)));
}

int UiScale::fontPx(double designPixels)
{
    return std::max(1, int(std::lround(designPixels * g_factors.adjFontScale)));
}

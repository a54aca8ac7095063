#pragma once
#include "ScaleFactors.h"

/// The process-wide scale factors every window multiplies its design sizes by. Set once in main before any
/// window exists; read from the user-interface thread only.
class UiScale
{
public:
    static void set(const ScaleFactors& factors);
    static const ScaleFactors& factors();

    /// A design pixel size scaled by adjScale, at least 1.
    static int px(double designPixels);
    /// A design font pixel size scaled by adjFontScale, at least 1.
    static int fontPx(double designPixels);
};

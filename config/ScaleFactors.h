#pragma once

/// The factors by which every window multiplies its design sizes. The design is laid out for a 1280 pixel wide
/// 16:9 screen; fonts are additionally divided by the system's display scale, which enlarges them by itself.
struct ScaleFactors
{
    double adjScale = 1.0;
    double adjFontScale = 1.0;
    double newAdjScale = 0.667;
    double newAdjFontScale = 0.667;
    /// Logical screen size the factors were taken from; a screen wider than 16:9 has cx narrowed to 16:9.
    int cx = 1280;
    int cy = 720;
    /// False when the sizes given were unusable; the factors are then those of the design screen.
    bool valid = false;

    /// Factors of a display of `horzRes` x `vertRes` physical pixels shown as `cx` x `cy` logical pixels.
    /// A screen wider than 16:9 is scaled by its height, so a window never outgrows the screen's height.
    /// Any size not above zero (no display information) gives the design screen's factors and valid false.
    static ScaleFactors fromScreen(int horzRes, int vertRes, int cx, int cy);

    /// `x` rounded to three decimals, halves away from zero.
    static double dec3(double x);
};

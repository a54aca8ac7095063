#pragma once

/// Conversions between a delay in samples (what the block stores) and the units the editor offers, at the
/// configuration's sample rate and a speed of sound of 340 m/s.
class DelayUnits
{
public:
    enum Unit
    {
        Samples = 0,
        Milliseconds = 1,
        Meters = 2,
        Feet = 3
    };
    static constexpr double kSpeedOfSound = 340;
    static constexpr double kFootInMeters = 0.3048;
    /// Used when the configuration gives no usable rate.
    static constexpr int kDefaultRate = 48000;

    /// `value` in `unit` rounded to whole samples and kept within 0..maxNum (a negative maxNum counts as 0; a
    /// value that is not a number gives 0).
    static int toSamples(double value, Unit unit, int sampleRate, int maxNum);
    /// `samples` expressed in `unit`.
    static double fromSamples(int samples, Unit unit, int sampleRate);

private:
    /// Samples per one `unit`.
    static double samplesPer(Unit unit, int sampleRate);
};

#pragma once
#include <QVector>

/// One second-order filter section H(z) = (b0 + b1 z^-1 + b2 z^-2) / (a0 + a1 z^-1 + a2 z^-2), and the designs the
/// equaliser curve is drawn from. Every design runs at SampleRate and never yields a non-finite coefficient: a
/// frequency is kept inside (MinDesignHz, MaxDesignHz), where the peaking bandwidth term cannot divide by
/// sin(w0) = 0, and a design that still overflows (huge gain or bandwidth) leaves the signal as it is.
struct EqBiquad
{
    double a0 = 1, a1 = 0, a2 = 0;
    double b0 = 1, b1 = 0, b2 = 0;

    static constexpr double SampleRate = 48000;
    static constexpr double MinDesignHz = 1;
    static constexpr double MaxDesignHz = 0.45 * SampleRate;
    /// Filters are drawn up to this order; a higher order is drawn as this one.
    static constexpr int MaxFilterOrder = 8;

    /// Band type codes; other codes are not drawn.
    enum BandType
    {
        Peaking = 0,
        LowShelf = 1,
        HighShelf = 2
    };
    /// Filter type codes; an unknown code is drawn as Butterworth.
    enum FilterType
    {
        Butterworth = 0,
        Bessel = 1,
        LinkwitzRiley = 2
    };

    bool isFinite() const;

    /// Peaking band of `gainDb` at `f0`, `bandwidth` in octaves.
    static EqBiquad peaking(double f0, double gainDb, double bandwidth);
    /// Shelves with slope 1.
    static EqBiquad lowShelf(double f0, double gainDb);
    static EqBiquad highShelf(double f0, double gainDb);
    static EqBiquad highPass2(double f0, double q);
    static EqBiquad lowPass2(double f0, double q);
    static EqBiquad highPass1(double f0);
    static EqBiquad lowPass1(double f0);

    /// The section of a band of `type`; false (section untouched) for a type that is not drawn or a
    /// non-finite parameter.
    static bool band(int type, double f0, double gainDb, double bandwidth, EqBiquad* out);
    /// The Q of each second-order section of a filter of `type` and `order` (order / 2 values). Orders above
    /// MaxFilterOrder count as MaxFilterOrder, orders below 1 give none; an order missing from the Bessel or
    /// Linkwitz-Riley table takes the Butterworth values.
    static QVector<double> filterQs(int type, int order);
    /// The sections of a high-pass (`highPass`) or low-pass filter: the second-order sections of filterQs(),
    /// then one first-order section for an odd order. None for order < 1 or a non-finite frequency.
    static QVector<EqBiquad> filter(bool highPass, int type, int order, double f0);
};

#pragma once
#include <QPointF>
#include <QVector>

/// Windowed-sinc design of the FIR filters the editor previews, and the magnitude response of any coefficient
/// set. Types follow "firType" (0 low-pass, 1 high-pass, 2 band-pass), windows follow "winType".
class FirDesign
{
public:
    enum Window
    {
        Rectangle = 0,
        Hanning = 1,
        Hamming = 2,
        Blackman = 3,
        Kaiser = 4
    };
    /// Longest filter designed; longer requests are cut to this.
    static constexpr int kMaxTaps = 8192;
    /// The preview's frequency grid.
    static constexpr double kMinHz = 20;
    static constexpr double kMaxHz = 10000;
    static constexpr double kSampleRate = 48000;
    /// Highest attenuation a Kaiser window is designed for (dB).
    static constexpr double kMaxAttDb = 300;
    /// Lowest level drawn (dB); silence would otherwise be minus infinity.
    static constexpr double kFloorDb = -150;

    /// Kaiser's beta for a stop-band attenuation in dB (0 below 21 dB, where the window is rectangular; at most
    /// that of kMaxAttDb).
    static double kaiserBeta(double attDb);
    /// `taps` points of window `winType` (an unknown window counts as Rectangle).
    static QVector<double> window(int winType, int taps, double attDb);
    /// The coefficients of a filter of type 0..2. Low-pass uses `highHz`, high-pass `lowHz`, band-pass both.
    /// Edges are kept inside the band the sample rate allows; an unknown type or taps < 1 gives none. Low- and
    /// high-pass are scaled to exactly 0 dB at DC and Nyquist respectively; band-pass to 0 dB at its centre.
    static QVector<double> design(int firType, int winType, int taps, double lowHz, double highHz, double attDb,
                                  double sampleRate = kSampleRate);
    /// Gain in dB (not below kFloorDb) of the coefficients at one frequency.
    static double magnitudeDb(const QVector<double>& coeffs, double hz, double sampleRate = kSampleRate);
    /// The gain on `points` log-spaced frequencies kMinHz..kMaxHz, as (Hz, dB).
    static QVector<QPointF> response(const QVector<double>& coeffs, int points = 256, double sampleRate = kSampleRate);
};

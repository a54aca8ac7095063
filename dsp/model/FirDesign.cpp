#include "FirDesign.h"

#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;

/// Modified Bessel function of the first kind, order 0 (power series; converges fast for the betas used).
double besselI0(double x)
{
    double sum = 1;
    double term = 1;
    const double q = x * x / 4;
    for (int k = 1; k < 200; ++k) {
        term *= q / (double(k) * k);
        sum += term;
        if (term < sum * 1e-17)
            break;
    }
    return sum;
}

/// The ideal low-pass impulse response at offset m from the centre for cutoff fc (cycles per sample).
double idealLowPass(double m, double fc)
{
    if (m == 0)
        return 2 * fc;
    return std::sin(2 * kPi * fc * m) / (kPi * m);
}

double gainAt(const QVector<double>& h, double cyclesPerSample)
{
    double re = 0;
    double im = 0;
    const double w = 2 * kPi * cyclesPerSample;
    for (int n = 0; n < h.size(); ++n) {
        re += h[n] * std::cos(w * n);
        im -= h[n] * std::sin(w * n);
    }
    return std::hypot(re, im);
}

void scale(QVector<double>& h, double gain)
{
    if (gain <= 0 || !std::isfinite(gain))
        return;
    for (double& v : h)
        v /= gain;
}

} // namespace

double FirDesign::kaiserBeta(double attDb)
{
    if (!std::isfinite(attDb) || attDb < 21)
        return 0;
    // Beyond this no double carries the difference, and the window's Bessel terms would overflow.
    attDb = qMin(attDb, kMaxAttDb);
    if (attDb > 50)
        return 0.1102 * (attDb - 8.7);
    return 0.5842 * std::pow(attDb - 21, 0.4) + 0.07886 * (attDb - 21);
}

QVector<double> FirDesign::window(int winType, int taps, double attDb)
{
    const int n = qBound(0, taps, kMaxTaps);
    QVector<double> w(n, 1.0);
    if (n < 2)
        return w;
    const double m = n - 1;
    const double beta = kaiserBeta(attDb);
    const double i0Beta = besselI0(beta);
    for (int i = 0; i < n; ++i) {
        const double x = 2 * kPi * i / m;
        switch (winType) {
        case Hanning:
            w[i] = 0.5 - 0.5 * std::cos(x);
            break;
        case Hamming:
            w[i] = 0.54 - 0.46 * std::cos(x);
            break;
        case Blackman:
            w[i] = 0.42 - 0.5 * std::cos(x) + 0.08 * std::cos(2 * x);
            break;
        case Kaiser: {
            const double r = 2.0 * i / m - 1;
            w[i] = besselI0(beta * std::sqrt(qMax(0.0, 1 - r * r))) / i0Beta;
            break;
        }
        default:
            break;
        }
    }
    return w;
}

QVector<double> FirDesign::design(int firType, int winType, int taps, double lowHz, double highHz, double attDb,
                                  double sampleRate)
{
    if (firType < 0 || firType > 2 || taps < 1 || !(sampleRate > 0))
        return {};
    const int n = qMin(taps, kMaxTaps);
    const double nyquist = sampleRate / 2;
    // Edges on or beyond DC or Nyquist would make the filter all-pass or silent; keep them just inside.
    auto edge = [&](double hz) { return std::isfinite(hz) ? qBound(1.0, hz, nyquist - 1) / sampleRate : 0.25; };
    double f1 = edge(lowHz);
    double f2 = edge(highHz);
    if (f1 > f2)
        std::swap(f1, f2);
    const QVector<double> w = window(winType, n, attDb);
    const double centre = (n - 1) / 2.0;
    QVector<double> h(n);
    for (int i = 0; i < n; ++i) {
        const double m = i - centre;
        double v = 0;
        switch (firType) {
        case 0:
            v = idealLowPass(m, f2);
            break;
        case 1:
            // A low-pass mirrored about a quarter of the rate: valid for odd and even lengths alike.
            v = idealLowPass(m, 0.5 - f1) * (i % 2 == 0 ? 1 : -1);
            break;
        default:
            v = idealLowPass(m, f2) - idealLowPass(m, f1);
            break;
        }
        h[i] = v * w[i];
    }
    switch (firType) {
    case 0:
        scale(h, gainAt(h, 0));
        break;
    case 1:
        scale(h, gainAt(h, 0.5));
        break;
    default:
        scale(h, gainAt(h, std::sqrt(f1 * f2)));
        break;
    }
    return h;
}

double FirDesign::magnitudeDb(const QVector<double>& coeffs, double hz, double sampleRate)
{
    if (!(sampleRate > 0))
        return kFloorDb;
    const double g = gainAt(coeffs, hz / sampleRate);
    if (!(g > 0))
        return kFloorDb;
    return qMax(kFloorDb, 20 * std::log10(g));
}

QVector<QPointF> FirDesign::response(const QVector<double>& coeffs, int points, double sampleRate)
{
    QVector<QPointF> out;
    const int count = qBound(2, points, 4096);
    out.reserve(count);
    const double lo = std::log10(kMinHz);
    const double hi = std::log10(kMaxHz);
    for (int i = 0; i < count; ++i) {
        const double hz = std::pow(10.0, lo + (hi - lo) * i / (count - 1));
        out.append(QPointF(hz, magnitudeDb(coeffs, hz, sampleRate)));
    }
    return out;
}

#include "EqBiquad.h"

#include <QtGlobal>

#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;

// Keeps w0 away from 0 and pi; a frequency that is not a number is handled by the callers.
double designW0(double f0)
{
    const double hz = f0 < EqBiquad::MinDesignHz   ? EqBiquad::MinDesignHz
                      : f0 > EqBiquad::MaxDesignHz ? EqBiquad::MaxDesignHz
                                                   : f0;
    return 2 * kPi * hz / EqBiquad::SampleRate;
}

// A section that overflowed passes the signal unchanged rather than turning the whole curve into NaN.
EqBiquad checked(const EqBiquad& s)
{
    return s.isFinite() ? s : EqBiquad();
}

EqBiquad shelf(double f0, double gainDb, bool low)
{
    const double w0 = designW0(f0);
    const double a = std::pow(10.0, gainDb / 40);
    const double c = std::cos(w0);
    const double alpha = std::sin(w0) / 2 * std::sqrt(2.0);
    const double k = 2 * std::sqrt(a) * alpha;
    // The high shelf is the low shelf with the sign of cos(w0) turned, and of the odd coefficients.
    const double sc = low ? c : -c;
    const double sign = low ? 1 : -1;
    EqBiquad s;
    s.b0 = a * ((a + 1) - (a - 1) * sc + k);
    s.b1 = sign * 2 * a * ((a - 1) - (a + 1) * sc);
    s.b2 = a * ((a + 1) - (a - 1) * sc - k);
    s.a0 = (a + 1) + (a - 1) * sc + k;
    s.a1 = -sign * 2 * ((a - 1) + (a + 1) * sc);
    s.a2 = (a + 1) + (a - 1) * sc - k;
    return checked(s);
}

EqBiquad pass2(double f0, double q, bool high)
{
    const double w0 = designW0(f0);
    const double c = std::cos(w0);
    const double alpha = std::sin(w0) / (2 * q);
    const double d = 1 + alpha;
    EqBiquad s;
    s.a1 = -2 * c / d;
    s.a2 = (1 - alpha) / d;
    s.b0 = s.b2 = (high ? 1 + c : 1 - c) / 2 / d;
    s.b1 = (high ? -(1 + c) : 1 - c) / d;
    return checked(s);
}

EqBiquad pass1(double f0, bool high)
{
    const double w0 = designW0(f0);
    const double sn = std::sin(w0);
    const double c = std::cos(w0);
    EqBiquad s;
    s.b0 = (high ? c + 1 : sn) / (sn + c + 1);
    s.b1 = high ? -s.b0 : s.b0;
    s.b2 = 0;
    s.a1 = (sn - c - 1) / (sn + c + 1);
    s.a2 = 0;
    return checked(s);
}

// Rows for orders 2..8, first section first.
const QVector<QVector<double>>& besselQs()
{
    static const QVector<QVector<double>> rows = {{0.57735026919},
                                                  {0.691046625825},
                                                  {0.805538281842, 0.521934581669},
                                                  {0.916477373948, 0.563535620851},
                                                  {1.02331395383, 0.611194546878, 0.510317824749},
                                                  {1.12625754198, 0.660821389297, 0.5323556979},
                                                  {1.22566942541, 0.710852074442, 0.559609164796, 0.505991069397}};
    return rows;
}

// Linkwitz-Riley is defined for even orders only; odd rows stay empty and take the Butterworth values.
const QVector<QVector<double>>& linkwitzRileyQs()
{
    static const QVector<QVector<double>> rows = {{0.5},           {}, {0.707, 0.707},          {},
                                                  {0.5, 1.0, 1.0}, {}, {0.54, 1.31, 0.54, 1.31}};
    return rows;
}

} // namespace

bool EqBiquad::isFinite() const
{
    return std::isfinite(a0) && std::isfinite(a1) && std::isfinite(a2) && std::isfinite(b0) && std::isfinite(b1) &&
           std::isfinite(b2);
}

EqBiquad EqBiquad::peaking(double f0, double gainDb, double bandwidth)
{
    const double w0 = designW0(f0);
    const double a = std::pow(10.0, gainDb / 40);
    const double sn = std::sin(w0);
    const double alpha = sn * std::sinh(std::log(2.0) / 2 * bandwidth * w0 / sn);
    EqBiquad s;
    s.b0 = 1 + alpha * a;
    s.b1 = -2 * std::cos(w0);
    s.b2 = 1 - alpha * a;
    s.a0 = 1 + alpha / a;
    s.a1 = s.b1;
    s.a2 = 1 - alpha / a;
    return checked(s);
}

EqBiquad EqBiquad::lowShelf(double f0, double gainDb)
{
    return shelf(f0, gainDb, true);
}

EqBiquad EqBiquad::highShelf(double f0, double gainDb)
{
    return shelf(f0, gainDb, false);
}

EqBiquad EqBiquad::highPass2(double f0, double q)
{
    return pass2(f0, q, true);
}

EqBiquad EqBiquad::lowPass2(double f0, double q)
{
    return pass2(f0, q, false);
}

EqBiquad EqBiquad::highPass1(double f0)
{
    return pass1(f0, true);
}

EqBiquad EqBiquad::lowPass1(double f0)
{
    return pass1(f0, false);
}

bool EqBiquad::band(int type, double f0, double gainDb, double bandwidth, EqBiquad* out)
{
    if (!std::isfinite(f0) || !std::isfinite(gainDb) || !std::isfinite(bandwidth))
        return false;
    switch (type) {
    case Peaking:
        *out = peaking(f0, gainDb, bandwidth);
        return true;
    case LowShelf:
        *out = lowShelf(f0, gainDb);
        return true;
    case HighShelf:
        *out = highShelf(f0, gainDb);
        return true;
    default:
        return false;
    }
}

QVector<double> EqBiquad::filterQs(int type, int order)
{
    const int n = qMin(order, MaxFilterOrder);
    QVector<double> qs;
    if (n < 2)
        return qs;
    if (type == Bessel)
        qs = besselQs().at(n - 2);
    else if (type == LinkwitzRiley)
        qs = linkwitzRileyQs().at(n - 2);
    if (!qs.isEmpty())
        return qs;
    for (int k = 0; k < n / 2; ++k)
        qs.append(1 / (2 * std::sin(kPi / n * (k + 0.5))));
    return qs;
}

QVector<EqBiquad> EqBiquad::filter(bool highPass, int type, int order, double f0)
{
    QVector<EqBiquad> sections;
    if (order < 1 || !std::isfinite(f0))
        return sections;
    for (double q : filterQs(type, order))
        sections.append(highPass ? highPass2(f0, q) : lowPass2(f0, q));
    if (qMin(order, MaxFilterOrder) % 2)
        sections.append(highPass ? highPass1(f0) : lowPass1(f0));
    return sections;
}

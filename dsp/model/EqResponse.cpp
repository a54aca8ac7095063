#include "EqResponse.h"

#include "CChainChannel.h"
#include "CEqBlockItem.h"
#include "CHlpfItem.h"

#include <cmath>
#include <complex>

namespace {

constexpr double kPi = 3.14159265358979323846;
// A section's magnitude is kept within +-kLimitDb, so a zero or pole on the unit circle cannot give infinity.
constexpr double kLimitDb = 300;

/// e^(-jw) and e^(-2jw) at `hz` taken to 0.1 Hz: computed once per frequency, shared by every section.
struct UnitDelay
{
    explicit UnitDelay(double hz)
    {
        const double w = 2 * kPi * std::round(10 * hz) / (10 * EqBiquad::SampleRate);
        z1 = std::polar(1.0, -w);
        z2 = std::polar(1.0, -2 * w);
    }
    std::complex<double> z1;
    std::complex<double> z2;
};

/// N(w) times the conjugate of D(w): the same angle as H = N/D, without the division.
std::complex<double> angleCarrier(const EqBiquad& s, const UnitDelay& z)
{
    const std::complex<double> n = s.b0 + s.b1 * z.z1 + s.b2 * z.z2;
    const std::complex<double> d = s.a0 + s.a1 * z.z1 + s.a2 * z.z2;
    return n * std::conj(d);
}

double magnitudeDbAt(const EqBiquad& s, const UnitDelay& z)
{
    const std::complex<double> n = s.b0 + s.b1 * z.z1 + s.b2 * z.z2;
    const std::complex<double> d = s.a0 + s.a1 * z.z1 + s.a2 * z.z2;
    const double db = 10 * std::log10(std::norm(n) / std::norm(d));
    if (std::isnan(db))
        return 0;
    return db < -kLimitDb ? -kLimitDb : db > kLimitDb ? kLimitDb : db;
}

double phaseAt(const EqBiquad& s, const UnitDelay& z)
{
    const std::complex<double> h = angleCarrier(s, z);
    const double p = std::atan2(h.imag(), h.real());
    return std::isfinite(p) ? p : 0;
}

} // namespace

namespace EqResponse {

double magnitudeDb(const EqBiquad& section, double hz)
{
    return magnitudeDbAt(section, UnitDelay(hz));
}

double phase(const EqBiquad& section, double hz)
{
    return phaseAt(section, UnitDelay(hz));
}

QVector<double> magnitudeGrid()
{
    QVector<double> grid;
    for (int k = 0; k < 19980;) {
        grid.append(20 + k);
        k += k < 100 ? 1 : k < 1000 ? 10 : k < 10000 ? 100 : 500;
    }
    return grid;
}

QVector<double> phaseGrid()
{
    // Counted in tenths of a hertz so no rounding error builds up along the grid.
    QVector<double> grid;
    for (int k = 0; k < 199800;) {
        grid.append(20 + k / 10.0);
        k += k < 1000 ? 1 : k < 2000 ? 2 : k < 5000 ? 5 : k < 10000 ? 10 : 100;
    }
    return grid;
}

QVector<EqBiquad> sections(const CEqBlockItem* eq, const CHlpfItem* highPass, const CHlpfItem* lowPass)
{
    QVector<EqBiquad> out;
    if (eq && !eq->isBypass()) {
        for (const CEqItem& b : eq->bands()) {
            EqBiquad s;
            if (!b.isBypass() && EqBiquad::band(b.type(), b.freq0(), b.dbGain(), b.qBwS(), &s))
                out.append(s);
        }
    }
    for (const CHlpfItem* f : {highPass, lowPass})
        if (f && !f->isBypass())
            out += EqBiquad::filter(f->isHpf(), f->type(), f->order(), f->freq0());
    return out;
}

const CHlpfItem* channelFilter(const CChainChannel& channel, bool highPass)
{
    for (const CBaseItem* b : channel.blocks())
        if (const auto* f = dynamic_cast<const CHlpfItem*>(b))
            if (f->isHpf() == highPass)
                return f;
    return nullptr;
}

QVector<QPointF> magnitudeCurve(const QVector<EqBiquad>& sections)
{
    QVector<QPointF> points;
    for (double hz : magnitudeGrid()) {
        const UnitDelay z(hz);
        double db = 0;
        for (const EqBiquad& s : sections)
            db += magnitudeDbAt(s, z);
        points.append(QPointF(std::log10(hz), 10 * db));
    }
    return points;
}

QVector<QPointF> phaseCurve(const QVector<EqBiquad>& sections)
{
    QVector<QPointF> points;
    for (double hz : phaseGrid()) {
        const UnitDelay z(hz);
        double sum = 0;
        for (const EqBiquad& s : sections) {
            sum += phaseAt(s, z);
            if (sum < -kPi)
                sum += 2 * kPi;
            else if (sum > kPi)
                sum -= 2 * kPi;
        }
        points.append(QPointF(std::log10(hz), sum * 180 / kPi));
    }
    return points;
}

namespace {

QVector<EqBiquad> channelSections(const CChainChannel& channel, int eqIndex)
{
    return sections(dynamic_cast<const CEqBlockItem*>(channel.block(eqIndex)), channelFilter(channel, true),
                    channelFilter(channel, false));
}

} // namespace

QVector<QPointF> magnitudeCurve(const CChainChannel& channel, int eqIndex)
{
    return magnitudeCurve(channelSections(channel, eqIndex));
}

QVector<QPointF> phaseCurve(const CChainChannel& channel, int eqIndex)
{
    return phaseCurve(channelSections(channel, eqIndex));
}

} // namespace EqResponse

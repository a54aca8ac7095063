#include "DynamicsRules.h"

#include <QtGlobal>

#include <array>
#include <cmath>

namespace DynamicsRules {

namespace {

const std::array<double, kRatioCount> kRatios = {1.2, 1.5, 2.0, 3.0, 4.0, 6.0, 10.0, 20.0, 40.0, 128.0};
constexpr double kSame = 1e-6;

double output(Curve kind, double in, double t, double ratio)
{
    switch (kind) {
    case Curve::Compressor:
        return in > t ? t + (in - t) / ratio : in;
    case Curve::Expander:
        return in < t ? qMax(kFloorDb, t + (in - t) * ratio) : in;
    case Curve::Limiter:
        return qMin(in, t);
    case Curve::Gate:
        return in < t ? kFloorDb : in;
    }
    return in;
}

} // namespace

double ratioAt(int position)
{
    return kRatios[size_t(qBound(0, position, kRatioCount - 1))];
}

int ratioPosition(double ratio)
{
    for (int i = 0; i < kRatioCount; ++i) {
        if (std::fabs(kRatios[size_t(i)] - ratio) < kSame)
            return i;
    }
    return 0;
}

QString ratioLabel(double ratio)
{
    return QString::number(ratio) + QStringLiteral(":1");
}

ThresholdRange thresholdRange(Curve kind)
{
    if (kind == Curve::Gate)
        return ThresholdRange{-100, -42, 0, 580};
    return ThresholdRange{};
}

int thresholdToSlider(double db, const ThresholdRange& range)
{
    if (!std::isfinite(db))
        return range.sliderMin;
    const double pos = std::round(db * 10 + 1000);
    return int(qBound(double(range.sliderMin), pos, double(range.sliderMax)));
}

double sliderToThreshold(int slider)
{
    return (slider - 1000) / 10.0;
}

bool changed(double stored, double typed)
{
    return !(std::fabs(stored - typed) < kSame);
}

QVector<QPointF> transferCurve(Curve kind, double thresholdDb, double ratio)
{
    const double t = std::isfinite(thresholdDb) ? qBound(kFloorDb, thresholdDb, kTopDb) : kTopDb;
    const double r = std::isfinite(ratio) && ratio >= 1 ? ratio : 1.0;
    const int steps = int(kTopDb - kFloorDb);
    QVector<QPointF> curve;
    curve.reserve(steps + 3);
    bool thresholdDone = false;
    for (int i = 0; i <= steps; ++i) {
        const double in = kFloorDb + i;
        if (!thresholdDone && in >= t) {
            thresholdDone = true;
            // The gate opens at the threshold: a closed point just below it, then the open one.
            if (kind == Curve::Gate)
                curve << QPointF(t, kFloorDb);
            if (in > t || kind == Curve::Gate) {
                curve << QPointF(t, output(kind, t, t, r));
                if (in == t)
                    continue;
            }
        }
        curve << QPointF(in, output(kind, in, t, r));
    }
    return curve;
}

} // namespace DynamicsRules

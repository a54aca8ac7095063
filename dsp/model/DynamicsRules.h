#pragma once
#include <QPointF>
#include <QString>
#include <QVector>

/// The control encodings and static transfer curves of the dynamics blocks (compressor, expander, limiter,
/// noise gate), kept apart from the editors so they can be checked without a display.
namespace DynamicsRules {

/// The shape of a block's static curve.
enum class Curve
{
    Compressor,
    Expander,
    Limiter,
    Gate
};

/// Positions of the ratio slider.
constexpr int kRatioCount = 10;
/// The ratio at slider position `position` (clamped to 0..kRatioCount-1).
double ratioAt(int position);
/// The slider position of `ratio`: the table entry within 1e-6, else 0 (a ratio the table lacks shows the first).
int ratioPosition(double ratio);
/// "4:1", "1.2:1", "128:1".
QString ratioLabel(double ratio);

/// Where a threshold control may go: the dB range and the slider positions of its ends.
struct ThresholdRange
{
    double minDb = -100;
    double maxDb = 0;
    int sliderMin = 0;
    int sliderMax = 1000;
};
/// -100..0 dB (slider 0..1000) for compressor, expander and limiter; -100..-42 dB (slider 0..580) for the gate.
ThresholdRange thresholdRange(Curve kind);
/// round(dB x 10 + 1000), kept within the range's slider ends (a threshold outside the range shows at its end).
int thresholdToSlider(double db, const ThresholdRange& range);
/// (slider - 1000) / 10.
double sliderToThreshold(int slider);

/// True when a typed value differs from the stored one by 1e-6 or more (anything less is not a change to send).
bool changed(double stored, double typed);

/// Lowest and highest level the curves cover (dB).
constexpr double kFloorDb = -100;
constexpr double kTopDb = 0;
/// The output level for input levels kFloorDb..kTopDb in 1 dB steps, with the threshold itself as a point of its
/// own so the bend sits where it belongs. A gate closes below the threshold: the curve drops to kFloorDb there,
/// straight down at the threshold. Thresholds are kept within the covered levels; a ratio below 1 or not a
/// number counts as 1 (no change) rather than turning the curve inside out.
QVector<QPointF> transferCurve(Curve kind, double thresholdDb, double ratio);

} // namespace DynamicsRules

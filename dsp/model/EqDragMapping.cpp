#include "EqDragMapping.h"

#include <QtGlobal>

#include <cmath>

namespace {

constexpr int kLeft = 20;
constexpr int kWidth = 996;
constexpr int kTop = 62;
constexpr int kHeight = 238;
constexpr double kMinHz = 19.7;
constexpr double kMaxHz = 20200;
constexpr double kTopDb = 12;
constexpr double kRangeDb = 36;

double tenths(double v)
{
    return std::round(v * 10) / 10;
}

} // namespace

namespace EqDragMapping {

double frequencyAt(int x)
{
    const double lo = std::log10(kMinHz);
    const double t = double(qBound(kLeft, x, kLeft + kWidth) - kLeft) / kWidth;
    return tenths(std::pow(10.0, t * (std::log10(kMaxHz) - lo) + lo));
}

double gainAt(int y)
{
    const double t = double(qBound(kTop, y, kTop + kHeight) - kTop) / kHeight;
    return tenths(kTopDb - t * kRangeDb);
}

Result drag(int handle, int x, int y, int bandCount)
{
    Result r;
    if (handle < 0 || (handle >= 1 && handle <= 99 && handle > bandCount))
        return r;
    r.frequency = frequencyAt(x);
    if (handle == 0) {
        r.target = HighPass;
    } else if (handle >= 100) {
        r.target = LowPass;
    } else {
        r.target = Band;
        r.band = handle - 1;
        r.gainDb = gainAt(y);
    }
    return r;
}

} // namespace EqDragMapping

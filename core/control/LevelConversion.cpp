#include "LevelConversion.h"

#include "FirmwareVersion.h"

#include <QtGlobal>
#include <cmath>

namespace LevelConversion {

namespace {

const QString kInf = QStringLiteral("-inf");

} // namespace

bool needsLevelOffset(const QString& firmwareVersion)
{
    // A version not read yet is no old firmware: without this, every device would jump 3 dB
    // until its first version reply.
    if (firmwareVersion.trimmed().isEmpty())
        return false;
    return FirmwareVersion::before(firmwareVersion, QStringLiteral("3.0.6"));
}

int levelFromText(const QString& text, bool offset)
{
    const QString t = text.trimmed();
    double value = kSilentLevel;
    if (t.compare(kInf, Qt::CaseInsensitive) != 0) {
        bool ok = false;
        const double v = t.toDouble(&ok);
        // Garbage must not read as 0 dBFS (a full-scale meter).
        if (ok && !std::isnan(v))
            value = qBound(-1.0e6, v, 1.0e6);
    }
    int level = int(std::trunc(value));
    if (offset)
        level += 3;
    return level;
}

int meterValue(int level)
{
    return qBound(kMeterMin, level, kMeterMax);
}

int maxLevel(const QStringList& texts, bool offset)
{
    int best = kSilentLevel;
    bool any = false;
    for (const QString& t : texts) {
        const int level = levelFromText(t, offset);
        if (!any || level > best)
            best = level;
        any = true;
    }
    return best;
}

bool gainFromText(const QString& text, double* gain)
{
    const QString t = text.trimmed();
    double value = kGainMin;
    if (t.compare(kInf, Qt::CaseInsensitive) != 0) {
        bool ok = false;
        value = t.toDouble(&ok);
        if (!ok || std::isnan(value))
            return false;
    }
    *gain = qBound(kGainMin, value, kGainMax);
    return true;
}

int sliderPosition(double gain)
{
    return qBound(kSliderMin, int(std::lround(gain * 10.0)), kSliderMax);
}

double gainFromSlider(int position)
{
    return position / 10.0;
}

QString valueText(double gain)
{
    // -0 would print as "-0".
    if (gain == 0.0)
        gain = 0.0;
    return QString::number(gain, 'g', 6);
}

bool gainFromField(const QString& text, double* gain)
{
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    if (!ok || std::isnan(v) || v < kGainMin || v > kGainMax)
        return false;
    *gain = v;
    return true;
}

int nextPageStart(int idStart, int idNext, int count)
{
    if (idNext >= count || idNext <= idStart || idNext <= 0)
        return -1;
    return idNext;
}

bool priorityFromText(const QString& text, int* priority)
{
    bool ok = false;
    const int v = text.trimmed().toInt(&ok);
    if (!ok || v < kPriorityMin || v > kPriorityMax)
        return false;
    *priority = v;
    return true;
}

} // namespace LevelConversion

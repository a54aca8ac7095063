#include "SimDspGain.h"

#include "SimReply.h"

#include <algorithm>
#include <cmath>

namespace {

double param(const QJsonObject& obj, const char* key, double fallback)
{
    return SimReply::readDouble(obj, key).value_or(fallback);
}

} // namespace

double SimDspGain::gainDb(const QJsonObject& block, double levelDb, double referenceDb)
{
    if (block.value(QLatin1String("bypass")).toString() == QLatin1String("1"))
        return 0;
    const QJsonObject obj = block.value(QLatin1String("obj")).toObject();
    const double level = std::isnan(levelDb) ? -INFINITY : levelDb;
    const int type = SimReply::readIntIn(block, "type", 0, 11).value_or(-1);
    switch (type) {
    case 2: { // compressor
        const double t = param(obj, "trigDb", 0);
        const double ratio = std::max(1.0, param(obj, "ratio", 1));
        return level > t ? -(level - t) * (1 - 1 / ratio) : 0;
    }
    case 6: { // limiter
        const double t = param(obj, "limitDb", 0);
        return level > t ? -(level - t) : 0;
    }
    case 8: { // expander
        const double t = param(obj, "trigDb", -100);
        const double ratio = std::max(1.0, param(obj, "ratio", 1));
        if (level >= t || ratio == 1)
            return 0;
        return std::max(kFloorDb, -(t - level) * (ratio - 1));
    }
    case 7: // noise gate
        return level < param(obj, "trigDb", -100) ? kFloorDb : 0;
    case 11: // ducker
        return referenceDb > param(obj, "trigDb", 0) ? param(obj, "duckDb", 0) : 0;
    default:
        return 0;
    }
}

double SimDspGain::linear(double gainDb)
{
    return std::pow(10.0, gainDb / 20.0);
}

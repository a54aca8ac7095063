#include "DspCpuEstimate.h"

#include "CBaseItem.h"
#include "CDeviceDspData.h"

#include <cmath>

namespace DspCpuEstimate {

double cost(const CDeviceDspData& data)
{
    double s = double(data.inputs().size()) * data.outputs().size() * 6.0 / 64.0;
    for (const CInputChannel* ch : data.inputs())
        for (const CBaseItem* b : ch->blocks())
            s += b->cpuCost();
    for (const COutputChannel* ch : data.outputs())
        for (const CBaseItem* b : ch->blocks())
            s += b->cpuCost();
    if (!data.automixerChannels().isEmpty())
        s += 10;
    if (!data.aecChannels().isEmpty())
        s += 30;
    return s;
}

double capacityFactor(double modelFactor, int sampleRate)
{
    if (sampleRate <= 48000)
        return modelFactor;
    if (sampleRate <= 96000)
        return modelFactor * 0.5;
    if (sampleRate <= 144000)
        return modelFactor * 0.25;
    return modelFactor * 0.125;
}

int estimate(const CDeviceDspData& data, double modelFactor)
{
    const double f = capacityFactor(modelFactor, data.sampleRate());
    if (!(f > 0))
        return 0;
    const double value = std::trunc(cost(data) / ((Cores * 100 - Reserve) * f) * 100);
    if (!(value >= 0))
        return 0;
    return value >= Limit ? Limit : int(value);
}

} // namespace DspCpuEstimate

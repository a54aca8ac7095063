#include "BlockPosition.h"

#include "CDeviceDspData.h"

BlockPosition BlockPosition::of(const CDeviceDspData& data, bool isInput, int chIndex, int blockIndex)
{
    return make(isInput, chIndex, blockIndex, data.automixerChannelCount(), data.aecChannelCount());
}

BlockPosition BlockPosition::make(bool isInput, int chIndex, int blockIndex, int automixerCount, int aecCount)
{
    BlockPosition pos;
    pos.nodeId = isInput ? 0 : outputNodeId(automixerCount, aecCount);
    pos.portIndex = chIndex;
    pos.procIndex = blockIndex;
    pos.blockFlag = flag(isInput, chIndex, blockIndex);
    return pos;
}

QString BlockPosition::flag(bool isInput, int chIndex, int blockIndex)
{
    return QStringLiteral("bf_%1_ch_%2_%3")
        .arg(isInput ? QLatin1String("in") : QLatin1String("out"))
        .arg(chIndex)
        .arg(blockIndex);
}

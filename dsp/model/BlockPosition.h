#pragma once
#include <QString>

class CDeviceDspData;

/// Where a block sits in the device's node structure, as the block requests address it.
struct BlockPosition
{
    int nodeId = 0;    ///< 0 for inputs; automixer count + AEC count + 2 for outputs
    int portIndex = 0; ///< channel index from 0
    int procIndex = 0; ///< block index from 0 in the chain
    QString blockFlag; ///< "bf_in_ch_<ch>_<block>" or "bf_out_ch_<ch>_<block>"; replies carry it back

    /// The position of block `blockIndex` of input or output channel `chIndex` of `data` (the indexes are not
    /// checked against the chains: editors may address a block that is about to be added).
    static BlockPosition of(const CDeviceDspData& data, bool isInput, int chIndex, int blockIndex);
    /// The same from the counts alone.
    static BlockPosition make(bool isInput, int chIndex, int blockIndex, int automixerCount, int aecCount);
    /// The node index of the output channels: the node order is inputs, automixers, AECs, matrix, outputs.
    static int outputNodeId(int automixerCount, int aecCount) { return automixerCount + aecCount + 2; }
    /// The blockFlag text alone.
    static QString flag(bool isInput, int chIndex, int blockIndex);
};

#include "StreamCapacity.h"

#include <algorithm>

bool StreamCapacity::canTake(const TxStreamEntry* slots, int slotCount, uint32_t receiverIp, int srcCh)
{
    slotCount = std::min(std::max(slotCount, 0), static_cast<int>(DVM_TABLE_SIZE));
    for (int i = 0; i < slotCount; ++i) {
        const TxStreamEntry& slot = slots[i];
        if (slot.stream.dstIp == 0)
            return true;
        if (slot.stream.dstIp != receiverIp)
            continue;
        // chNum comes from the device: never read past the eight positions a stream has.
        const int chNum = std::min(static_cast<int>(slot.stream.chNum), static_cast<int>(DVM_STREAM_CH));
        int used = 0;
        for (int c = 0; c < chNum; ++c) {
            const int32_t ch = slot.srcChId(c);
            if (ch == srcCh)
                return true;
            if (ch != -1)
                ++used;
        }
        if (used < chNum)
            return true;
    }
    return false;
}

bool StreamCapacity::canTake(const DevRecord* sender, uint32_t receiverIp, int srcCh)
{
    if (sender == nullptr)
        return true;
    return canTake(sender->tables.ucastTx, sender->hdr.ucastNumTx, receiverIp, srcCh);
}

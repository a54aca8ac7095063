#pragma once
#include "DvmTypes.h"

#include <cstdint>

/// Whether a sender's unicast transmit streams can carry one more channel to a receiver.
class StreamCapacity
{
public:
    /// Walks the first `slotCount` slots of `slots` (the sender's announced unicast transmit count, clamped to the
    /// table). A free slot (dstIp 0) takes the channel; so does a slot already sending to `receiverIp` whose first
    /// chNum positions carry `srcCh` or still have room. False when no slot can.
    static bool canTake(const TxStreamEntry* slots, int slotCount, uint32_t receiverIp, int srcCh);
    /// The same for a registry device; a sender missing from the registry (null) passes.
    static bool canTake(const DevRecord* sender, uint32_t receiverIp, int srcCh);
};

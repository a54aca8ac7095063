#include "SameNetwork.h"

uint32_t SameNetwork::classMask(uint32_t ip)
{
    const uint32_t first = ip >> 24;
    if (first >= 1 && first <= 126)
        return 0xFF000000u;
    // Class C senders use the class B mask too: devices of one site often span several /24 subnets.
    if (first >= 128 && first <= 223)
        return 0xFFFF0000u;
    return 0;
}

bool SameNetwork::check(uint32_t senderIp, uint32_t receiverIp)
{
    const uint32_t mask = classMask(senderIp);
    return mask != 0 && (senderIp & mask) == (receiverIp & mask);
}

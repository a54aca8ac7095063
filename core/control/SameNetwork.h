#pragma once
#include <cstdint>

/// Whether a receiver sits in the sender's network, judged by the sender's address class.
class SameNetwork
{
public:
    /// The class mask of an address (host order): 255.0.0.0 for first octets 1..126, 255.255.0.0 for 128..223;
    /// 0 for any other first octet (0, 127, 224 and up), which never shares a network.
    static uint32_t classMask(uint32_t ip);
    /// True when both addresses (host order) agree under the sender's class mask.
    static bool check(uint32_t senderIp, uint32_t receiverIp);
};

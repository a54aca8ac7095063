#include "SameNetwork.h"
#include "DevManager.h"

#include <gtest/gtest.h>

namespace {
uint32_t ip(const char* text)
{
    return dvm_parseIp(text);
}
} // namespace

TEST(SameNetworkTest, ClassAComparesFirstOctet)
{
    EXPECT_TRUE(SameNetwork::check(ip("10.1.2.3"), ip("10.200.9.9")));
    EXPECT_FALSE(SameNetwork::check(ip("10.1.2.3"), ip("11.1.2.3")));
    EXPECT_TRUE(SameNetwork::check(ip("1.0.0.1"), ip("1.9.9.9")));
    EXPECT_TRUE(SameNetwork::check(ip("126.0.0.1"), ip("126.255.0.1")));
}

TEST(SameNetworkTest, ClassBAndCCompareTwoOctets)
{
    EXPECT_TRUE(SameNetwork::check(ip("172.16.1.1"), ip("172.16.200.1")));
    EXPECT_FALSE(SameNetwork::check(ip("172.16.1.1"), ip("172.17.1.1")));
    // A class C sender still uses the class B mask: the third octet may differ.
    EXPECT_TRUE(SameNetwork::check(ip("192.168.1.10"), ip("192.168.7.10")));
    EXPECT_TRUE(SameNetwork::check(ip("223.1.2.3"), ip("223.1.99.3")));
    EXPECT_FALSE(SameNetwork::check(ip("192.168.1.10"), ip("192.169.1.10")));
}

TEST(SameNetworkTest, SenderClassDecidesNotReceiver)
{
    // 10.x sender: mask /8 -> receivers in 10.x match whatever their own class is.
    EXPECT_FALSE(SameNetwork::check(ip("192.168.1.1"), ip("10.168.1.1")));
    EXPECT_EQ(SameNetwork::classMask(ip("191.255.0.1")), 0xFFFF0000u);
    EXPECT_EQ(SameNetwork::classMask(ip("126.1.1.1")), 0xFF000000u);
}

TEST(SameNetworkTest, ReservedFirstOctetsNeverMatch)
{
    for (const char* a : {"0.0.0.1", "127.0.0.1", "224.0.0.1", "239.1.1.1", "255.255.255.255"}) {
        EXPECT_EQ(SameNetwork::classMask(ip(a)), 0u) << a;
        EXPECT_FALSE(SameNetwork::check(ip(a), ip(a))) << a;
    }
}

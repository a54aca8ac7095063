#include "SameNetwork.h"
#include "DevManager.h"

#include <gtest/gtest.h>

TEST(SameNetworkTest, TheSendersClassDecides)
{
    struct Case
    {
        const char *sender, *receiver;
        bool same;
    };
    const Case cases[] = {
        // Class A compares the first octet.
        {"10.1.2.3", "10.200.9.9", true},
        {"10.1.2.3", "11.1.2.3", false},
        {"1.0.0.1", "1.9.9.9", true},
        {"126.0.0.1", "126.255.0.1", true},
        // Classes B and C compare two octets: a class C sender still uses the class B mask.
        {"172.16.1.1", "172.16.200.1", true},
        {"172.16.1.1", "172.17.1.1", false},
        {"192.168.1.10", "192.168.7.10", true},
        {"223.1.2.3", "223.1.99.3", true},
        {"192.168.1.10", "192.169.1.10", false},
        {"192.168.1.1", "10.168.1.1", false},
        // Reserved first octets never match, not even themselves.
        {"0.0.0.1", "0.0.0.1", false},
        {"127.0.0.1", "127.0.0.1", false},
        {"224.0.0.1", "224.0.0.1", false},
        {"239.1.1.1", "239.1.1.1", false},
        {"255.255.255.255", "255.255.255.255", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SameNetwork::check(dvm_parseIp(c.sender), dvm_parseIp(c.receiver)), c.same)
            << c.sender << " -> " << c.receiver;
    EXPECT_EQ(SameNetwork::classMask(dvm_parseIp("191.255.0.1")), 0xFFFF0000u);
    EXPECT_EQ(SameNetwork::classMask(dvm_parseIp("126.1.1.1")), 0xFF000000u);
}

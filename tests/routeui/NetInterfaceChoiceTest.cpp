#include "NetInterfaceChoice.h"

#include <gtest/gtest.h>

namespace {

using Entry = NetInterfaceList::Entry;
using Reaction = NetInterfaceChoice::Reaction;

const Entry kWired{QStringLiteral("192.168.1.20"), QStringLiteral("Ethernet")};
const Entry kUsb{QStringLiteral("10.0.0.7"), QStringLiteral("USB Ethernet")};

TEST(NetInterfaceChoice, VanishedChoiceIsNotConfirmedLater)
{
    const Entry third{QStringLiteral("172.16.0.3"), QStringLiteral("eth3")};
    NetInterfaceChoice c;
    c.autoChoose({kWired, kUsb, third});
    c.setCurrent(kUsb.ip);
    EXPECT_EQ(c.refresh({kWired, third}), Reaction::AskUser);
    EXPECT_TRUE(c.current().isEmpty());

    c.setCurrent(third.ip);
    EXPECT_EQ(c.refresh({kWired, third, kUsb}), Reaction::AskUser);
    EXPECT_EQ(c.current(), third.ip);
    c.confirm();
    EXPECT_EQ(c.selected(), third.ip);
}

} // namespace

// One address, one device; one identifier, one address: a live device keeps both until it ages out.

#include "DvmTestSupport.h"

namespace {

class DvmTakeover : public DvmTest
{
protected:
    static uint32_t ipOfDev(const char* devId)
    {
        DevHeader h{};
        return dvm_copyDevHeader(findDevById(devId), &h) ? h.ip : 0;
    }
    static QString devAt(const char* ip)
    {
        DevHeader h{};
        return dvm_copyDevHeader(findDevByIp(ipOf(ip)), &h) ? QString::fromUtf8(h.devId) : QString();
    }
};

} // namespace

TEST_F(DvmTakeover, AnnouncementsThatClaimALiveDevicesAddressOrIdentifierAreDropped)
{
    ASSERT_EQ(1, announce(announcement("REAL", "10.77.0.11")));
    ASSERT_EQ(1, announce(announcement("OTHER", "10.77.0.12")));
    const struct
    {
        const char* devId;
        const char* ip;
        const char* why;
    } claims[] = {
        {"FAKE", "10.77.0.11", "a new identifier at a live device's address"},
        {"REAL", "10.77.0.99", "a live identifier from another address"},
        {"OTHER", "10.77.0.11", "a live device moving onto another live device's address"},
    };
    for (const auto& c : claims) {
        EXPECT_EQ(0, announce(announcement(c.devId, c.ip))) << c.why;
        EXPECT_EQ(devAt("10.77.0.11"), "REAL") << c.why;
        EXPECT_EQ(ipOfDev("REAL"), ipOf("10.77.0.11")) << c.why;
        EXPECT_EQ(ipOfDev("OTHER"), ipOf("10.77.0.12")) << c.why;
    }
    EXPECT_EQ(nullptr, findDevById("FAKE"));
    EXPECT_EQ(2, count("addDev"));
    EXPECT_EQ(2u, getAllDevs().size());
}

TEST_F(DvmTakeover, AMovedDeviceIsTakenAtItsNewAddressOnceTheOldRecordAgedOut)
{
    dvm_setAnnounceLifeMs(100);
    announce(announcement("REAL", "10.77.0.11"));
    EXPECT_EQ(0, announce(announcement("REAL", "10.77.0.20")));
    tick(5); // the old record ages out unrefreshed
    ASSERT_EQ(nullptr, findDevById("REAL"));
    EXPECT_EQ(1, announce(announcement("REAL", "10.77.0.20")));
    EXPECT_EQ(ipOfDev("REAL"), ipOf("10.77.0.20"));

    // Expired by the controller (life 0, as after its own "setIp"): the next announcement moves it.
    dvm_setDevLife(findDevById("REAL"), 0);
    EXPECT_EQ(1, announce(announcement("REAL", "10.77.0.21")));
    EXPECT_EQ(ipOfDev("REAL"), ipOf("10.77.0.21"));
    // The freed address is anyone's again.
    EXPECT_EQ(1, announce(announcement("NEW", "10.77.0.20")));
}

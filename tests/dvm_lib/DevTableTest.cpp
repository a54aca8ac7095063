// Device table: announcements, notifications, ageing and look-ups.

#include "DvmTestSupport.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

namespace {

class DvmAnnounce : public DvmTest
{
protected:
    static DevHeader header(const char* devId)
    {
        DevHeader h;
        std::memset(&h, 0, sizeof h);
        EXPECT_EQ(1, dvm_copyDevHeader(findDevById(devId), &h)) << devId;
        return h;
    }
};

TEST_F(DvmAnnounce, SameAnnouncementTwiceGivesOneAddDevWithIdentity)
{
    const QJsonObject a = announcement("MD0A", "10.77.0.11");
    EXPECT_EQ(1, announce(a));
    EXPECT_EQ(1, announce(a));
    ASSERT_EQ(1u, notes.size());
    const QJsonObject expected{{"ops", "addDev"}, {"name", "Dev MD0A"}, {"devId", "MD0A"}, {"ip", "10.77.0.11"}};
    EXPECT_EQ(expected, notes[0]);
    ASSERT_EQ(1u, getAllDevs().size());
    EXPECT_EQ(nullptr, findDevById("md0a")) << "look-ups are exact";
    EXPECT_EQ(nullptr, findDevById("MD0A "));
}

TEST_F(DvmAnnounce, HeaderFieldsAreReadFromText)
{
    QJsonObject a = announcement("MD0A", "10.77.0.11");
    a.insert("chNumRx", "64");
    a.insert("ucastNumTx", "-3");
    a.insert("dscp", "abc"); // not a number
    a.remove("delayUs");     // absent
    announce(a);
    const DevHeader h = header("MD0A");
    EXPECT_EQ(0x0A4D000Bu, h.ip);
    EXPECT_EQ(9990, h.port);
    EXPECT_EQ(64, h.chNumRx);
    EXPECT_EQ(-3, h.ucastNumTx);
    EXPECT_EQ(48000, h.sampleRate);
    EXPECT_EQ(3, h.sampleByteNum);
    EXPECT_EQ(0, h.dscp);
    EXPECT_EQ(0, h.delayUs);
    EXPECT_STREQ("00-1D-C1-FF-FE-00-00-0B", h.myClkId);
    EXPECT_STREQ("MRD-A16", h.model);
    EXPECT_EQ(1, h.canWork);
    EXPECT_EQ(DVM_LIFE_MS, h.lifeMs);
}

TEST_F(DvmAnnounce, OverLongTextsAreCutWithoutSplittingCharacters)
{
    const QString longId(100, QLatin1Char('x'));
    QJsonObject a = announcement(longId, "10.77.0.11");
    // 31 two-byte characters fill 62 bytes; a 32nd would need 64.
    a.insert("name", QString(40, QChar(0x00E9)));
    a.insert("myClkId", QString(40, QLatin1Char('1')));
    announce(a);
    const std::string cutId(63, 'x');
    ASSERT_NE(nullptr, findDevById(cutId.c_str()));
    const DevHeader h = header(cutId.c_str());
    EXPECT_EQ(62u, std::strlen(h.name));
    EXPECT_EQ(QString(31, QChar(0x00E9)), QString::fromUtf8(h.name));
    EXPECT_EQ(31u, std::strlen(h.myClkId));
    // The same long devId again is the same device.
    announce(a);
    EXPECT_EQ(1, count("addDev"));
}

TEST_F(DvmAnnounce, OnlyCanWorkAndClockSetChangesNotify)
{
    QJsonObject a = announcement("MD0A", "10.77.0.11");
    a.insert("myClkId", "00-00-00-00-00-00-00-00");
    announce(a);
    notes.clear();
    const struct
    {
        const char* key;
        const char* value;
        int updates; ///< "updateDev" notifications so far
    } steps[] = {
        {"name", "Renamed", 0}, // name and counts are stored silently
        {"chNumRx", "8", 0},
        {"myClkId", "00-1D-C1-FF-FE-00-00-0B", 1}, // zeros and hyphens -> real
        {"myClkId", "00-1D-C1-FF-FE-00-00-0C", 1}, // real -> real
        {"myClkId", "", 2},                        // real -> unset
        {"canWork", "0", 3},
        {"canWork", "0", 3},
    };
    for (const auto& s : steps) {
        a.insert(s.key, s.value);
        announce(a);
        EXPECT_EQ(s.updates, count("updateDev")) << s.key << "=" << s.value;
    }
    EXPECT_EQ(3u, notes.size());
    EXPECT_EQ("MD0A", notes.back().value("devId").toString());
    EXPECT_STREQ("Renamed", header("MD0A").name);
}

TEST_F(DvmAnnounce, AnnouncementWithoutAddressOrBadJsonIsIgnored)
{
    for (const char* ip : {"0.0.0.0", "", "abc", "300.1.1.1"})
        EXPECT_EQ(0, announce(announcement("MD0A", ip))) << ip;
    QJsonObject noIp = announcement("MD0A", "1.2.3.4");
    noIp.remove("ip");
    EXPECT_EQ(0, mcast(noIp, ipOf("1.2.3.4")));
    for (const QByteArray bad : {"{\"ops\":\"iAmVeranto\",", "[1,2]"})
        EXPECT_EQ(0, userCallLib_handleUdp_mcast(bad.constData(), bad.size(), ipOf("1.2.3.4"), 9996)) << bad.data();
    EXPECT_TRUE(getAllDevs().empty());
    EXPECT_TRUE(notes.empty());
}

TEST_F(DvmAnnounce, SilentDeviceLeavesAfter6000StepsWithOneDelDevAndReturnsInLowestSlot)
{
    for (const char* id : {"A", "B", "C"})
        announce(announcement(id, QString("10.0.0.") + QChar(id[0] - 'A' + '1')));
    DevRecord* slotA = findDevById("A");
    for (int step = 1; step <= 5999; ++step) {
        if (step % 1000 == 0) {
            announce(announcement("B", "10.0.0.2"));
            announce(announcement("C", "10.0.0.3"));
        }
        tick();
    }
    EXPECT_EQ(0, count("delDev"));
    ASSERT_NE(nullptr, findDevById("A"));
    tick();
    ASSERT_EQ(1, count("delDev"));
    EXPECT_EQ("A", notes.back().value("devId").toString());
    EXPECT_EQ(nullptr, findDevById("A"));
    EXPECT_EQ(nullptr, findDevByIp(ipOf("10.0.0.1")));
    EXPECT_EQ(findDevById("C"), findDevByIp(ipOf("10.0.0.3")));
    tick(10);
    EXPECT_EQ(1, count("delDev"));

    announce(announcement("A", "10.0.0.1"));
    EXPECT_EQ(4, count("addDev"));
    EXPECT_EQ(slotA, findDevById("A")) << "the lowest free slot is reused";
    QStringList order;
    for (const DevRecord* d : getAllDevs())
        order << d->hdr.devId;
    EXPECT_EQ(QStringList({"B", "C", "A"}), order) << "removal keeps the arrival order";
}

TEST_F(DvmAnnounce, FullTableDropsNewDevicesUntilSlotsFree)
{
    for (int i = 0; i < DVM_MAX_DEVS; ++i)
        ASSERT_EQ(1,
                  announce(announcement(QString("D%1").arg(i), QString("10.1.%1.%2").arg(i / 250).arg(i % 250 + 1))));
    EXPECT_EQ(0, announce(announcement("late", "10.9.9.9")));
    EXPECT_EQ(nullptr, findDevById("late"));
    EXPECT_EQ(DVM_MAX_DEVS, count("addDev"));

    DevRecord* slot700 = findDevById("D700");
    DevRecord* slot5 = findDevById("D5");
    dvm_setDevLife(slot700, 0);
    dvm_setDevLife(slot5, 0);
    tick();
    EXPECT_EQ(2, count("delDev"));
    EXPECT_EQ(1, announce(announcement("late", "10.9.9.9")));
    EXPECT_EQ(slot5, findDevById("late"));
    EXPECT_EQ(1, announce(announcement("later", "10.9.9.8")));
    EXPECT_EQ(slot700, findDevById("later"));
    // The index still finds every old device after removals shifted its buckets.
    for (int i = 0; i < DVM_MAX_DEVS; i += 97) {
        if (i != 5 && i != 700) {
            EXPECT_EQ(
                1, announce(announcement(QString("D%1").arg(i), QString("10.1.%1.%2").arg(i / 250).arg(i % 250 + 1))));
        }
    }
    EXPECT_EQ(DVM_MAX_DEVS + 2, count("addDev"));
}

TEST_F(DvmAnnounce, ExpiredDeviceRevivesWithoutNewAddDev)
{
    announce(announcement("A", "10.0.0.1"));
    announce(announcement("B", "10.0.0.2"));
    expireAll();
    announce(announcement("A", "10.0.0.1"));
    tick();
    EXPECT_EQ(1, count("delDev"));
    EXPECT_EQ("B", notes.back().value("devId").toString());
    EXPECT_EQ(2, count("addDev"));
    ASSERT_NE(nullptr, findDevById("A"));
}

TEST_F(DvmAnnounce, ReadersNeverSeeAHalfCopiedHeader)
{
    QJsonObject a = announcement("A", "10.0.0.1");
    a.insert("port", "7");
    a.insert("chNumRx", "7");
    a.insert("name", "7");
    announce(a);
    std::atomic<bool> done{false};
    std::atomic<int> torn{0};
    std::thread reader([&] {
        while (!done.load()) {
            DevHeader h;
            // Every announcement below keeps port, chNumRx and the name's digits equal.
            if (dvm_copyDevHeader(findDevById("A"), &h) && (h.port != h.chNumRx || std::atoi(h.name) != h.port))
                ++torn;
            getAllDevs();
        }
    });
    for (int i = 1; i <= 3000; ++i) {
        const QString n = QString::number(i % 2 ? 7 : 123456);
        a.insert("port", n);
        a.insert("chNumRx", n);
        a.insert("name", n + (i % 2 ? QString(60, 'x') : QString()));
        announce(a);
        if (i % 100 == 0)
            tick();
    }
    done = true;
    reader.join();
    EXPECT_EQ(0, torn.load());
}

TEST(DvmIp, DottedTextReadsSafely)
{
    const struct
    {
        const char* text;
        uint32_t ip;
    } cases[] = {
        {"192.168.1.10", 0xC0A8010Au},    {"239.1.2.3/32", 0xEF010203u}, // a ttl suffix ends the last part
        {"1.2.3", 0x00010203u},                                          // a missing part ends the reading
        {"255.255.255.255", 0xFFFFFFFFu}, {"999999999999.1.2.3", 0u},    {"1.2.3.256", 0u}, {"", 0u},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.ip, dvm_parseIp(c.text)) << c.text;
        EXPECT_EQ(c.ip, dvm_parseIp(QString(c.text))) << c.text;
    }
    EXPECT_EQ(0u, dvm_parseIp(static_cast<const char*>(nullptr)));
    EXPECT_EQ(QString("10.77.0.11"), dvm_ipToString(0x0A4D000B));
    EXPECT_EQ(QString("255.0.0.1"), dvm_ipToString(dvm_parseIp("255.0.0.1")));
}

TEST(DvmHooks, SendWithoutHookFailsAndHooksForward)
{
    dvm_setSendHook(nullptr, nullptr);
    EXPECT_EQ(-1, libCallUser_sendUdp("x", 1, 1, 1));
    int calls = 0;
    dvm_setSendHook(
        [](void* ctx, const char*, int length, uint32_t ip, uint16_t port) {
            ++*static_cast<int*>(ctx);
            return ip == 7 && port == 8 ? length : -1;
        },
        &calls);
    EXPECT_EQ(3, libCallUser_sendUdp("abc", 3, 7, 8));
    EXPECT_EQ(1, calls);
    dvm_setSendHook(nullptr, nullptr);
    libCallUser_notify(QJsonObject{{"ops", "addDev"}}); // no hook: nothing happens
}

} // namespace

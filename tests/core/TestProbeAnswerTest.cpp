#include "TestProbeAnswer.h"

#include <gtest/gtest.h>

using namespace TestProbeAnswer;

namespace {

constexpr uint32_t kSender = 0x0A4D000B; // 10.77.0.11

TEST(TestProbeAnswer, ParsesAnswers)
{
    const struct
    {
        const char* what;
        QByteArray datagram;
        bool ok;
        const char* host;
        const char* model;
        const char* firmware;
        uint32_t ip;
        bool linkLocal;
    } rows[] = {
        {"full", "iAmMeridane!\nboard_model=MRD-A16\nhostname=MD0A4D000B\nfirmware=3.1.4\nip=10.77.0.11\n", true,
         "MD0A4D000B", "MRD-A16", "3.1.4", 0x0A4D000B, false},
        {"CRLF and no ip: sender", "iAmMeridane!\r\nhostname=SMRP-1\r\n", true, "SMRP-1", "", "", kSender, false},
        {"link-local", "iAmMeridane!\nhostname=X\nip=169.254.3.4\n", true, "X", "", "", 0xA9FE0304, true},
        {"key inside another key", "iAmMeridane!\nhostname=X\ngwip=10.0.0.1\n", true, "X", "", "", kSender, false},
        {"one line", "iAmMeridane! hostname=Y ip=10.0.0.9", true, "Y", "", "", 0x0A000009, false},
        {"no marker", "hostname=X\nip=10.0.0.1\n", false, "", "", "", 0, false},
        {"no host name", "iAmMeridane!\nip=10.0.0.1\n", false, "", "", "", 0, false},
        {"the question itself", "AreYouMeridane?", false, "", "", "", 0, false},
        {"control characters dropped", QByteArray("iAmMeridane!\nhostname=A\x01\x1b[2JB\n"), true, "A[2JB", "", "",
         kSender, false},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        Answer a;
        ASSERT_EQ(parse(r.datagram, kSender, &a), r.ok);
        if (!r.ok)
            continue;
        EXPECT_EQ(a.hostname, QString::fromLatin1(r.host));
        EXPECT_EQ(a.boardModel, QString::fromLatin1(r.model));
        EXPECT_EQ(a.firmware, QString::fromLatin1(r.firmware));
        EXPECT_EQ(a.ip, r.ip);
        EXPECT_EQ(a.linkLocal, r.linkLocal);
    }
}

TEST(TestProbeAnswer, SizesAreBounded)
{
    Answer a;
    QByteArray big = "iAmMeridane!\nhostname=" + QByteArray(5000, 'h') + "\n";
    EXPECT_FALSE(parse(big, kSender, &a)) << "larger than any answer";
    QByteArray longName = "iAmMeridane!\nhostname=" + QByteArray(500, 'h') + "\nfirmware=" + QByteArray(300, 'f');
    ASSERT_TRUE(parse(longName, kSender, &a));
    EXPECT_EQ(a.hostname.size(), kMaxFieldChars);
    EXPECT_EQ(a.firmware.size(), kMaxFieldChars);
    // Sender 0 and no address: nowhere to send to.
    EXPECT_FALSE(parse("iAmMeridane!\nhostname=X\n", 0, &a));
}

TEST(TestProbeAnswer, InterfaceAndAddressRules)
{
    const struct
    {
        const char* name;
        uint32_t ip;
        bool usable;
    } rows[] = {{"eth0", 0x0A000001, true},
                {"VMware Network Adapter VMnet8", 0xC0A80001, false},
                {"vEthernet (WSL)", 0xAC100001, false},
                {"my-vmware0", 0x0A000002, false},
                {"lo", 0x7F000001, false},
                {"eth1", 0x7F000002, true},
                {"eth2", 0, false}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(usableInterface(QString::fromLatin1(r.name), r.ip), r.usable);
    }
    EXPECT_TRUE(isLinkLocal(0xA9FE0000));
    EXPECT_TRUE(isLinkLocal(0xA9FEFFFF));
    EXPECT_FALSE(isLinkLocal(0xA9FD0001));
    EXPECT_FALSE(isLinkLocal(0xA9FF0001));
}

TEST(TestProbeAnswer, ListKeepsLinkLocalApartAndIsBounded)
{
    List list;
    Answer a;
    a.hostname = "A";
    a.ip = 0x0A000001;
    EXPECT_TRUE(list.add(a));
    a.firmware = "3.2";
    EXPECT_TRUE(list.add(a)) << "a repeated answer refreshes its entry";
    ASSERT_EQ(list.devices().size(), 1);
    EXPECT_EQ(list.devices().at(0).firmware, "3.2");
    Answer ll = a;
    ll.ip = 0xA9FE0101;
    ll.linkLocal = true;
    EXPECT_TRUE(list.add(ll));
    EXPECT_EQ(list.devices().size(), 1);
    EXPECT_EQ(list.linkLocal().size(), 1);

    for (int i = 0; i < kMaxDevices + 10; ++i) {
        Answer flood;
        flood.hostname = QString::number(i);
        flood.ip = 0x0B000000u + uint32_t(i);
        list.add(flood);
    }
    EXPECT_EQ(list.devices().size(), kMaxDevices);
    EXPECT_EQ(list.dropped(), 11);
    EXPECT_EQ(list.linkLocal().size(), 1) << "a flood of one kind leaves the other alone";
    list.clear();
    EXPECT_TRUE(list.devices().isEmpty());
    EXPECT_EQ(list.dropped(), 0);
}

} // namespace

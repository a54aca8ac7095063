// SAP announcements of multicast streams: parsing, storing by destination address, ageing.

#include "DvmTestSupport.h"

#include <climits>
#include <cstring>
#include <memory>
#include <string>

namespace {

std::string replaced(std::string text, const std::string& from, const std::string& to)
{
    const size_t at = text.find(from);
    EXPECT_NE(std::string::npos, at) << from;
    if (at != std::string::npos)
        text.replace(at, from.size(), to);
    return text;
}

std::string sdpText(const std::string& rtpmap = "L24/48000/2", const std::string& ptime = "1",
                    const std::string& port = "5004", const std::string& name = "Stage Box 1-2")
{
    const std::string text =
        "v=0\r\no=- 1311738121 1311738121 IN IP4 192.168.1.10\r\ns=$N\r\nc=IN IP4 239.69.1.10/32\r\n"
        "t=0 0\r\nm=audio $P RTP/AVP 96\r\ni=2 channels: Left, Right\r\na=rtpmap:96 $R\r\n"
        "a=recvonly\r\na=ptime:$T\r\na=ts-refclk:ptp=IEEE1588-2008:00-1D-C1-FF-FE-12-34-56:0\r\n"
        "a=mediaclk:direct=963214424\r\n";
    return replaced(replaced(replaced(replaced(text, "$R", rtpmap), "$T", ptime), "$P", port), "$N", name);
}

/// SAP header with an IPv4 origin and no authentication, the payload type and the SDP text.
std::string sapPacket(const std::string& sdp)
{
    std::string p("\x20\x00\x12\x34\xC0\xA8\x01\x0A", 8);
    p.append("application/sdp", 16); // with its NUL
    return p + sdp;
}

int parse(const std::string& packet, McastRecord* out)
{
    std::memset(out, 0, sizeof *out);
    return parseSapAnnounce(packet.c_str(), int(packet.size()), out);
}

struct FormatCase
{
    const char* rtpmap;
    const char* ptime;
    bool accepted;
    int sampleByteNum;
    int sampleRate;
    int chNum;
    int frames;
};

class DvmSapFormat : public ::testing::TestWithParam<FormatCase>
{
};

TEST_P(DvmSapFormat, ReadsFormatAndFrames)
{
    const FormatCase c = GetParam();
    McastRecord r;
    ASSERT_EQ(c.accepted ? 1 : 0, parse(sapPacket(sdpText(c.rtpmap, c.ptime)), &r));
    if (!c.accepted)
        return;
    EXPECT_EQ(c.sampleByteNum, r.stream.sampleByteNum);
    EXPECT_EQ(c.sampleRate, r.sampleRate);
    EXPECT_EQ(c.chNum, r.stream.chNum);
    EXPECT_EQ(c.frames, r.frames);
}

FormatCase refused(const char* rtpmap)
{
    return FormatCase{rtpmap, "1", false, 0, 0, 0, 0};
}

INSTANTIATE_TEST_SUITE_P(
    Aes67, DvmSapFormat,
    ::testing::Values(
        FormatCase{"L24/48000/2", "1", true, 3, 48000, 2, 48}, FormatCase{"L24/48000/8", "0.125", true, 3, 48000, 8, 6},
        FormatCase{"L24/44100/2", "0.125", true, 3, 44100, 2, 5}, FormatCase{"L16/48000/2", "1", true, 2, 48000, 2, 48},
        FormatCase{"L32/96000/1", "1", true, 4, 96000, 1, 96}, FormatCase{"L8/48000/1", "4", true, 1, 48000, 1, 192},
        FormatCase{"L24/48000/2", "0.333", true, 3, 48000, 2, 15},
        FormatCase{"L24/48000/2", "99999999999999999999999999", true, 3, 48000, 2, INT_MAX},
        FormatCase{"L24/48000/0x8", "1", true, 3, 48000, 8, 48}, refused("L24/48000/9"), refused("L24/48000/0"),
        refused("L24/48000/-2"), refused("L40/48000/2"), refused("L4/48000/2"),
        refused("L24/48000/99999999999999999999999"), refused("L24/48000")));

TEST(DvmSapParse, RealisticAnnouncementFillsTheRecord)
{
    McastRecord r;
    ASSERT_EQ(1, parse(sapPacket(sdpText()), &r));
    EXPECT_STREQ("Stage Box 1-2\r", r.name) << "the CR before the line end belongs to the name";
    EXPECT_EQ(0xC0A8010Au, r.stream.srcIp);
    EXPECT_EQ(0xEF45010Au, r.stream.dstIp);
    EXPECT_EQ(5004, r.stream.dstPort);
    EXPECT_EQ(963214424u, r.stream.rtpTsOffset);
    EXPECT_STREQ("00-1D-C1-FF-FE-12-34-56", r.ptpClockId);
    EXPECT_EQ(sdpText(), std::string(r.sdp));
}

TEST(DvmSapParse, NumbersUseAutomaticBaseAndSaturate)
{
    McastRecord r;
    ASSERT_EQ(1, parse(sapPacket(sdpText("L24/48000/2", "1", "05004")), &r));
    EXPECT_EQ(2564, r.stream.dstPort);
    ASSERT_EQ(1, parse(sapPacket(sdpText("L24/48000/2", "1", "0x138C")), &r));
    EXPECT_EQ(5004, r.stream.dstPort);
    EXPECT_EQ(0, parse(sapPacket(sdpText("L24/48000/2", "1", "70000")), &r)) << "no port wraps into range";
    EXPECT_EQ(0, parse(sapPacket(sdpText("L24/48000/2", "1", "0")), &r));
    const std::string big = replaced(sdpText(), "direct=963214424", "direct=999999999999999999999999");
    ASSERT_EQ(1, parse(sapPacket(big), &r));
    EXPECT_EQ(4294967295u, r.stream.rtpTsOffset);
    ASSERT_EQ(1, parse(sapPacket(sdpText("L24/99999999999999/2")), &r));
    EXPECT_EQ(INT_MAX, r.sampleRate);
}

TEST(DvmSapParse, SourceFilterTakesPrecedenceForBothAddresses)
{
    const std::string text = sdpText() + "a=source-filter: incl IN IP4 239.69.1.99 192.168.1.77\r\n";
    McastRecord r;
    ASSERT_EQ(1, parse(sapPacket(text), &r));
    EXPECT_EQ(0xEF450163u, r.stream.dstIp);
    EXPECT_EQ(0xC0A8014Du, r.stream.srcIp);
    const std::string noBlank = sdpText() + "a=source-filter: incl IN IP4 239.69.1.99";
    EXPECT_EQ(0, parse(sapPacket(noBlank), &r));
}

TEST(DvmSapParse, MissingRequiredItemsReject)
{
    McastRecord r;
    for (const char* item : {"s=", "c=IN IP4 ", " IN IP4 192", "m=audio ", "a=rtpmap:", " L24",
                             "a=ptime:", "a=ts-refclk:ptp=IEEE1588-2008:", "a=mediaclk:direct="}) {
        EXPECT_EQ(0, parse(sapPacket(replaced(sdpText(), item, "x-gone")), &r)) << item;
    }
    EXPECT_EQ(0, parse(sapPacket(replaced(sdpText(), "239.69.1.10", "0.0.0.0")), &r));
}

TEST(DvmSapParse, FramingIsChecked)
{
    McastRecord r;
    const std::string good = sapPacket(sdpText());
    EXPECT_EQ(0, parseSapAnnounce(good.c_str(), 23, &r));
    EXPECT_EQ(0, parseSapAnnounce(nullptr, 100, &r));
    std::string wrongType = good;
    wrongType[22] = 'x';
    EXPECT_EQ(0, parse(wrongType, &r));
    std::string unterminated = good;
    unterminated[23] = 'X'; // "application/sdpX..."
    EXPECT_EQ(0, parse(unterminated, &r));
    EXPECT_EQ(0, parse(sapPacket(""), &r));
}

TEST(DvmSapParse, ReadsNeitherPastTheLengthNorPastAnInnerNul)
{
    const std::string full = sapPacket(sdpText());
    const size_t cut = full.find("963214424") + 3; // the datagram ends inside the offset
    std::unique_ptr<char[]> exact(new char[cut]);
    std::memcpy(exact.get(), full.data(), cut);
    McastRecord r;
    ASSERT_EQ(1, parseSapAnnounce(exact.get(), int(cut), &r));
    EXPECT_EQ(963u, r.stream.rtpTsOffset);
    EXPECT_EQ(cut - 24, std::strlen(r.sdp));

    std::string withNul = full;
    withNul[withNul.find("a=ptime")] = '\0';
    EXPECT_EQ(0, parse(withNul, &r)) << "the text ends at the NUL";
    std::string tailNul = full + std::string("\0a=x\r\n", 6);
    ASSERT_EQ(1, parse(tailNul, &r));
    EXPECT_EQ(sdpText(), std::string(r.sdp));
}

TEST(DvmSapParse, NameIsKeptByteForByteUpToTheLineFeed)
{
    struct Case
    {
        std::string nameLine; ///< what follows "s=" up to and including the line end
        std::string name;
    };
    const Case cases[] = {
        {"Desk\r\n", "Desk\r"},
        {"Desk\n", "Desk"},
        {"Desk\r\r\n", "Desk\r\r"},
        {"A\rB\r\n", "A\rB\r"},
        {"\r\n", "\r"},
        {" Desk \r\n", " Desk \r"},
        {std::string(62, 'N') + "\r\n", std::string(62, 'N') + "\r"},
        {std::string(63, 'N') + "\r\n", std::string(63, 'N')}, // cut to the field, the CR falls off
    };
    for (const Case& c : cases) {
        const std::string sdp = replaced(sdpText(), "s=Stage Box 1-2\r\n", "s=" + c.nameLine);
        McastRecord r;
        ASSERT_EQ(1, parse(sapPacket(sdp), &r)) << c.nameLine;
        EXPECT_EQ(c.name, std::string(r.name)) << c.nameLine;
    }
}

TEST(DvmSapParse, LongNameAndTextAreCut)
{
    std::string text = sdpText("L24/48000/2", "1", "5004", std::string(200, 'N'));
    while (text.size() < 1499 - 24)
        text += "a=x-pad:0123456789\r\n";
    text.resize(1499 - 24);
    McastRecord r;
    ASSERT_EQ(1, parse(sapPacket(text), &r));
    EXPECT_EQ(std::string(63, 'N'), std::string(r.name));
    EXPECT_EQ(text.substr(0, 1471), std::string(r.sdp));
}

class DvmSapTable : public DvmTest
{
protected:
    static int store(const std::string& sdp)
    {
        const std::string p = sapPacket(sdp);
        return userCallLib_handleUdp_sap(p.c_str(), int(p.size()), 0xC0A8010A, 9875);
    }
};

TEST_F(DvmSapTable, SameDestinationTwiceIsOneStreamWithTheLatestData)
{
    EXPECT_EQ(1, store(sdpText("L24/48000/2", "1", "5004", "First")));
    EXPECT_EQ(1, store(sdpText("L16/48000/2", "1", "5004", "Second")));
    ASSERT_EQ(1u, notes.size());
    const QJsonObject expected{{"ops", "addMcast"},
                               {"name", "First\r"},
                               {"sdp", QJsonObject{{"srcIp", "192.168.1.10"},
                                                   {"dstIp", "239.69.1.10"},
                                                   {"dstPort", "5004"},
                                                   {"chNum", "2"},
                                                   {"sampleByteNum", "3"},
                                                   {"rtpTsOffset", "963214424"}}}};
    EXPECT_EQ(expected, notes[0]);
    McastRecord* rec = findMcastByDstIp(0xEF45010A);
    ASSERT_NE(nullptr, rec);
    McastRecord copy;
    ASSERT_EQ(1, dvm_copyMcast(rec, &copy));
    EXPECT_STREQ("Second\r", copy.name);
    EXPECT_EQ(2, copy.stream.sampleByteNum);
    EXPECT_EQ(DVM_LIFE_MS, copy.lifeMs);
    EXPECT_EQ(0, store("garbage"));
    EXPECT_EQ(1u, getAllMcasts().size());
}

TEST_F(DvmSapTable, SilentStreamAgesOutWithOneDelMcast)
{
    dvm_setAnnounceLifeMs(100);
    store(sdpText());
    store(replaced(sdpText(), "239.69.1.10", "239.69.1.11"));
    tick(3);
    store(replaced(sdpText(), "239.69.1.10", "239.69.1.11")); // refreshed
    tick(2);
    ASSERT_EQ(1, count("delMcast"));
    EXPECT_EQ("239.69.1.10", notes.back().value("sdp").toObject().value("dstIp").toString());
    EXPECT_EQ(nullptr, findMcastByDstIp(0xEF45010A));
    ASSERT_EQ(1u, getAllMcasts().size());
    expireAll();
    tick();
    EXPECT_EQ(2, count("delMcast"));
    EXPECT_TRUE(getAllMcasts().empty());
}

TEST_F(DvmSapTable, FullTableDropsNewStreams)
{
    for (int i = 0; i < DVM_MAX_MCASTS; ++i) {
        const std::string dst = "239.70." + std::to_string(i / 256) + "." + std::to_string(i % 256);
        ASSERT_EQ(1, store(replaced(sdpText(), "239.69.1.10", dst))) << i;
    }
    EXPECT_EQ(0, store(sdpText()));
    EXPECT_EQ(DVM_MAX_MCASTS, count("addMcast"));
    EXPECT_EQ(1, store(replaced(sdpText(), "239.69.1.10", "239.70.3.255"))) << "known streams still refresh";
}

} // namespace

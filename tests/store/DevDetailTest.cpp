// The device detail built from an announcement: MAC text, default names, hostile counts.

#include "DevDetail.h"

#include <QJsonArray>
#include <cstring>
#include <gtest/gtest.h>

namespace {

struct MacCase
{
    const char* clockId;
    const char* mac;
};

class MacTextTest : public ::testing::TestWithParam<MacCase>
{
};

DevHeader header()
{
    DevHeader h;
    std::memset(&h, 0, sizeof h);
    std::strcpy(h.devId, "MRH2-0A4D0015");
    std::strcpy(h.name, "Stage left");
    std::strcpy(h.model, "MRD-A16");
    std::strcpy(h.myClkId, " 00-1d-c1-ff-fe-12-34-56 ");
    h.ip = 0x0A000105;
    h.port = 9990;
    h.chNumRx = 3;
    h.chNumTx = 2;
    h.phyChNumRx = 2;
    h.phyChNumTx = 1;
    return h;
}

} // namespace

TEST_P(MacTextTest, FromClockId)
{
    EXPECT_EQ(s_dev_detail::macTextFromClockId(QString::fromUtf8(GetParam().clockId)),
              QString::fromUtf8(GetParam().mac));
}

INSTANTIATE_TEST_SUITE_P(
    Identities, MacTextTest,
    ::testing::Values(MacCase{"00-1D-C1-FF-FE-12-34-56", "00:1D:C1:12:34:56"},         // EUI-64: filler octets go
                      MacCase{"  00-1D-C1-FF-FE-12-34-56\r\n", "00:1D:C1:12:34:56"},   // trimmed first
                      MacCase{"00:1D:C1:FF:FE:12:34:56", "00:1D:C1:12:34:56"},         // already with ":"
                      MacCase{"00-1D-C1-12-34-56", "00:1D:C1:12:34:56"},               // six octets kept
                      MacCase{"00-1D-C1-FF-FE-12-34", "00:1D:C1:FF:FE:12:34"},         // 20 long: all kept
                      MacCase{"00-1D-C1-FF-FE-12-34-567", "00:1D:C1:FF:FE:12:34:567"}, // 24 long: all kept
                      MacCase{"", ""}));

TEST(DevDetailTest, BuiltFromHeaderWithNumberedDefaults)
{
    const s_dev_detail d = s_dev_detail::fromHeader(header());
    EXPECT_EQ(d.rxChNames, QStringList({"NetIn1", "NetIn2", "NetIn3"}));
    EXPECT_EQ(d.txChNames, QStringList({"NetOut1", "NetOut2"}));
    EXPECT_EQ(d.phyRxChNames, QStringList({"AnalogIn1", "AnalogIn2"}));
    EXPECT_EQ(d.phyTxChNames, QStringList({"AnalogOut1"}));
    EXPECT_EQ(d.phyRxGains.size(), 2); // one gain and one mute per physical channel
    EXPECT_EQ(d.phyTxMutes.size(), 1);
    EXPECT_EQ(d.type, "MRD-A16");
    EXPECT_EQ(d.macText, "00:1d:c1:12:34:56");
}

TEST(DevDetailTest, HostileCountsAndUnterminatedTextsAreBounded)
{
    DevHeader h = header();
    h.chNumTx = 2000000000; // would be two billion names
    h.chNumRx = -5;
    h.phyChNumRx = INT32_MIN;
    std::memset(h.name, 'x', sizeof h.name); // no NUL inside the field
    const s_dev_detail d = s_dev_detail::fromHeader(h);
    EXPECT_EQ(d.txChNames.size(), DVM_TABLE_SIZE);
    EXPECT_EQ(d.txChNames.last(), "NetOut4096");
    EXPECT_TRUE(d.rxChNames.isEmpty());
    EXPECT_TRUE(d.phyRxChNames.isEmpty());
    EXPECT_TRUE(d.phyRxGains.isEmpty());
    EXPECT_EQ(d.name, QString(DVM_NAME_LEN, QLatin1Char('x')));
}

TEST(DevDetailTest, JsonWritesTheAddressDottedFirstOctetFirstAndListsAsArrays)
{
    DevDetail_t d;
    d.ip = 0xC0A80001u;
    d.phyRxGains = {-3.5, 0};
    d.phyRxMutes = {1, 0};
    d.rxChNames = QStringList{"NetIn1", "Vocal"};
    const QJsonObject o = d.toJson();
    EXPECT_EQ(o.value("ip").toString(), "192.168.0.1");
    EXPECT_EQ(o.value("phyRxGains").toArray(), QJsonArray({-3.5, 0}));
    EXPECT_EQ(o.value("phyRxMutes").toArray(), QJsonArray({1, 0}));
    EXPECT_EQ(o.value("rxChNames").toArray(), QJsonArray({"NetIn1", "Vocal"}));
}

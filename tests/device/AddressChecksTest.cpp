#include "AddressChecks.h"

#include <QJsonDocument>
#include <gtest/gtest.h>

namespace {

QString json(const QJsonObject& o)
{
    return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact));
}

AddressChecks::Input good()
{
    AddressChecks::Input in;
    in.isFixedIp = 1;
    in.ip = "192.168.1.20";
    in.mask = "255.255.255.0";
    in.gateway = "192.168.1.1";
    in.dns = "8.8.8.8";
    in.ip2 = "192.168.2.20";
    in.ip3 = "192.168.3.20";
    return in;
}

AddressChecks::Current was()
{
    AddressChecks::Current c;
    c.isFixedIp = 1;
    c.ip = "192.168.1.10";
    c.gateway = "192.168.1.1";
    c.dns = "8.8.8.8";
    return c;
}

struct RefusalCase
{
    const char* label;
    std::function<void(AddressChecks::Input&)> edit;
    int interfaces;
    QString tip;
    AddressChecks::Field focus;
};

class AddressRefusal : public ::testing::TestWithParam<RefusalCase>
{
};

TEST_P(AddressRefusal, StopsAtTheFirstFailedCheck)
{
    const RefusalCase& c = GetParam();
    AddressChecks::Input in = good();
    c.edit(in);
    const AddressChecks::Outcome out = AddressChecks::evaluate(in, was(), "D1", c.interfaces);
    EXPECT_EQ(out.stage, AddressChecks::Refused);
    EXPECT_EQ(out.tip, c.tip);
    EXPECT_EQ(out.focus, c.focus);
    EXPECT_TRUE(out.requests.isEmpty());
}

using In = AddressChecks::Input;
const QString kIpTip = "请输入正确的IP，范围0-255";
const QString kMaskTip = "请输入正确的子网掩码，范围0-255";

INSTANTIATE_TEST_SUITE_P(
    Checks, AddressRefusal,
    ::testing::Values(
        // Empty fields, in the order address, mask, DNS, gateway: each empties the later ones too.
        RefusalCase{"allEmpty", [](In& i) { i.ip = i.mask = i.dns = i.gateway = QString(); }, 1, "ip不能为空",
                    AddressChecks::IpField},
        RefusalCase{"maskBeforeDns", [](In& i) { i.mask = i.dns = i.gateway = " "; }, 1, "子网掩码不能为空",
                    AddressChecks::MaskField},
        RefusalCase{"dnsBeforeGateway", [](In& i) { i.dns = i.gateway = QString(); }, 1, "DNS不能为空",
                    AddressChecks::DnsField},
        RefusalCase{"gateway", [](In& i) { i.gateway = QString(); }, 1, "网关不能为空", AddressChecks::GatewayField},
        // The first octet is judged before the shape of the rest.
        RefusalCase{"firstOctet0", [](In& i) { i.ip = "0.1.2.3"; }, 1, "Valid: 1-223", AddressChecks::IpField},
        RefusalCase{"firstOctet224", [](In& i) { i.ip = "224.1.2.300"; }, 1, "Valid: 1-223", AddressChecks::IpField},
        RefusalCase{"threeParts", [](In& i) { i.ip = "10.1.2"; }, 1, kIpTip, AddressChecks::IpField},
        RefusalCase{"partOver255", [](In& i) { i.ip = "10.1.256.3"; }, 1, kIpTip, AddressChecks::IpField},
        RefusalCase{"emptyPart", [](In& i) { i.ip = "10..2.3"; }, 1, kIpTip, AddressChecks::IpField},
        RefusalCase{"signedPart", [](In& i) { i.ip = "10.+1.2.3"; }, 1, kIpTip, AddressChecks::IpField},
        // The further interfaces are checked only on three-interface models, and before the mask.
        RefusalCase{"ip2", [](In& i) { i.ip2 = "10.0.0", i.mask = "1.2.3"; }, 3, "请输入正确的IP2，范围0-255",
                    AddressChecks::Ip2Field},
        RefusalCase{"ip3", [](In& i) { i.ip3 = QString(); }, 3, "请输入正确的IP3，范围0-255", AddressChecks::Ip3Field},
        RefusalCase{"maskShape", [](In& i) { i.mask = "255.255.0", i.dns = "x"; }, 1, kMaskTip,
                    AddressChecks::MaskField},
        RefusalCase{"dnsShape", [](In& i) { i.dns = "8.8.8.888"; }, 1, "请输入正确的DNS，范围0-255",
                    AddressChecks::DnsField},
        RefusalCase{"gatewayShape", [](In& i) { i.gateway = "192.168.1"; }, 1, "请输入正确的网关，范围0-255",
                    AddressChecks::GatewayField},
        // A mask whose one bits are not leading is no mask: refused after the shape checks, focus on it.
        RefusalCase{"holeyMask", [](In& i) { i.mask = "255.0.255.0"; }, 1, kMaskTip, AddressChecks::MaskField},
        RefusalCase{"holeyMaskAfterGateway", [](In& i) { i.mask = "255.255.255.1", i.gateway = "1.2"; }, 1,
                    "请输入正确的网关，范围0-255", AddressChecks::GatewayField}),
    [](const ::testing::TestParamInfo<RefusalCase>& info) { return std::string(info.param.label); });

TEST(AddressChecks, PrefixLengthOfMasks)
{
    EXPECT_EQ(AddressChecks::prefixLength("255.255.255.0"), 24);
    EXPECT_EQ(AddressChecks::prefixLength("255.255.240.0"), 20);
    EXPECT_EQ(AddressChecks::prefixLength("255.255.255.255"), 32);
    EXPECT_EQ(AddressChecks::prefixLength("0.0.0.0"), 0);
    EXPECT_EQ(AddressChecks::prefixLength("255.255.255.254"), 31);
    EXPECT_EQ(AddressChecks::prefixLength("0.255.255.255"), -1);
    EXPECT_EQ(AddressChecks::prefixLength("255.255.255.0.0"), -1);
    EXPECT_EQ(AddressChecks::prefixLength("255.255.a.0"), -1);
    for (int p = 0; p <= 32; ++p)
        EXPECT_EQ(AddressChecks::prefixLength(AddressChecks::maskForPrefix(p)), p) << p;
    EXPECT_TRUE(AddressChecks::maskForPrefix(33).isEmpty());
}

TEST(AddressChecks, SendsTheAddressWithItsPrefixLength)
{
    AddressChecks::Input in = good();
    in.mask = "255.255.252.0";
    const AddressChecks::Outcome out = AddressChecks::evaluate(in, was(), "D1", 1);
    ASSERT_EQ(out.stage, AddressChecks::Ready);
    EXPECT_FALSE(out.mismatch);
    EXPECT_EQ(out.prefixLength, 22);
    ASSERT_EQ(out.requests.size(), 1) << "one interface, one request; ip2/ip3 ignored";
    EXPECT_EQ(json(out.requests.at(0)), QStringLiteral(R"({"devId":"D1","dns":"8.8.8.8","gateway":"192.168.1.1",)"
                                                       R"("ip":"192.168.1.20/22","isFixedIp":"1","ops":"setIp"})"));
}

TEST(AddressChecks, ChangeAndMismatchAreJudgedOnTheAddressesAndModeOnly)
{
    using Cur = AddressChecks::Current;
    const struct
    {
        const char* what;
        std::function<void(In&, Cur&)> edit;
        int interfaces;
        AddressChecks::Stage stage;
        bool mismatch;
    } cases[] = {
        // A prefix on the confirmed side and blanks on the typed side are no change.
        {"same address", [](In& i, Cur& c) { i.ip = " 192.168.1.10 ", c.ip = "192.168.1.10/24"; }, 1,
         AddressChecks::Unchanged, false},
        {"mode alone is a change", [](In& i, Cur& c) { i.ip = c.ip, i.isFixedIp = 0; }, 1, AddressChecks::Ready, false},
        {"mask is no change", [](In& i, Cur& c) { i.ip = c.ip, i.mask = "255.255.0.0"; }, 1, AddressChecks::Unchanged,
         false},
        // The subnet's broadcast address: still a valid quad, so only a question, asked before the unchanged check.
        {"broadcast address", [](In& i, Cur& c) { i.ip = c.ip = "192.168.1.255"; }, 1, AddressChecks::Unchanged, true},
        {"network address", [](In& i, Cur&) { i.ip = "10.0.0.0", i.mask = "255.0.0.0"; }, 1, AddressChecks::Ready,
         true},
        // Point-to-point: both addresses are hosts.
        {"point to point", [](In& i, Cur&) { i.ip = "10.0.0.0", i.mask = "255.255.255.254"; }, 1, AddressChecks::Ready,
         false},
        {"zero mask", [](In& i, Cur&) { i.ip = "10.0.0.0", i.mask = "0.0.0.0"; }, 1, AddressChecks::Ready, true},
        // Only ip2 edited: still a change on a three-interface device.
        {"second interface", [](In& i, Cur& c) { i.ip = c.ip, c.ip2 = "192.168.2.21", c.ip3 = i.ip3; }, 3,
         AddressChecks::Ready, false},
        {"three interfaces same", [](In& i, Cur& c) { i.ip = c.ip, c.ip2 = i.ip2, c.ip3 = i.ip3; }, 3,
         AddressChecks::Unchanged, false},
    };
    for (const auto& c : cases) {
        AddressChecks::Input in = good();
        AddressChecks::Current cur = was();
        c.edit(in, cur);
        const AddressChecks::Outcome out = AddressChecks::evaluate(in, cur, "D1", c.interfaces);
        EXPECT_EQ(out.stage, c.stage) << c.what;
        EXPECT_EQ(out.mismatch, c.mismatch) << c.what;
        if (c.stage == AddressChecks::Unchanged) {
            EXPECT_EQ(out.tip, "IP地址未修改") << c.what;
            EXPECT_TRUE(out.requests.isEmpty()) << c.what;
        } else {
            ASSERT_EQ(out.requests.size(), c.interfaces) << c.what;
            EXPECT_EQ(out.requests.at(0).value("isFixedIp").toString(), QString::number(in.isFixedIp)) << c.what;
        }
    }
}

TEST(AddressChecks, ThreeInterfacesDeriveGatewaysAndDevIds)
{
    AddressChecks::Input in = good();
    in.gateway = "10.4.255.1";
    in.mask = "255.255.0.0";
    const AddressChecks::Outcome out = AddressChecks::evaluate(in, was(), "BR-7", 3);
    ASSERT_EQ(out.stage, AddressChecks::Ready);
    ASSERT_EQ(out.requests.size(), 3);
    EXPECT_EQ(json(out.requests.at(0)), QStringLiteral(R"({"devId":"BR-7","dns":"8.8.8.8","gateway":"10.4.255.1",)"
                                                       R"("ip":"192.168.1.20/16","isFixedIp":"1","ops":"setIp"})"));
    // Third octet plus k-1, wrapping at 256.
    EXPECT_EQ(json(out.requests.at(1)), QStringLiteral(R"({"devId":"BR-7:2","dns":"8.8.8.8","gateway":"10.4.0.1",)"
                                                       R"("ip":"192.168.2.20/16","isFixedIp":"1","ops":"setIp"})"));
    EXPECT_EQ(json(out.requests.at(2)), QStringLiteral(R"({"devId":"BR-7:3","dns":"8.8.8.8","gateway":"10.4.1.1",)"
                                                       R"("ip":"192.168.3.20/16","isFixedIp":"1","ops":"setIp"})"));
}

TEST(AddressChecks, AutomaticAddressRequests)
{
    QVector<QJsonObject> r = AddressChecks::autoIpRequests("D1", 1);
    ASSERT_EQ(r.size(), 1);
    EXPECT_EQ(json(r.at(0)), QStringLiteral(R"({"devId":"D1","isFixedIp":"0","ops":"setIp"})"));
    r = AddressChecks::autoIpRequests("D1", 3);
    ASSERT_EQ(r.size(), 3);
    EXPECT_EQ(r.at(2).value("devId").toString(), "D1:3");
}

TEST(AddressChecks, ResetAddressStaysInTwoTo253)
{
    // Values at and around the wrap points of "% 252 + 2".
    const QVector<uint32_t> draws = {0, 251, 252, 503, 0xFFFFFFFFu, 1};
    int next = 0;
    auto source = [&] { return draws.at(next++ % draws.size()); };
    EXPECT_EQ(AddressChecks::resetAddress(source), "169.254.2.253/16");
    EXPECT_EQ(AddressChecks::resetAddress(source), "169.254.2.253/16");
    // 0xFFFFFFFF % 252 = 3
    EXPECT_EQ(AddressChecks::resetAddress(source), "169.254.5.3/16");

    uint32_t state = 12345;
    auto lcg = [&] { return state = state * 1103515245u + 12345u; };
    for (int i = 0; i < 500; ++i) {
        const QString a = AddressChecks::resetAddress(lcg);
        const QStringList parts = a.chopped(3).split(QLatin1Char('.'));
        ASSERT_EQ(parts.size(), 4) << qPrintable(a);
        for (int k = 2; k < 4; ++k) {
            const int v = parts.at(k).toInt();
            ASSERT_GE(v, 2) << qPrintable(a);
            ASSERT_LE(v, 253) << qPrintable(a);
        }
    }
    EXPECT_EQ(json(AddressChecks::resetRequest("D1", "169.254.7.9/16")),
              QStringLiteral(R"({"devId":"D1","dns":"114.114.114.114","gateway":"169.254.0.1",)"
                             R"("ip":"169.254.7.9/16","isFixedIp":"1","ops":"setIp"})"));
}

} // namespace

#include "CommandTranslator.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

namespace {

const uint32_t kDevIp = 0x0A4D000B; // 10.77.0.11

DevDetail_t knownDevice(const QString& devId)
{
    DevDetail_t d;
    if (devId == QLatin1String("DEV1")) {
        d.devId = devId;
        d.ip = kDevIp;
        d.port = 9990;
    }
    return d;
}

struct Case
{
    const char* message;
    const char* request; ///< expected body, byte for byte
    uint32_t ip;
    uint16_t port;
};

class CommandTranslatorRows : public ::testing::TestWithParam<Case>
{
};

} // namespace

TEST_P(CommandTranslatorRows, RequestKeysAndPort)
{
    const Case c = GetParam();
    const CommandTranslator t(&knownDevice);
    const DeviceRequest r = t.translate(QString::fromUtf8(c.message));
    ASSERT_TRUE(r.isValid()) << c.message;
    EXPECT_EQ(r.body.toStdString(), std::string(c.request));
    EXPECT_EQ(r.ip, c.ip);
    EXPECT_EQ(r.port, c.port);
}

INSTANTIATE_TEST_SUITE_P(
    Catalogue, CommandTranslatorRows,
    ::testing::Values(
        Case{R"({"ops":"setIp","devId":"DEV9","isFixedIp":"1","ip":"10.0.0.5","gateway":"10.0.0.1","dns":"8.8.8.8"})",
             R"({"devId":"DEV9","dns":"8.8.8.8","fixedIp":"1","gw":"10.0.0.1","ip":"10.0.0.5","ops":"setIp"})",
             0xFFFFFFFFu, 9994},
        Case{R"({"ops":"setDevName","devId":"DEV1","name":"Stage L"})", R"({"name":"Stage L","ops":"setDevName"})",
             kDevIp, 9990},
        Case{R"({"ops":"setChName","devId":"DEV1","inOrOut":"1","ch":"03","name":"Vox"})",
             R"({"id":"3","name":"Vox","ops":"setChNameTx"})", kDevIp, 9990},
        Case{R"({"ops":"setChName","devId":"DEV1","inOrOut":"0","ch":2,"name":"In"})",
             R"({"id":"2","name":"In","ops":"setChNameRx"})", kDevIp, 9990},
        Case{R"({"ops":"setSampleRate","devId":"DEV1","val":"96000"})", R"({"ops":"setSampleRate","val":"96000"})",
             kDevIp, 9994},
        Case{R"({"ops":"setDelayUs","devId":"DEV1","us":2000})", R"({"ops":"setDelayUs","us":"2000"})", kDevIp, 9990},
        Case{R"({"ops":"setSampleByteNum","devId":"DEV1","sampleByteNum":"4","TAG":"x"})",
             R"({"TAG":"x","devId":"DEV1","ops":"setSampleByteNum","sampleByteNum":"4"})", kDevIp, 9990},
        Case{R"({"ops":"getAllPhyLevel","devId":"DEV1","inOrOut":"0","idStart":"8"})",
             R"({"idStart":"8","ops":"getAllPhyVolumeDbRx"})", kDevIp, 9990},
        Case{R"({"ops":"setPhyMute","devId":"DEV1","inOrOut":"2","id":"1","val":"1"})",
             R"({"id":"1","ops":"setPhyMuteTx","val":"1"})", kDevIp, 9990},
        Case{R"({"ops":"getAllNetLevel","devId":"DEV1","inOrOut":"1","idStart":"0"})",
             R"({"idStart":"0","ops":"getAllVolumeDbTx"})", kDevIp, 9990},
        Case{R"({"ops":"clrDelayStatMcast","devId":"DEV1","sdpId":"2"})", R"({"ops":"clrMcastStats","sdpId":"2"})",
             kDevIp, 9990},
        Case{R"({"ops":"setMcastTx","devId":"DEV1","name":"S","sdp":{"dstIp":"239.1.1.1"},"srcChIdArr":["0","1"]})",
             R"({"name":"S","ops":"setMcastTx","sdp":{"dstIp":"239.1.1.1"},"srcChIdArr":["0","1"]})", kDevIp, 9990},
        Case{R"({"ops":"clrRxCh","devId":"DEV1","dstChId":"007"})", R"({"dstChId":"7","ops":"clrRxCh"})", kDevIp, 9990},
        Case{R"({"ops":"getDebugInfo","devId":"DEV1"})", R"({"ops":"getDebugInfo"})", kDevIp, 9994},
        Case{R"({"ops":"setPower","devId":"DEV1","id":"0","val":"1"})", R"({"id":"0","ops":"setPower","val":"1"})",
             kDevIp, 9992},
        Case{R"({"ops":"sendUdpToUart","devId":"DEV1","cmd":"AT+X\r\n"})", "AT+X\r\n", kDevIp, 7999},
        Case{R"({"ops":"setCfg","devId":"DEV1","cfg":"a=1"})", R"({"cfg":"a=1","ops":"setCfg"})", kDevIp, 9993},
        Case{R"({"ops":"setGpioInfo","devId":"DEV1","index":"2","gpioInfo":{"dir":"out"}})",
             R"({"gpioInfo":{"dir":"out"},"index":"2","ops":"setGpioInfo"})", kDevIp, 9992}));

TEST(CommandTranslator, NothingToSendForUnknownCommandsDevicesAndGarbage)
{
    const CommandTranslator t(&knownDevice);
    EXPECT_FALSE(t.translate(R"({"ops":"setDevName","devId":"NOBODY","name":"x"})").isValid());
    EXPECT_FALSE(t.translate(R"({"ops":"noSuchCommand","devId":"DEV1"})").isValid());
    EXPECT_FALSE(t.translate(R"({"ops":"SetDevName","devId":"DEV1","name":"x"})").isValid()) << "case-sensitive";
    EXPECT_FALSE(t.translate("not json").isValid());
}

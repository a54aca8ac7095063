#include "DspEnvelope.h"

#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>

TEST(DspEnvelopeTest, TcpPutsTheDeviceIdFirstWithCommaSpace)
{
    EXPECT_EQ(DspEnvelope::tcp(QStringLiteral("A1"), QStringLiteral(R"({"ops":"setMute"})")),
              QStringLiteral(R"({"devId":"A1", "ops":"setMute"})"));
    const QString config =
        DspEnvelope::tcp(QStringLiteral("MRD-0001"), QStringLiteral(R"({"ops":"getConfig","uiTag":"dspUiTag"})"));
    EXPECT_EQ(config, QStringLiteral(R"({"devId":"MRD-0001", "ops":"getConfig","uiTag":"dspUiTag"})"));
    // Keys sorting before "devId" still follow it.
    EXPECT_EQ(DspEnvelope::tcp(QStringLiteral("A1"), QStringLiteral(R"({"a":"1","config":{"x":"2"}})")),
              QStringLiteral(R"({"devId":"A1", "a":"1","config":{"x":"2"}})"));
}

TEST(DspEnvelopeTest, TcpTextStaysValidJsonForAwkwardInput)
{
    // An identifier with a quote is escaped, and an empty request leaves no dangling comma.
    const QString quoted = DspEnvelope::tcp(QStringLiteral("a\"b"), QStringLiteral(R"({"ops":"x"})"));
    QJsonParseError error;
    const QJsonObject parsed = QJsonDocument::fromJson(quoted.toUtf8(), &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << quoted.toStdString();
    EXPECT_EQ(parsed.value(QStringLiteral("devId")).toString(), QStringLiteral("a\"b"));
    EXPECT_EQ(parsed.value(QStringLiteral("ops")).toString(), QStringLiteral("x"));

    EXPECT_EQ(DspEnvelope::tcp(QStringLiteral("A1"), QStringLiteral("{}")), QStringLiteral(R"({"devId":"A1"})"));
    EXPECT_EQ(DspEnvelope::tcp(QStringLiteral("A1"), QStringLiteral(" { } ")), QStringLiteral(R"({"devId":"A1"})"));
}

TEST(DspEnvelopeTest, UdpIsCompactWithSortedKeys)
{
    QJsonObject request;
    request.insert(QStringLiteral("uiTag"), QStringLiteral("dspUiTag"));
    request.insert(QStringLiteral("ops"), QStringLiteral("getVersion"));
    request.insert(QStringLiteral("cookie"), QStringLiteral("0"));
    EXPECT_EQ(DspEnvelope::udp(request), QStringLiteral(R"({"cookie":"0","ops":"getVersion","uiTag":"dspUiTag"})"));
}

TEST(DspEnvelopeTest, OnlyThePolledRequestsAreQuiet)
{
    EXPECT_TRUE(DspEnvelope::isPolledQuiet(QStringLiteral(R"({"ops":"getAutomixActive"})")));
    EXPECT_TRUE(DspEnvelope::isPolledQuiet(QStringLiteral(R"({"ops":"getAutomixVolumeDbPost","uiTag":"dspUiTag"})")));
    EXPECT_TRUE(DspEnvelope::isPolledQuiet(QStringLiteral(R"({"ops":"getBorderProcStatus"})")));
    EXPECT_FALSE(DspEnvelope::isPolledQuiet(QStringLiteral(R"({"ops":"getVolumeDb"})")));
    EXPECT_FALSE(DspEnvelope::isPolledQuiet(QStringLiteral(R"({"ops":"setAutomixActive"})")));
}

#include "DspEnvelope.h"

#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>

TEST(DspEnvelopeTest, TcpPutsTheDeviceIdFirstAndStaysValidJson)
{
    const struct
    {
        const char *devId, *request, *text;
    } cases[] = {
        {"A1", R"({"ops":"setMute"})", R"({"devId":"A1", "ops":"setMute"})"},
        {"A1", R"({"a":"1","config":{"x":"2"}})", R"({"devId":"A1", "a":"1","config":{"x":"2"}})"}, // keys before devId
        {"A1", "{}", R"({"devId":"A1"})"},                                                          // no dangling comma
        {"A1", " { } ", R"({"devId":"A1"})"},
        {"a\"b", R"({"ops":"x"})", R"({"devId":"a\"b", "ops":"x"})"}, // the quote is escaped
    };
    for (const auto& c : cases) {
        const QString text = DspEnvelope::tcp(QString::fromUtf8(c.devId), QString::fromUtf8(c.request));
        EXPECT_EQ(text, QString::fromUtf8(c.text)) << c.request;
        QJsonParseError error;
        QJsonDocument::fromJson(text.toUtf8(), &error);
        EXPECT_EQ(error.error, QJsonParseError::NoError) << text.toStdString();
    }
}

TEST(DspEnvelopeTest, UdpIsCompactWithSortedKeys)
{
    const QJsonObject request{{"uiTag", "dspUiTag"}, {"ops", "getVersion"}, {"cookie", "0"}};
    EXPECT_EQ(DspEnvelope::udp(request), QStringLiteral(R"({"cookie":"0","ops":"getVersion","uiTag":"dspUiTag"})"));
}

TEST(DspEnvelopeTest, OnlyThePolledRequestsAreQuiet)
{
    const struct
    {
        const char* request;
        bool quiet;
    } cases[] = {{R"({"ops":"getAutomixActive"})", true},
                 {R"({"ops":"getAutomixVolumeDbPost","uiTag":"dspUiTag"})", true},
                 {R"({"ops":"getBorderProcStatus"})", true},
                 {R"({"ops":"getVolumeDb"})", false},
                 {R"({"ops":"setAutomixActive"})", false}};
    for (const auto& c : cases)
        EXPECT_EQ(DspEnvelope::isPolledQuiet(QString::fromUtf8(c.request)), c.quiet) << c.request;
}

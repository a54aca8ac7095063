#include "McastForwarder.h"
#include "DevManager.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

namespace {

McastForward forward(const QByteArray& text, uint32_t srcIp = 0x0A4D000B)
{
    QByteArray copy = text;
    return forwardMcastDatagram(copy.constData(), copy.size(), srcIp); // QByteArray keeps a NUL behind
}

QJsonObject parse(const QString& text)
{
    return QJsonDocument::fromJson(text.toUtf8()).object();
}

} // namespace

TEST(McastForwarder, ClockEventCarriesOpsAndRemoteIpWhateverItsOps)
{
    const McastForward f = forward(R"({"ops":"somethingElse","event":"masterOffset","state":"2","offset":"-12"})");
    ASSERT_EQ(f.kind, McastForward::ClockEvent);
    EXPECT_FALSE(f.text.contains(' ')); // compact
    const QJsonObject o = parse(f.text);
    EXPECT_EQ(o.value("ops").toString(), "clockEvent");
    EXPECT_EQ(o.value("remoteIp").toString(), "10.77.0.11");
    EXPECT_EQ(o.value("event").toString(), "masterOffset");
    EXPECT_EQ(o.value("offset").toString(), "-12"); // other members travel on
}

TEST(McastForwarder, BlinkRequestNamesTheDeviceOtherTrafficNeedsNothing)
{
    const struct
    {
        const char* text;
        McastForward::Kind kind;
        const char* forwarded;
    } cases[] = {
        {R"({"ops":"devReqGuiBlink","devId":"MD0A4D000B"})", McastForward::Blink, "MD0A4D000B"},
        {R"({"ops":"devreqguiblink","devId":"x"})", McastForward::None, ""}, // case-sensitive
        {R"({"ops":"iAmVeranto","devId":"a"})", McastForward::None, ""},
        {R"({"ops":"updateRoute"})", McastForward::None, ""},
        {R"({"event":""})", McastForward::None, ""},
        {"not json at all", McastForward::None, ""},
        {"", McastForward::None, ""},
    };
    for (const auto& c : cases) {
        const McastForward f = forward(c.text);
        EXPECT_EQ(f.kind, c.kind) << c.text;
        if (c.kind != McastForward::None) {
            EXPECT_EQ(f.text, c.forwarded) << c.text;
        }
    }
}

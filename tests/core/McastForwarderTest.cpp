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

TEST(McastForwarder, BlinkRequestNamesTheDevice)
{
    const McastForward f = forward(R"({"ops":"devReqGuiBlink","devId":"MD0A4D000B"})");
    EXPECT_EQ(f.kind, McastForward::Blink);
    EXPECT_EQ(f.text, "MD0A4D000B");
    // The operation name is case-sensitive.
    EXPECT_EQ(forward(R"({"ops":"devreqguiblink","devId":"x"})").kind, McastForward::None);
}

TEST(McastForwarder, RegistryTrafficAndGarbageNeedNothing)
{
    EXPECT_EQ(forward(R"({"ops":"iAmVeranto","devId":"a"})").kind, McastForward::None);
    EXPECT_EQ(forward(R"({"ops":"updateRoute"})").kind, McastForward::None);
    EXPECT_EQ(forward(R"({"event":""})").kind, McastForward::None);
    EXPECT_EQ(forward("not json at all").kind, McastForward::None);
    EXPECT_EQ(forward("").kind, McastForward::None);
}

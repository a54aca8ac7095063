#include "CtlTargets.h"

#include <gtest/gtest.h>

namespace {

/// Rows as the matrix lays them out: a stream, then devices with their transmit channels.
MatrixAxis rows()
{
    MatrixAxis a;
    a.appendGroup(true, "239.69.1.2", "Stage mix\r", 2, [](int c) { return QStringLiteral("CH%1").arg(c); });
    a.appendGroup(false, "MD01", "Stage box", 4, [](int c) {
        static const QStringList names = {"Vocal", "Guitar", "vocal", "Bass"};
        return names.at(c - 1);
    });
    a.appendGroup(false, "MD02", "Desk", 2, [](int c) { return QStringLiteral("NetOut%1").arg(c); });
    a.appendGroup(false, "MD03", "Desk", 2, [](int c) { return QStringLiteral("NetOut%1").arg(c); });
    a.appendGroup(false, "MD04", "Rack:A", 3, [](int c) { return QStringLiteral("NetOut%1").arg(c); });
    a.appendGroup(false, "MD05", "MD01", 1, [](int) { return QStringLiteral("Out"); });
    return a;
}

} // namespace

TEST(CtlTargetsTest, DevicesAndStreamsByIdOrName)
{
    const MatrixAxis a = rows();
    struct Case
    {
        const char* text;
        bool devicesOnly;
        CtlTargets::Status status;
        const char* id; ///< the header found, when Found
    };
    const Case cases[] = {
        {"MD01", false, CtlTargets::Found, "MD01"},
        {"Stage box", false, CtlTargets::Found, "MD01"},
        {"stage BOX", false, CtlTargets::Found, "MD01"}, // case is forgiven when unique
        {"239.69.1.2", false, CtlTargets::Found, "239.69.1.2"},
        {"Stage mix", false, CtlTargets::Found, "239.69.1.2"}, // the CR the SAP name kept need not be typed
        {"Stage mix\r", false, CtlTargets::Found, "239.69.1.2"},
        {"stage MIX", false, CtlTargets::Found, "239.69.1.2"},
        {"MD05", false, CtlTargets::Found, "MD05"}, // a devId wins over a device that carries it as its name
        {"Desk", false, CtlTargets::Ambiguous, ""},
        {"Nobody", false, CtlTargets::Unknown, ""},
        {"Stage mix", true, CtlTargets::Unknown, ""}, // streams cannot be named where only devices fit
        {"239.69.1.2", true, CtlTargets::Unknown, ""},
    };
    for (const Case& c : cases) {
        const CtlTargets::Result r = CtlTargets::header(a, c.text, c.devicesOnly);
        EXPECT_EQ(r.status, c.status) << c.text;
        if (c.status == CtlTargets::Found)
            EXPECT_EQ(a.at(r.position).id, c.id) << c.text;
        else
            EXPECT_TRUE(r.error.contains(c.status == CtlTargets::Ambiguous ? "MD03" : c.text)) << r.error.toStdString();
    }
}

TEST(CtlTargetsTest, ChannelsByNumberOrName)
{
    const MatrixAxis a = rows();
    const int box = a.headerOf("MD01");
    EXPECT_EQ(CtlTargets::channelOf(a, box, "1").position, box + 1);
    EXPECT_EQ(CtlTargets::channelOf(a, box, "4").position, box + 4);
    EXPECT_EQ(CtlTargets::channelOf(a, box, "Guitar").position, box + 2);
    EXPECT_EQ(CtlTargets::channelOf(a, box, "guitar").position, box + 2);
    // "Vocal" and "vocal" differ exactly, so each is found; ignoring case they clash.
    EXPECT_EQ(CtlTargets::channelOf(a, box, "Vocal").position, box + 1);
    EXPECT_EQ(CtlTargets::channelOf(a, box, "vocal").position, box + 3);
    EXPECT_EQ(CtlTargets::channelOf(a, box, "VOCAL").status, CtlTargets::Ambiguous);
    for (const char* bad : {"0", "5", "-1"}) {
        const CtlTargets::Result r = CtlTargets::channelOf(a, box, bad);
        EXPECT_EQ(r.status, CtlTargets::Unknown) << bad;
        EXPECT_TRUE(r.error.contains("1 to 4")) << r.error.toStdString();
    }
    EXPECT_EQ(CtlTargets::channelOf(a, box, "Drums").status, CtlTargets::Unknown);
}

TEST(CtlTargetsTest, NamesSplitWhereTheyFit)
{
    const MatrixAxis a = rows();
    EXPECT_EQ(CtlTargets::channel(a, "Stage box:Guitar").position, a.headerOf("MD01") + 2);
    EXPECT_EQ(CtlTargets::channel(a, "MD02:2").position, a.headerOf("MD02") + 2);
    EXPECT_EQ(CtlTargets::channel(a, "239.69.1.2:2").position, 2);
    // A name holding ':' still resolves: only one split names a device and a channel.
    EXPECT_EQ(CtlTargets::channel(a, "Rack:A:3").position, a.headerOf("MD04") + 3);
    EXPECT_EQ(CtlTargets::channel(a, "Desk:1").status, CtlTargets::Ambiguous);
    EXPECT_EQ(CtlTargets::channel(a, "Stage box").status, CtlTargets::Unknown);
    EXPECT_TRUE(CtlTargets::channel(a, "Stage box").error.contains("DEVICE:CHANNEL"));
    // The error of the plain reading is reported when nothing fits.
    const CtlTargets::Result r = CtlTargets::channel(a, "Stage box:9");
    EXPECT_EQ(r.status, CtlTargets::Unknown);
    EXPECT_TRUE(r.error.contains("no channel 9")) << r.error.toStdString();
    EXPECT_EQ(CtlTargets::channel(a, "Stage mix:1", true).status, CtlTargets::Unknown);
}

TEST(CtlTargetsTest, TwoReadingsOfOneNameAreRefused)
{
    MatrixAxis a;
    a.appendGroup(false, "A1", "X", 2, [](int c) { return c == 1 ? QStringLiteral("Y:1") : QStringLiteral("Z"); });
    a.appendGroup(false, "A2", "X:Y", 1, [](int) { return QStringLiteral("Main"); });
    // "X:Y:1" is channel "Y:1" of X and channel 1 of "X:Y".
    const CtlTargets::Result r = CtlTargets::channel(a, "X:Y:1");
    EXPECT_EQ(r.status, CtlTargets::Ambiguous);
    EXPECT_EQ(CtlTargets::channel(a, "X:Y:Main").position, a.headerOf("A2") + 1);
}

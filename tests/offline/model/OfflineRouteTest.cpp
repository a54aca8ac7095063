// The routing matrix on the offline design: axes and routes read from the model, and crosspoint clicks that make
// and remove routes there.
#include "OfflineTestDesign.h"

#include "OfflineDevice.h"
#include "OfflineRouteEdit.h"
#include "OfflineRouteSource.h"

#include <gtest/gtest.h>

namespace {

using Result = OfflineRouteEdit::Result;

class OfflineRouteTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (const char* name : {"Stage", "FOH", "Amp"}) {
            auto dev = OfflineDevice::fromType(OfflineTestDesign::type(QStringLiteral("MRD-A16"), 4, 2, 2, 2),
                                               design.newDeviceId(QStringLiteral("MRD-A16")), QLatin1String(name));
            ids << dev->devId();
            ASSERT_TRUE(design.addDevice(std::move(dev)));
        }
        OfflineMcast m;
        m.name = QStringLiteral("Band");
        m.dstIp = QStringLiteral("239.69.1.1");
        m.chNum = 2;
        m.srcDevId = ids[0];
        m.srcChannels = {1, 0};
        ASSERT_TRUE(design.addMcast(m));
    }

    std::vector<RouteEntry> routes()
    {
        OfflineRouteSource source(design);
        std::vector<RouteEntry> r;
        QSet<QPair<QString, QString>> pairs;
        source.collectRoutes(&r, &pairs);
        return r;
    }

    OfflineData design;
    QStringList ids; ///< Stage, FOH, Amp
};

TEST_F(OfflineRouteTest, AxesListStreamsThenSendersAndReceiversByName)
{
    OfflineRouteSource source(design);
    MatrixAxis rows;
    MatrixAxis cols;
    source.buildAxes(&rows, &cols);
    // Stream header + 2, then Amp, FOH, Stage with 2 transmit channels each.
    ASSERT_EQ(rows.size(), 3 + 3 * 3);
    EXPECT_TRUE(rows.at(0).multicast);
    EXPECT_EQ(rows.at(0).id, QStringLiteral("239.69.1.1"));
    EXPECT_EQ(rows.at(3).name, QStringLiteral("Amp"));
    EXPECT_EQ(rows.at(9).name, QStringLiteral("Stage"));
    EXPECT_EQ(rows.label(10), QStringLiteral("Stage:NetOut1"));
    ASSERT_EQ(cols.size(), 3 * 5);
    EXPECT_EQ(cols.label(cols.indexOf(ids[1], 4)), QStringLiteral("FOH:NetIn4"));
}

// Each step clicks one crosspoint; the routes the matrix then shows are compared as text.
TEST_F(OfflineRouteTest, ClicksMakeReplaceAndRemoveRoutes)
{
    struct Step
    {
        bool multicast;
        const char* send; ///< "0".."2" for a device, or the stream address
        int sendCh;
        int recv;
        int recvCh;
        Result result;
        const char* shown; ///< every route afterwards: "send:ch>recv:ch" with devices by index
    };
    const Step steps[] = {
        {false, "0", 1, 1, 1, Result::Added, "0:1>1:1"},
        {false, "0", 2, 1, 1, Result::Added, "0:2>1:1"}, // one source per receive channel
        {true, "239.69.1.1", 2, 1, 2, Result::Added, "0:2>1:1 239.69.1.1:2>1:2"},
        {true, "239.69.1.1", 1, 1, 1, Result::Added, "239.69.1.1:1>1:1 239.69.1.1:2>1:2"},
        {true, "239.69.1.1", 2, 1, 2, Result::Removed, "239.69.1.1:1>1:1"},
        {false, "2", 1, 0, 4, Result::Added, "239.69.1.1:1>1:1 2:1>0:4"},
        {false, "2", 3, 0, 1, Result::Refused, "239.69.1.1:1>1:1 2:1>0:4"}, // no transmit channel 3
        {false, "2", 1, 0, 5, Result::Refused, "239.69.1.1:1>1:1 2:1>0:4"}, // no receive channel 5
        {true, "239.69.9.9", 1, 0, 1, Result::Refused, "239.69.1.1:1>1:1 2:1>0:4"},
        {false, "2", 1, 0, 4, Result::Removed, "239.69.1.1:1>1:1"},
    };
    auto idOf = [&](const QString& t) { return t.contains(QLatin1Char('.')) ? t : ids.value(t.toInt()); };
    auto shortId = [&](const QString& id) { return ids.contains(id) ? QString::number(ids.indexOf(id)) : id; };
    for (const Step& st : steps) {
        EXPECT_EQ(OfflineRouteEdit::toggle(design, st.multicast, idOf(QLatin1String(st.send)), st.sendCh, ids[st.recv],
                                           st.recvCh),
                  st.result)
            << st.send << ":" << st.sendCh << ">" << st.recv << ":" << st.recvCh;
        QStringList shown;
        for (const RouteEntry& r : routes())
            shown << QStringLiteral("%1:%2>%3:%4")
                         .arg(shortId(r.sendId))
                         .arg(r.sendChannel)
                         .arg(shortId(r.recvId))
                         .arg(r.recvChannel);
        shown.sort();
        EXPECT_EQ(shown.join(QLatin1Char(' ')).toStdString(), st.shown) << "after " << st.send << ":" << st.sendCh;
    }
    // The stream's second channel is the sender's first transmit channel: the route stores the sender's channel.
    const std::optional<OfflineDevice> foh = design.device(ids[1]);
    ASSERT_TRUE(foh.has_value());
    ASSERT_EQ(foh->mcastRoutes().size(), 1);
    EXPECT_EQ(foh->mcastRoutes()[0].srcChId, 1);
    EXPECT_EQ(foh->mcastRoutes()[0].mcastName, QStringLiteral("Band"));
}

TEST_F(OfflineRouteTest, RemovingASenderLeavesNoRouteToShow)
{
    ASSERT_EQ(OfflineRouteEdit::toggle(design, false, ids[0], 1, ids[1], 1), Result::Added);
    ASSERT_EQ(OfflineRouteEdit::toggle(design, true, QStringLiteral("239.69.1.1"), 1, ids[2], 2), Result::Added);
    ASSERT_TRUE(design.removeDevice(ids[0]));
    EXPECT_TRUE(routes().empty()) << "its unicast routes and its stream's routes went with it";
}

} // namespace

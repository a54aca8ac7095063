#include "CellRouteForm.h"
#include "DevDetailStore.h"
#include "RegistryRouteSource.h"
#include "RouteUiTestSupport.h"

#include <QGraphicsView>
#include <QImage>
#include <QJsonDocument>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <cstring>

namespace {

void announceDev(const QString& devId, const QString& name, const QString& ip, int tx, int rx)
{
    regfeed::announce(
        devId, name, ip,
        QJsonObject{{"chNumTx", QString::number(tx)}, {"chNumRx", QString::number(rx)}, {"mcastNumRx", "2"}});
    DevDetailStore::instance().addFromRegistry(devId);
    // Slots are reused between tests and these tests write tables directly: start from empty tables.
    DevTables& t = findDevById(devId.toUtf8().constData())->tables;
    std::memset(t.rxChMapBiased, 0, sizeof t.rxChMapBiased);
    std::memset(t.rtpCh, 0, sizeof(RtpChEntry) * 64);
    std::memset(t.mcastRx, 0, sizeof(RxStreamEntry) * 8);
}

void announceStream(const QString& group, int channels, int port)
{
    regfeed::sapStream("192.168.1.50", "Stage", group, channels, port);
}

DevRecord* rec(const char* devId)
{
    return findDevById(devId);
}

/// Unicast route: receive channel `dstCh` of `rx` fed through RTP channel `rtp` from `srcCh` of `src`.
void routeUnicast(const char* rx, int dstCh, int rtp, const char* src, int srcCh)
{
    DevTables& t = rec(rx)->tables;
    t.setRxChMap(dstCh, rtp);
    std::strncpy(t.rtpCh[rtp].srcDevId, src, DVM_NAME_LEN - 1);
    t.rtpCh[rtp].setSrcChId(srcCh);
}

void routeMulticast(const char* rx, int dstCh, int rtp, int slot, const char* group, int srcCh)
{
    DevTables& t = rec(rx)->tables;
    t.setRxChMap(dstCh, rtp);
    t.rtpCh[rtp].setSrcChId(srcCh);
    t.mcastRx[slot].stream.dstIp = dvm_parseIp(group);
    t.mcastRx[slot].setRtpChId(0, rtp);
}

// Rows: stream header 0, channels 1-2; Alpha header 3, channels 4-7; Bravo header 8, channels 9-12.
// Columns: Alpha header 0, channels 1-4; Bravo header 5, channels 6-9.
class MatrixFormTest : public routeuitest::WidgetTest
{
protected:
    MatrixFormTest()
    {
        dvm_resetForTest();
        DevDetailStore::instance().clear();
        announceDev("MRD-A", "Alpha", "192.168.1.10", 4, 4);
        announceDev("MRD-B", "Bravo", "192.168.1.11", 4, 4);
        announceStream("239.1.1.1", 2, 5004);
        routeUnicast("MRD-B", 0, 5, "MRD-A", 1);          // Alpha out 2 -> Bravo in 1
        routeMulticast("MRD-A", 2, 7, 0, "239.1.1.1", 1); // stream ch 2 -> Alpha in 3
        form.reset(new CellRouteForm);
        form->setPrompter([this](bool ask, const QString& text) {
            prompts << (ask ? QStringLiteral("A:") : QStringLiteral("I:")) + text;
            return answer;
        });
    }
    ~MatrixFormTest() override
    {
        form.reset();
        DevDetailStore::instance().clear();
        dvm_resetForTest();
    }
    void click(int row, int col)
    {
        const int s = form->cellSize();
        form->slot_cellSceneMousePressed(col * s + s / 2, row * s + s / 2);
    }

    std::unique_ptr<CellRouteForm> form;
    QStringList prompts;
    bool answer = true;
};

} // namespace

TEST_F(MatrixFormTest, AxesInOrder)
{
    ASSERT_EQ(form->rowCount(), 13);
    ASSERT_EQ(form->columnCount(), 10);
    EXPECT_TRUE(form->rows().at(0).multicast);
    EXPECT_EQ(form->rows().at(0).id, "239.1.1.1");
    EXPECT_EQ(form->rows().at(0).name, "Stage") << "without the CR of the s= line";
    EXPECT_EQ(form->rows().at(2).channel, 2);
    EXPECT_EQ(form->rows().at(3).id, "MRD-A");
    EXPECT_EQ(form->rows().at(12).secondName, "NetOut4");
    EXPECT_EQ(form->columns().at(5).id, "MRD-B");
    EXPECT_EQ(form->columns().at(6).secondName, "NetIn1");
}

TEST_F(MatrixFormTest, RouteMarksFromRegistry)
{
    // Unicast: the channel cell and both header crossings.
    EXPECT_EQ(form->cellTag(5, 6, 2), "checked");
    EXPECT_EQ(form->window().at(5, 6)->state, 2);
    EXPECT_TRUE(form->window().at(3, 6)->checked);
    EXPECT_TRUE(form->window().at(5, 5)->checked);
    EXPECT_EQ(form->cellTag(3, 6, 3), "gray");
    // Multicast through the receive stream's RTP slots.
    EXPECT_EQ(form->cellTag(2, 3, 2), "checked");
    EXPECT_TRUE(form->window().at(0, 3)->checked);
    EXPECT_TRUE(form->window().at(2, 0)->checked);
    // Header pairs sharing a route, and one that does not.
    EXPECT_TRUE(form->window().at(3, 5)->pairRouted);
    EXPECT_TRUE(form->window().at(0, 0)->pairRouted);
    EXPECT_FALSE(form->window().at(8, 0)->pairRouted);
    EXPECT_FALSE(form->window().at(3, 0)->pairRouted);
    // Neighbours stay free.
    EXPECT_EQ(form->cellTag(4, 6, 2), "");
    EXPECT_EQ(form->cellTag(4, 6, 0), "route");
    EXPECT_FALSE(form->window().at(4, 5)->checked);
    EXPECT_FALSE(form->window().at(8, 6)->checked);
}

TEST_F(MatrixFormTest, RoutesFollowTheRegistryOnRefresh)
{
    rec("MRD-B")->tables.setRxChMap(0, -1);
    routeUnicast("MRD-B", 3, 6, "MRD-B", 0); // Bravo loops out 1 -> in 4
    form->refreshRoute();
    EXPECT_EQ(form->cellTag(5, 6, 2), "");
    EXPECT_FALSE(form->window().at(3, 5)->pairRouted);
    EXPECT_EQ(form->cellTag(9, 9, 2), "checked");
    EXPECT_TRUE(form->window().at(8, 5)->pairRouted);
}

TEST_F(MatrixFormTest, UnknownSourcesAndEmptyGroupsAddNothing)
{
    routeUnicast("MRD-B", 1, 8, "MRD-GONE", 0);
    routeMulticast("MRD-B", 2, 9, 1, "0.0.0.0", 0);
    RegistryRouteSource source;
    std::vector<RouteEntry> routes;
    QSet<QPair<QString, QString>> pairs;
    source.collectRoutes(&routes, &pairs);
    EXPECT_EQ(routes.size(), 2u);
    EXPECT_FALSE(pairs.contains(qMakePair(QStringLiteral("0.0.0.0"), QStringLiteral("MRD-B"))));
    EXPECT_FALSE(pairs.contains(qMakePair(QStringLiteral("MRD-GONE"), QStringLiteral("MRD-B"))));
    EXPECT_EQ(pairs.size(), 2);
}

TEST_F(MatrixFormTest, SourceChannelsNoTableCanHoldAddNoRoute)
{
    // Numbered from 1 for the matrix, INT_MAX would wrap; INT_MIN and DVM_TABLE_SIZE are as impossible.
    RegistryRouteSource source;
    auto routeCount = [&source] {
        std::vector<RouteEntry> routes;
        QSet<QPair<QString, QString>> pairs;
        source.collectRoutes(&routes, &pairs);
        return routes.size();
    };
    const size_t before = routeCount();
    for (const int bad : {INT_MAX, INT_MIN, -2, int(DVM_TABLE_SIZE)}) {
        routeUnicast("MRD-B", 3, 20, "MRD-A", bad);
        EXPECT_EQ(routeCount(), before) << bad;
    }
    routeUnicast("MRD-B", 3, 20, "MRD-A", 3);
    EXPECT_EQ(routeCount(), before + 1) << "the same route with a real source channel counts";
}

TEST_F(MatrixFormTest, HeaderClickExpandsAndCollapsesBoth)
{
    EXPECT_EQ(form->cellTag(3, 5, 222), "increase");
    click(3, 5);
    EXPECT_TRUE(form->isSendExpanded("MRD-A"));
    EXPECT_TRUE(form->isRecvExpanded("MRD-B"));
    EXPECT_EQ(form->cellTag(3, 5, 111), "decrease");
    click(3, 5);
    EXPECT_FALSE(form->isSendExpanded("MRD-A"));
    EXPECT_FALSE(form->isRecvExpanded("MRD-B"));
    // One side expanded through its list: the crossing collapses both.
    form->slot_toggleRecv(5);
    EXPECT_TRUE(form->isRecvExpanded("MRD-B"));
    EXPECT_EQ(form->cellTag(3, 5, 111), "decrease");
    click(3, 5);
    EXPECT_FALSE(form->isSendExpanded("MRD-A"));
    EXPECT_FALSE(form->isRecvExpanded("MRD-B"));
    EXPECT_TRUE(prompts.isEmpty());
}

TEST_F(MatrixFormTest, ExpandedSetsSurviveRebuildAndTitlesFollow)
{
    EXPECT_TRUE(form->sendListTitle().startsWith("+ "));
    form->on_pb_sendList_clicked();
    EXPECT_TRUE(form->sendListTitle().startsWith("- "));
    announceDev("MRD-C", "Charlie", "192.168.1.12", 2, 2);
    form->resetData();
    EXPECT_TRUE(form->isSendExpanded("MRD-A"));
    EXPECT_TRUE(form->sendListTitle().startsWith("+ ")); // Charlie is new and collapsed
    form->on_pb_sendList_clicked();
    form->on_pb_sendList_clicked();
    EXPECT_FALSE(form->isSendExpanded("MRD-A"));
    EXPECT_FALSE(form->isSendExpanded("239.1.1.1"));
}

TEST_F(MatrixFormTest, AtDifferentRatesARoutedCellClearsAndAFreeOneIsRefused)
{
    DevDetailStore::instance().updateDevDetail("MRD-B", [](DevDetail_t& d) { d.sampleRate = 96000; });
    QSignalSpy spy(form.get(), &CellRouteForm::signal_sendUdp);
    click(4, 7);
    EXPECT_EQ(spy.count(), 0);
    EXPECT_EQ(prompts, QStringList{"I:采样率不同不能创建路由"});
    EXPECT_EQ(form->cellTag(4, 7, 1), "");
    click(5, 6);
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).toString(), R"({"dstChId":"0","ops":"clrRxCh"})");
    EXPECT_EQ(spy.at(0).at(1).toString(), "MRD-B");
    EXPECT_EQ(form->cellTag(5, 6, 1), "checking");
    EXPECT_EQ(form->cellTag(5, 6, 2), "");
    form->refreshRoute();
    EXPECT_EQ(form->cellTag(5, 6, 1), "");
    EXPECT_EQ(form->cellTag(5, 6, 2), "checked");
}

TEST_F(MatrixFormTest, FreeCellClickAsksAndSends)
{
    QSignalSpy spy(form.get(), &CellRouteForm::signal_sendUdp);
    // Bravo in 4 is free; Alpha announces no unicast transmit slots, so the capacity question comes.
    click(6, 9);
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(QJsonDocument::fromJson(spy.at(0).at(0).toString().toUtf8()).object(),
              QJsonObject({{"ops", "setUcastRx"}, {"srcDevId", "MRD-A"}, {"srcChId", "2"}, {"dstChId", "3"}}));
    ASSERT_EQ(prompts.size(), 1);
    EXPECT_TRUE(prompts.at(0).startsWith("A:The device streams"));
    // Replacing the existing route into Bravo in 1 names its source; No sends nothing.
    answer = false;
    prompts.clear();
    click(4, 6);
    EXPECT_EQ(spy.count(), 1);
    EXPECT_EQ(prompts.size(), 1); // the capacity question already stops
    answer = true;
    prompts.clear();
    click(4, 6);
    ASSERT_EQ(prompts.size(), 2);
    EXPECT_EQ(prompts.at(1), "A:Current receiving channel already has a route:Alpha:NetOut2,Whether to replace?");
    EXPECT_EQ(spy.count(), 2);
}

TEST_F(MatrixFormTest, OldFirmwareRefusesOtherPort)
{
    announceStream("239.1.1.2", 2, 5006); // sorts after 239.1.1.1 by name tie: rows 3-5 now
    DevDetailStore::instance().updateDevDetail("MRD-B", [](DevDetail_t& d) { d.firmwareVersion = "3.1.10.0"; });
    form->resetData();
    const int row = form->rows().indexOf("239.1.1.2", 1);
    ASSERT_GE(row, 0);
    QSignalSpy spy(form.get(), &CellRouteForm::signal_sendUdp);
    click(row, 7);
    EXPECT_EQ(spy.count(), 0);
    ASSERT_FALSE(prompts.isEmpty());
    EXPECT_EQ(prompts.last(), "I:Receiving multicast on non-5004 port, please upgrade firmware");
    // The same receiver takes the 5004 stream.
    prompts.clear();
    click(form->rows().indexOf("239.1.1.1", 1), 7);
    ASSERT_EQ(spy.count(), 1);
    const QJsonObject req = QJsonDocument::fromJson(spy.at(0).at(0).toString().toUtf8()).object();
    EXPECT_EQ(req.value("ops").toString(), "setMcastRx");
    EXPECT_EQ(req.value("sdp").toObject().value("dstIp").toString(), "239.1.1.1");
    EXPECT_EQ(spy.at(0).at(1).toString(), "MRD-B");
}

TEST_F(MatrixFormTest, HoverToolTipAndLeave)
{
    const int s = form->cellSize();
    form->slot_cellSceneMouseMoved(6 * s + 1, 5 * s + 1);
    EXPECT_EQ(form->hoverToolTip(), "Alpha:NetOut2->Bravo:NetIn1");
    EXPECT_EQ(form->window().hoverRow, 5);
    form->slot_cellSceneMouseMoved(0, 3 * s);
    EXPECT_EQ(form->hoverToolTip(), "Alpha->Alpha");
    form->slot_cellSceneMouseMoved(100 * s, 1);
    EXPECT_EQ(form->hoverToolTip(), "");
    EXPECT_EQ(form->window().hoverRow, -1);
}

TEST_F(MatrixFormTest, DoubleClicksOpenWindows)
{
    QSignalSpy dev(form.get(), &CellRouteForm::signal_showDevWindow);
    QSignalSpy mcast(form.get(), &CellRouteForm::signal_showMcastWindow);
    form->slot_sendDoubleClicked(0);
    form->slot_sendDoubleClicked(3);
    form->slot_sendDoubleClicked(4); // a channel: nothing
    form->slot_recvDoubleClicked(5);
    ASSERT_EQ(mcast.count(), 1);
    EXPECT_EQ(mcast.at(0).at(0).value<uint32_t>(), dvm_parseIp("239.1.1.1"));
    ASSERT_EQ(dev.count(), 2);
    EXPECT_EQ(dev.at(0).at(0).toString(), "MRD-A");
    EXPECT_EQ(dev.at(1).at(0).toString(), "MRD-B");
}

namespace {
/// The colour of the middle of a header entry's background, away from its arrow and text.
QColor stripBackground(CellRouteForm& form, const char* strip, int pos)
{
    auto* w = form.findChild<QWidget*>(QString::fromLatin1(strip));
    const QImage img = w->grab().toImage();
    const int s = form.cellSize();
    const bool vertical = w->height() > w->width();
    const QPoint p = vertical ? QPoint(img.width() - 1, pos * s + s / 2) : QPoint(pos * s + s / 2, 1);
    return img.pixelColor(p);
}
} // namespace

TEST_F(MatrixFormTest, IdentifiedDeviceBlinksInBothLists)
{
    form->resize(900, 600);
    form->show();
    const QColor blink(0x0a, 0x84, 0xc6);
    // Alpha: send header row 3, receive header column 0; Bravo: row 8, column 5.
    struct Probe
    {
        const char* strip;
        int pos;
        bool alpha;
    };
    const Probe probes[] = {{"send_strip", 3, true},
                            {"recv_strip", 0, true},
                            {"send_strip", 8, false},
                            {"recv_strip", 5, false},
                            {"send_strip", 4, false}};
    auto expectLit = [&](bool alphaLit, const char* when) {
        for (const Probe& p : probes)
            EXPECT_EQ(stripBackground(*form, p.strip, p.pos) == blink, alphaLit && p.alpha)
                << when << ": " << p.strip << " " << p.pos;
    };
    expectLit(false, "before");
    form->setDeviceBlinking("MRD-A", true);
    expectLit(true, "started");
    // The phase flips by itself, and the device's header keeps blinking through a rebuild.
    QTRY_VERIFY_WITH_TIMEOUT(!form->isBlinkLit(), 3 * CellRouteForm::kBlinkMs);
    expectLit(false, "dark phase");
    QTRY_VERIFY_WITH_TIMEOUT(form->isBlinkLit(), 3 * CellRouteForm::kBlinkMs);
    form->resetData();
    expectLit(true, "after a rebuild");
    form->setDeviceBlinking("MRD-A", false);
    expectLit(false, "stopped");
    EXPECT_FALSE(form->isBlinkLit());

    // A device that blinks before it is listed blinks once it appears.
    form->setDeviceBlinking("MRD-C", true);
    announceDev("MRD-C", "Charlie", "192.168.1.12", 2, 2);
    form->resetData();
    const int row = form->rows().headerOf("MRD-C");
    ASSERT_GE(row, 0);
    EXPECT_EQ(stripBackground(*form, "send_strip", row), blink);
    EXPECT_NE(stripBackground(*form, "send_strip", 3), blink);
}

TEST_F(MatrixFormTest, LargeViewPaintsAndClicksItsLastVisibleCell)
{
    announceDev("MRD-W1", "Wide1", "192.168.1.20", 64, 64);
    announceDev("MRD-W2", "Wide2", "192.168.1.21", 64, 64);
    form->resetData();
    ASSERT_GT(form->rowCount(), 130);
    ASSERT_GT(form->columnCount(), 130);
    auto* view = form->findChild<QGraphicsView*>();
    ASSERT_NE(view, nullptr);
    const int s = form->cellSize();
    struct Case
    {
        QSize size;
        int scrollRow;
        int scrollCol;
    };
    // A wide view over two screens, a portrait screen, and the wide view scrolled off a block boundary.
    for (const Case& c : {Case{{2000, 1300}, 0, 0}, Case{{1080, 1920}, 0, 0}, Case{{2000, 1300}, 25, 17}}) {
        SCOPED_TRACE(testing::Message() << c.size.width() << "x" << c.size.height() << " at " << c.scrollRow);
        form->resize(c.size);
        form->show();
        QCoreApplication::processEvents();
        form->scrollToRow(c.scrollRow);
        form->scrollToColumn(c.scrollCol);
        const int v = view->verticalScrollBar()->value();
        const int h = view->horizontalScrollBar()->value();
        const QSize shown = view->viewport()->size();
        int row = qMin(form->rowCount() - 1, (v + shown.height() - 1) / s);
        int col = qMin(form->columnCount() - 1, (h + shown.width() - 1) / s);
        ASSERT_TRUE(row - v / s >= 60 || col - h / s >= 100) << "the view must show more than 60 x 100 cells";
        EXPECT_TRUE(form->window().contains(row, col));
        EXPECT_LE(form->window().rows, shown.height() / s + 2 * 10 + 1) << "the window stays near what is shown";
        EXPECT_LE(form->window().cols, qMax(100, shown.width() / s + 2 * 10 + 1));

        const QImage img = view->viewport()->grab().toImage();
        EXPECT_NE(img.pixelColor(img.width() - 2, img.height() - 2), QColor(0x1A, 0x1B, 0x1F))
            << "the corner cell is painted, not left as background";

        // Headers take no route: click the last visible channel by channel cell.
        if (form->rows().at(row).channel == 0)
            --row;
        if (form->columns().at(col).channel == 0)
            --col;
        QSignalSpy spy(form.get(), &CellRouteForm::signal_sendUdp);
        click(row, col);
        EXPECT_EQ(spy.count(), 1);
        EXPECT_EQ(form->cellTag(row, col, 1), "checking");
    }
}

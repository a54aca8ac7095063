#include "AppState.h"
#include "CellRouteForm.h"
#include "MatrixAxis.h"
#include "RouteUiTestSupport.h"

#include <QGraphicsView>
#include <QScrollBar>
#include <QSignalSpy>

namespace {

/// A large matrix without a registry: `devs` devices of `ch` channels each side; device d's receive channel c
/// is fed by device (d + 1) % devs, channel c.
class GridSource : public RouteSource
{
public:
    GridSource(int devs, int ch) : m_devs(devs), m_ch(ch) {}
    void buildAxes(MatrixAxis* rows, MatrixAxis* cols) override
    {
        rows->clear();
        cols->clear();
        for (int d = 0; d < m_devs; ++d) {
            const QString id = QStringLiteral("D%1").arg(d);
            rows->appendGroup(false, id, id, m_ch, [](int c) { return QString::number(c); });
            cols->appendGroup(false, id, id, m_ch, [](int c) { return QString::number(c); });
        }
    }
    void collectRoutes(std::vector<RouteEntry>* routes, QSet<QPair<QString, QString>>* pairs) override
    {
        routes->clear();
        pairs->clear();
        for (int d = 0; d < m_devs; ++d) {
            const QString src = QStringLiteral("D%1").arg((d + 1) % m_devs);
            const QString dst = QStringLiteral("D%1").arg(d);
            pairs->insert(qMakePair(src, dst));
            for (int c = 1; c <= m_ch; ++c)
                routes->push_back({src, c, dst, c});
        }
    }

private:
    int m_devs;
    int m_ch;
};

class MatrixWindowTest : public routeuitest::WidgetTest
{
protected:
    MatrixWindowTest() : form(nullptr, std::unique_ptr<RouteSource>(new GridSource(40, 8))) {}
    /// Row of device d's channel c (1-based); the same for columns.
    static int pos(int d, int c) { return d * 9 + c; }
    CellRouteForm form;
};

} // namespace

TEST_F(MatrixWindowTest, WindowIsBoundedAndFollowsTheScrollInBlocks)
{
    ASSERT_EQ(form.rowCount(), 360);
    ASSERT_EQ(form.columnCount(), 360);
    EXPECT_EQ(form.window().rows, 60);
    EXPECT_EQ(form.window().cols, 100);
    EXPECT_EQ(form.window().cells.size(), 6000);
    form.resize(600, 400);
    form.show();
    form.scrollToRow(205);
    form.scrollToColumn(195);
    EXPECT_EQ(form.window().row0, 200);
    EXPECT_EQ(form.window().col0, 190);
    EXPECT_TRUE(form.window().contains(259, 289));
    EXPECT_FALSE(form.window().contains(260, 250));
    EXPECT_FALSE(form.window().contains(199, 250));
    // Device 15's channels (rows 136..143) feed device 14 (columns 127..134): outside the window.
    EXPECT_EQ(form.cellTag(pos(15, 1), pos(14, 1), 2), "");
    // Device 23 (rows 208..215) feeds device 22 (columns 199..206), inside.
    EXPECT_EQ(form.cellTag(pos(23, 3), pos(22, 3), 2), "checked");
    EXPECT_EQ(form.cellTag(pos(23, 3), pos(22, 4), 2), "");
    EXPECT_TRUE(form.window().at(pos(23, 0), pos(22, 5))->checked);
    EXPECT_TRUE(form.window().at(pos(23, 5), pos(22, 0) + 0)->kind == WindowCell::Gray);
    form.scrollToRow(0);
    form.scrollToColumn(0);
    EXPECT_EQ(form.window().row0, 0);
    EXPECT_EQ(form.cellTag(pos(1, 2), pos(0, 2), 2), "checked");
    EXPECT_TRUE(form.window().at(pos(1, 0), pos(0, 0))->pairRouted);
    EXPECT_FALSE(form.window().at(pos(0, 0), pos(1, 0))->pairRouted);
}

TEST_F(MatrixWindowTest, ClickAndHoverMapArithmetically)
{
    form.resize(600, 400);
    form.show();
    form.scrollToRow(300);
    form.scrollToColumn(300);
    const int s = form.cellSize();
    form.slot_cellSceneMouseMoved(pos(34, 2) * s + s - 1, pos(38, 7) * s);
    EXPECT_EQ(form.hoverToolTip(), "D38:7->D34:2");
    // A header crossing far down the grid toggles that pair only.
    form.slot_cellSceneMousePressed(pos(35, 0) * s, pos(36, 0) * s);
    EXPECT_TRUE(form.isSendExpanded("D36"));
    EXPECT_TRUE(form.isRecvExpanded("D35"));
    EXPECT_FALSE(form.isSendExpanded("D35"));
    // Outside the grid nothing happens.
    form.slot_cellSceneMousePressed(360 * s + 1, 2);
    form.slot_cellSceneMousePressed(-5, 2);
    EXPECT_TRUE(form.isSendExpanded("D36"));
}

TEST(MatrixAxisTest, FindAndIndexOf)
{
    MatrixAxis axis;
    axis.appendGroup(true, "239.0.0.1", "Stage", 2, [](int c) { return QStringLiteral("CH%1").arg(c); });
    axis.appendGroup(false, "MRD-1", "Console", 3, [](int c) { return QStringLiteral("Out %1").arg(c); });
    EXPECT_EQ(axis.size(), 7);
    EXPECT_EQ(axis.indexOf("MRD-1", 3), 6);
    EXPECT_EQ(axis.indexOf("MRD-1", 4), -1);
    EXPECT_EQ(axis.indexOf("nobody", 0), -1);
    EXPECT_EQ(axis.channelCount(3), 3);
    EXPECT_EQ(axis.find("console"), 3);
    EXPECT_EQ(axis.find("console:out 2"), 5);
    EXPECT_EQ(axis.find("CH", 3), 1); // wraps round
    EXPECT_EQ(axis.find("  "), -1);
    EXPECT_EQ(axis.label(1), "Stage:CH1");
}

TEST(MatrixWindowSpanTest, CoversWhatIsShownInWholeBlocks)
{
    struct Case
    {
        int total, offsetPx, viewPx, cellPx, minCells;
        MatrixWindow::Span want;
    };
    const Case cases[] = {
        {50, 0, 400, 16, 60, {0, 50}},           // fits: everything
        {360, 0, 400, 16, 60, {0, 60}},          // small view: the minimum
        {360, 16 * 9, 400, 16, 60, {0, 60}},     // rows 9..33 shown, still the first block
        {360, 16 * 19, 960, 16, 60, {10, 70}},   // rows 19..78 shown: 60 would stop at 69
        {360, 0, 1800, 16, 60, {0, 120}},        // portrait view: 112.5 rows shown
        {360, 16 * 355, 400, 16, 60, {350, 10}}, // at the end: clipped to the axis
        {360, 16 * 400, 400, 16, 60, {359, 1}},  // past the end (a stale scroll value)
        {0, 0, 400, 16, 60, {0, 0}},
        {360, -50, -10, 0, 60, {0, 60}}, // nonsense input stays in range
    };
    for (const Case& c : cases) {
        const MatrixWindow::Span got = MatrixWindow::span(c.total, c.offsetPx, c.viewPx, c.cellPx, c.minCells);
        EXPECT_TRUE(got == c.want) << c.total << " " << c.offsetPx << " " << c.viewPx << ": got " << got.first << "+"
                                   << got.count;
    }
}

TEST_F(MatrixWindowTest, OfflineClicksGoToTheDesignAndNothingIsSent)
{
    const int mode = AppState::mode();
    AppState::setMode(AppState::kOfflineMode);
    QSignalSpy sent(&form, &CellRouteForm::signal_sendUdp);
    QStringList clicked;
    form.setOfflineClick([&](const AxisItem& send, const AxisItem& recv) {
        clicked << QStringLiteral("%1:%2>%3:%4").arg(send.id).arg(send.channel).arg(recv.id).arg(recv.channel);
        return true;
    });
    const int s = form.cellSize();
    form.slot_cellSceneMousePressed(pos(3, 2) * s + 1, pos(1, 1) * s + 1); // row D1 ch1, column D3 ch2
    form.slot_cellSceneMousePressed(pos(3, 0) * s + 1, pos(1, 1) * s + 1); // a header column: no route there
    EXPECT_EQ(clicked, QStringList{QStringLiteral("D1:1>D3:2")});
    EXPECT_EQ(sent.count(), 0);

    // The design replaces the registry as the source, and back.
    form.setRouteSource(std::unique_ptr<RouteSource>(new GridSource(2, 3)));
    EXPECT_EQ(form.rowCount(), 8);
    AppState::setMode(mode);
    form.setOfflineClick(nullptr);
}

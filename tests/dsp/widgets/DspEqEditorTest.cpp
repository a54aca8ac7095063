// The equaliser editors: band and filter edits reach the model, the controls, the curve and the device; refusals
// (lock, CPU limit, a too small Q, the device's "fail") leave the model as the device has it.
#include "DspWidgetTestSupport.h"

#include "CEqBlockItem.h"
#include "CHlpfItem.h"
#include "DspEqChartView.h"
#include "DspEqHlpBlockForm.h"
#include "DspEqSingleForm.h"
#include "EqBiquad.h"
#include "EqDragMapping.h"
#include "EqResponse.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <QtCharts/QCategoryAxis>
#include <QtCharts/QLineSeries>

#include <cmath>
#include <functional>
#include <map>
#include <string>

using namespace dsptest;

namespace {

// Input channel 1: delay, high-pass, equaliser, low-pass.
constexpr int kCh = 1;
constexpr int kHpf = 1;
constexpr int kEq = 2;
constexpr int kLpf = 3;

class DspEqEditorTest : public ::testing::Test
{
public:
    DspEqEditorTest()
    {
        app();
        resetAll();
        data.parse(DspDefaultConfig::reply(2, 2, 48000), QStringLiteral("3.2.0"));
        addBlocks(data, true, kCh, {CBaseItem::KindDelay, CBaseItem::KindHlpf, CBaseItem::KindEq, CBaseItem::KindHlpf});
        hpf()->setIsHpf(true);
        hpf()->setFreq0(80);
        hpf()->setOrder(2);
        lpf()->setIsHpf(false);
        lpf()->setFreq0(16000);
    }
    ~DspEqEditorTest() override { resetAll(); }

    void open(int blockIndex = kEq)
    {
        form = std::make_unique<DspEqHlpBlockForm>(&data, true, kCh, blockIndex);
        spy();
    }
    void spy()
    {
        QObject* o = form ? static_cast<QObject*>(form.get()) : single.get();
        sent = std::make_unique<QSignalSpy>(o, SIGNAL(signal_sendMsg(QString)));
        tips = std::make_unique<QSignalSpy>(o, SIGNAL(signal_showTips(QString, bool)));
        updates = std::make_unique<QSignalSpy>(o, SIGNAL(signal_updateUI(bool, int, int)));
    }

    CHlpfItem* hpf() const { return static_cast<CHlpfItem*>(data.input(kCh)->block(kHpf)); }
    CHlpfItem* lpf() const { return static_cast<CHlpfItem*>(data.input(kCh)->block(kLpf)); }
    CEqBlockItem* eq() const { return static_cast<CEqBlockItem*>(data.input(kCh)->block(kEq)); }
    QWidget* root() const { return form ? static_cast<QWidget*>(form.get()) : single.get(); }
    template <typename T> T* control(const QString& name) const
    {
        T* w = root()->findChild<T*>(name);
        EXPECT_NE(w, nullptr) << name.toStdString();
        return w;
    }
    QJsonObject request(int i) const { return parse(sent->at(i).at(0).toString()); }
    QString lastTip() const { return tips->isEmpty() ? QString() : tips->last().at(0).toString(); }
    void reply(const QString& ops, bool succ, int blockIndex)
    {
        form->recvMsg(
            dsptest::reply(ops, succ, {{"blockFlag", QStringLiteral("bf_in_ch_%1_%2").arg(kCh).arg(blockIndex)}}));
    }

    CDeviceDspData data;
    std::unique_ptr<DspEqHlpBlockForm> form;
    std::unique_ptr<DspEqSingleForm> single;
    std::unique_ptr<QSignalSpy> sent;
    std::unique_ptr<QSignalSpy> tips;
    std::unique_ptr<QSignalSpy> updates;
};

/// Types `text` into a spin box and presses Return, as a user does.
void typeInto(QDoubleSpinBox* spin, const QString& text)
{
    spin->selectAll();
    QTest::keyClicks(spin, text);
    QTest::keyClick(spin, Qt::Key_Return);
}

double field(const QJsonObject& obj, const char* key)
{
    return obj.value(QLatin1String(key)).toString().toDouble();
}

double objNumber(const QJsonObject& req, const char* key)
{
    return field(req.value(QStringLiteral("obj")).toObject(), key);
}

struct BandFieldCase
{
    const char* name;
    const char* control; ///< prefix of the band's control; band 3 is edited
    const char* typed;   ///< typed into the spin box, or the combo box index
    const char* key;     ///< band key in the request
    double expected;     ///< the band's value afterwards
    bool sent;
};
void PrintTo(const BandFieldCase& c, std::ostream* os)
{
    *os << c.name;
}

class DspEqBandFieldTest : public DspEqEditorTest, public ::testing::WithParamInterface<BandFieldCase>
{
};

TEST_P(DspEqBandFieldTest, OneRequestPerChangeAndNoneForTheSameValue)
{
    const BandFieldCase c = GetParam();
    open(kHpf); // the band requests address the equaliser block whichever block was opened
    const QString name = QStringLiteral("%1_3").arg(QLatin1String(c.control));
    const double before = field(eq()->band(3)->toJson(), c.key);
    const QString typed = *c.typed != 0 ? QLatin1String(c.typed) : QString::number(before);
    auto enter = [&] {
        if (auto* combo = root()->findChild<QComboBox*>(name))
            emit combo->activated(typed.toInt());
        else
            typeInto(control<QDoubleSpinBox>(name), typed);
    };
    enter();

    const double now = field(eq()->band(3)->toJson(), c.key);
    if (!c.sent) {
        EXPECT_EQ(sent->size(), 0);
        EXPECT_DOUBLE_EQ(now, before);
        if (auto* spin = root()->findChild<QDoubleSpinBox*>(name)) {
            EXPECT_DOUBLE_EQ(spin->value(), before) << "the box shows the kept value again";
        }
        return;
    }
    EXPECT_DOUBLE_EQ(now, c.expected);
    ASSERT_EQ(sent->size(), 1);
    const QJsonObject req = request(0);
    EXPECT_EQ(req.value("ops").toString(), QStringLiteral("setBorderEq"));
    EXPECT_EQ(req.value("procIndex").toString(), QString::number(kEq));
    EXPECT_EQ(req.value("portIndex").toString(), QString::number(kCh));
    EXPECT_EQ(req.value("eqIndex").toString(), QStringLiteral("3"));
    EXPECT_EQ(req.value("blockFlag").toString(), QStringLiteral("bf_in_ch_1_2"));
    EXPECT_DOUBLE_EQ(objNumber(req, c.key), c.expected);

    // The same value again, typed or chosen: nothing more.
    enter();
    EXPECT_EQ(sent->size(), 1);
}

INSTANTIATE_TEST_SUITE_P(Fields, DspEqBandFieldTest,
                         ::testing::Values(BandFieldCase{"type", "combox_band_type", "2", "type", 2, true},
                                           BandFieldCase{"frequency", "sb_band_freq", "250.5", "freq0", 250.5, true},
                                           BandFieldCase{"gain", "sb_band_gain", "-7.5", "dbGain", -7.5, true},
                                           BandFieldCase{"q", "sb_band_q", "2.5", "qBwS", 2.5, true},
                                           BandFieldCase{"qAtTheSmallest", "sb_band_q", "0.017", "qBwS", 0.017, true},
                                           BandFieldCase{"qTooSmall", "sb_band_q", "0.01", "qBwS", 0, false},
                                           BandFieldCase{"sameFrequency", "sb_band_freq", "", "freq0", 0, false}),
                         [](const ::testing::TestParamInfo<BandFieldCase>& i) { return std::string(i.param.name); });

TEST_F(DspEqEditorTest, BandBypassIsSentForTheBandAndTakenOutOfTheCurve)
{
    eq()->band(5)->setDbGain(9);
    open();
    const double peak = 90; // y is ten times the dB
    auto curveMax = [&] {
        double m = -1e9;
        for (const QPointF& p : form->magnitudeChart()->curve()->pointsVector())
            m = std::max(m, p.y());
        return m;
    };
    EXPECT_NEAR(curveMax(), peak, 2);
    control<QPushButton>(QStringLiteral("pb_band_bypass_5"))->click();
    EXPECT_TRUE(eq()->band(5)->isBypass());
    ASSERT_EQ(sent->size(), 1);
    EXPECT_EQ(request(0).value("ops").toString(), QStringLiteral("setBorderEqBypass"));
    EXPECT_EQ(request(0).value("eqIndex").toString(), QStringLiteral("5"));
    EXPECT_EQ(request(0).value("val").toString(), QStringLiteral("1"));
    EXPECT_LT(curveMax(), 5) << "only the filters' ripple is left";
}

struct FilterCase
{
    const char* name;
    const char* control;
    std::function<void(QWidget*)> act;
    int blockIndex;
    const char* key;
    double expected;
    QVector<int> orders; ///< the order box's choices afterwards, or empty
};
void PrintTo(const FilterCase& c, std::ostream* os)
{
    *os << c.name;
}

class DspEqFilterTest : public DspEqEditorTest, public ::testing::WithParamInterface<FilterCase>
{
};

TEST_P(DspEqFilterTest, SetsTheFilterBlockAtItsOwnPosition)
{
    const FilterCase& c = GetParam();
    open();
    c.act(control<QWidget>(QLatin1String(c.control)));
    ASSERT_EQ(sent->size(), 1);
    const QJsonObject req = request(0);
    EXPECT_EQ(req.value("ops").toString(), QStringLiteral("setBorderProc"));
    EXPECT_EQ(req.value("procIndex").toString(), QString::number(c.blockIndex));
    EXPECT_DOUBLE_EQ(objNumber(req, c.key), c.expected);
    const CHlpfItem* f = c.blockIndex == kHpf ? hpf() : lpf();
    EXPECT_DOUBLE_EQ(field(f->paramsJson(2), c.key), c.expected);
    if (!c.orders.isEmpty()) {
        auto* box = control<QComboBox>(QStringLiteral("combox_%1_order").arg(c.blockIndex == kHpf ? "hpf" : "lpf"));
        QVector<int> orders;
        for (int i = 0; i < box->count(); ++i)
            orders << box->itemData(i).toInt();
        EXPECT_EQ(orders, c.orders);
    }
}

void choose(QWidget* w, int index)
{
    emit static_cast<QComboBox*>(w)->activated(index);
}

INSTANTIATE_TEST_SUITE_P(
    Controls, DspEqFilterTest,
    ::testing::Values(
        FilterCase{"hpfOrder", "combox_hpf_order", [](QWidget* w) { choose(w, 3); }, kHpf, "order", 4, {}},
        // Order 1 has no Linkwitz-Riley design: the next one that has is taken with the type.
        FilterCase{"lpfTypeLinkwitzRiley",
                   "combox lpf type",
                   [](QWidget* w) { choose(w, 2); },
                   kLpf,
                   "order",
                   2,
                   {2, 4, 6, 8}},
        FilterCase{"lpfTypeBessel",
                   "combox lpf type",
                   [](QWidget* w) { choose(w, 1); },
                   kLpf,
                   "type",
                   1,
                   {2, 3, 4, 5, 6, 7, 8}},
        FilterCase{"hpfFrequencyTyped",
                   "sb_hpf_freq",
                   [](QWidget* w) { typeInto(static_cast<QDoubleSpinBox*>(w), QStringLiteral("120")); },
                   kHpf,
                   "freq0",
                   120,
                   {}},
        FilterCase{"lpfFrequencySlider",
                   "slider_lpf_freq",
                   [](QWidget* w) { static_cast<QAbstractSlider*>(w)->setValue(500); },
                   kLpf,
                   "freq0",
                   std::round(20 * std::sqrt(1000.0)),
                   {}}),
    [](const ::testing::TestParamInfo<FilterCase>& i) { return std::string(i.param.name); });

struct BypassCase
{
    const char* name;
    const char* cpu;
    bool locked;
    QString tip; ///< empty: the switch is sent
};
void PrintTo(const BypassCase& c, std::ostream* os)
{
    *os << c.name;
}

class DspEqBypassTest : public DspEqEditorTest, public ::testing::WithParamInterface<BypassCase>
{
};

// The whole equaliser starts bypassed with a +9 dB band; enabling it obeys lock and CPU limit, and the model and
// the curve follow the device's answer.
TEST_P(DspEqBypassTest, WholeEqualiserBypassFollowsTheDevice)
{
    const BypassCase& c = GetParam();
    eq()->setBypass(true);
    eq()->band(5)->setDbGain(9);
    open();
    DspCpuFigures::instance().update({QLatin1String(c.cpu)});
    form->setLockCheck([&] { return c.locked; });
    auto* button = control<QPushButton>(QStringLiteral("pb eqallbypass"));
    EXPECT_TRUE(button->isChecked());
    button->click();
    EXPECT_TRUE(eq()->isBypass());
    if (!c.tip.isEmpty()) {
        EXPECT_EQ(lastTip(), c.tip);
        EXPECT_TRUE(button->isChecked());
        EXPECT_EQ(sent->size(), 0);
        return;
    }
    ASSERT_EQ(sent->size(), 1);
    EXPECT_EQ(request(0).value("ops").toString(), QStringLiteral("setBorderProcBypass"));
    EXPECT_EQ(request(0).value("procIndex").toString(), QString::number(kEq));
    form->recvMsg(
        dsptest::reply(QStringLiteral("setBorderProcBypass"), true, {{"blockFlag", "bf_in_ch_1_2"}, {"val", "0"}}));
    EXPECT_FALSE(eq()->isBypass());
    EXPECT_FALSE(button->isChecked());
    double peak = -1e9;
    for (const QPointF& p : form->magnitudeChart()->curve()->pointsVector())
        peak = std::max(peak, p.y());
    EXPECT_NEAR(peak, 90, 2);
}

INSTANTIATE_TEST_SUITE_P(Rules, DspEqBypassTest,
                         ::testing::Values(BypassCase{"cpuLow", "40", false, QString()},
                                           BypassCase{"cpuHigh", "95", false,
                                                      QStringLiteral("Cpu is up limit, please reduce functions")},
                                           BypassCase{"locked", "40", true, QStringLiteral("控制功能已上锁")}),
                         [](const ::testing::TestParamInfo<BypassCase>& i) { return std::string(i.param.name); });

TEST_F(DspEqEditorTest, LockedEditorChangesNothingAndShowsTheModelAgain)
{
    open();
    form->setLockCheck([] { return true; });
    auto* gain = control<QDoubleSpinBox>(QStringLiteral("sb_band_gain_0"));
    typeInto(gain, QStringLiteral("5"));
    emit control<QComboBox>(QStringLiteral("combox_hpf_order"))->activated(5);
    EXPECT_EQ(sent->size(), 0);
    EXPECT_DOUBLE_EQ(eq()->band(0)->dbGain(), 0);
    EXPECT_EQ(hpf()->order(), 2);
    EXPECT_DOUBLE_EQ(gain->value(), 0);
    EXPECT_EQ(lastTip(), QStringLiteral("控制功能已上锁"));
}

TEST_F(DspEqEditorTest, OfflineChangesTheModelAndTellsTheDiagramOnly)
{
    open();
    form->setOffline(true);
    typeInto(control<QDoubleSpinBox>(QStringLiteral("sb_band_gain_4")), QStringLiteral("3"));
    emit control<QComboBox>(QStringLiteral("combox_lpf_order"))->activated(3);
    control<QPushButton>(QStringLiteral("pb_hpf_bypass"))->click();
    EXPECT_EQ(sent->size(), 0);
    EXPECT_DOUBLE_EQ(eq()->band(4)->dbGain(), 3);
    EXPECT_EQ(lpf()->order(), 4);
    EXPECT_TRUE(hpf()->isBypass());
    QList<int> blocks;
    for (const QList<QVariant>& args : *updates)
        blocks << args.at(2).toInt();
    EXPECT_EQ(blocks, (QList<int>{kEq, kLpf, kHpf}));
}

struct RefusalCase
{
    const char* name;
    std::function<void(DspEqEditorTest&)> change;
    const char* ops;
    int blockIndex;
};
void PrintTo(const RefusalCase& c, std::ostream* os)
{
    *os << c.name;
}

class DspEqRefusalTest : public DspEqEditorTest, public ::testing::WithParamInterface<RefusalCase>
{
};

// Opened on the low-pass filter, so that the equaliser and the high-pass filter are watched beside it.
TEST_P(DspEqRefusalTest, RefusedChangeIsTakenBackInModelAndControls)
{
    const RefusalCase& c = GetParam();
    eq()->band(2)->setDbGain(6);
    open(kLpf);
    const QByteArray eqBefore = eq()->toJsonText(2);
    const QByteArray hpfBefore = hpf()->toJsonText(2);
    const QVector<QPointF> curveBefore = form->magnitudeChart()->curve()->pointsVector();
    c.change(*this);
    ASSERT_EQ(sent->size(), 1);
    ASSERT_NE(form->magnitudeChart()->curve()->pointsVector(), curveBefore) << "the change was drawn";
    reply(QLatin1String(c.ops), false, c.blockIndex);
    EXPECT_EQ(lastTip(), QStringLiteral("Set Failed!"));
    EXPECT_EQ(eq()->toJsonText(2), eqBefore);
    EXPECT_EQ(hpf()->toJsonText(2), hpfBefore);
    EXPECT_EQ(form->magnitudeChart()->curve()->pointsVector(), curveBefore);
    EXPECT_DOUBLE_EQ(control<QDoubleSpinBox>(QStringLiteral("sb_band_gain_2"))->value(), 6);
    EXPECT_DOUBLE_EQ(control<QDoubleSpinBox>(QStringLiteral("sb_hpf_freq"))->value(), 80);
    EXPECT_FALSE(control<QPushButton>(QStringLiteral("pb_band_bypass_2"))->isChecked());
}

INSTANTIATE_TEST_SUITE_P(
    Replies, DspEqRefusalTest,
    ::testing::Values(
        RefusalCase{"bandGain",
                    [](DspEqEditorTest& t) { typeInto(t.root()->findChild<QDoubleSpinBox*>("sb_band_gain_2"), "1"); },
                    "setBorderEq", kEq},
        RefusalCase{"bandBypass",
                    [](DspEqEditorTest& t) {
                        t.eq()->band(2)->setDbGain(6); // something to take out of the curve
                        t.form->refreshFromModel();
                        t.root()->findChild<QPushButton*>("pb_band_bypass_2")->click();
                        t.eq()->band(2)->setDbGain(0);
                    },
                    "setBorderEqBypass", kEq},
        RefusalCase{"hpfFrequency",
                    [](DspEqEditorTest& t) { typeInto(t.root()->findChild<QDoubleSpinBox*>("sb_hpf_freq"), "300"); },
                    "setBorderProc", kHpf}),
    [](const ::testing::TestParamInfo<RefusalCase>& i) { return std::string(i.param.name); });

struct DragCase
{
    const char* name;
    int handle;
    double hz; ///< where the pointer goes
    double db;
    const char* ops;
    int blockIndex;
};
void PrintTo(const DragCase& c, std::ostream* os)
{
    *os << c.name;
}

class DspEqDragTest : public DspEqEditorTest, public ::testing::WithParamInterface<DragCase>
{
};

void sendMouse(QWidget* w, QEvent::Type type, const QPointF& pos)
{
    QMouseEvent e(type, pos, Qt::LeftButton, type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                  Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

TEST_P(DspEqDragTest, HandleFollowsThePointerAndMovesOnlyItsBlock)
{
    const DragCase& c = GetParam();
    open();
    form->show();
    QApplication::processEvents();
    DspEqChartView* chart = form->magnitudeChart();
    QSignalSpy moved(chart, &DspEqChartView::eq_drag_moved);
    const QByteArray eqBefore = eq()->toJsonText(2);
    const QByteArray hpfBefore = hpf()->toJsonText(2);
    const QByteArray lpfBefore = lpf()->toJsonText(2);

    sendMouse(chart->viewport(), QEvent::MouseButtonPress, QPointF(3, 3));
    sendMouse(chart->viewport(), QEvent::MouseMove, QPointF(40, 40));
    EXPECT_TRUE(moved.isEmpty()) << "a press beside every handle drags nothing";

    QPointF from;
    ASSERT_TRUE(chart->handlePosition(c.handle, &from));
    const QPointF inChart = chart->chart()->mapToPosition(QPointF(std::log10(c.hz), 10 * c.db), chart->curve());
    const QPointF to = chart->mapFromScene(chart->chart()->mapToScene(inChart));
    sendMouse(chart->viewport(), QEvent::MouseButtonPress, from);
    sendMouse(chart->viewport(), QEvent::MouseMove, to);
    sendMouse(chart->viewport(), QEvent::MouseButtonRelease, to);
    ASSERT_EQ(moved.size(), 1);
    EXPECT_EQ(moved.at(0).at(2).toInt(), c.handle);
    const double hz = EqDragMapping::frequencyAt(moved.at(0).at(0).toInt());
    const double db = EqDragMapping::gainAt(moved.at(0).at(1).toInt());
    EXPECT_NEAR(std::log10(hz), std::log10(c.hz), 0.01) << "the handle lands under the pointer";

    ASSERT_EQ(sent->size(), 1);
    EXPECT_EQ(request(0).value("ops").toString(), QLatin1String(c.ops));
    EXPECT_EQ(request(0).value("procIndex").toString(), QString::number(c.blockIndex));
    if (c.blockIndex == kEq) {
        EXPECT_NEAR(db, c.db, 0.2);
        EXPECT_DOUBLE_EQ(eq()->band(c.handle - 1)->freq0(), hz);
        EXPECT_DOUBLE_EQ(eq()->band(c.handle - 1)->dbGain(), db);
        EXPECT_DOUBLE_EQ(control<QDoubleSpinBox>(QStringLiteral("sb_band_gain_%1").arg(c.handle - 1))->value(), db);
    } else {
        const CHlpfItem* f = c.blockIndex == kHpf ? hpf() : lpf();
        EXPECT_DOUBLE_EQ(f->freq0(), hz);
    }
    EXPECT_EQ(eq()->toJsonText(2) == eqBefore, c.blockIndex != kEq);
    EXPECT_EQ(hpf()->toJsonText(2) == hpfBefore, c.blockIndex != kHpf);
    EXPECT_EQ(lpf()->toJsonText(2) == lpfBefore, c.blockIndex != kLpf);
}

INSTANTIATE_TEST_SUITE_P(Handles, DspEqDragTest,
                         ::testing::Values(DragCase{"highPass", 0, 150, -12, "setBorderProc", kHpf},
                                           DragCase{"firstBand", 1, 500, 6, "setBorderEq", kEq},
                                           DragCase{"lastBand", 10, 3000, -20, "setBorderEq", kEq},
                                           DragCase{"lowPass", 100, 8000, 3, "setBorderProc", kLpf}),
                         [](const ::testing::TestParamInfo<DragCase>& i) { return std::string(i.param.name); });

QStringList labels(QtCharts::QCategoryAxis* axis)
{
    return axis->categoriesLabels();
}

TEST_F(DspEqEditorTest, AxesCarryTheirLabelsAndThePhaseGraphComesOnRequest)
{
    open();
    EXPECT_EQ(labels(form->magnitudeChart()->axisX()),
              QStringList({"20Hz", "50Hz", "100Hz", "200Hz", "500Hz", "1KHz", "2KHz", "5KHz", "10KHz", "20K"}));
    EXPECT_EQ(labels(form->magnitudeChart()->axisY()),
              QStringList({"-30", "-24", "-18", "-12", "-6", "0dB", "+6", "+12", "+18"}));
    EXPECT_DOUBLE_EQ(form->magnitudeChart()->axisY()->min(), -300);
    EXPECT_DOUBLE_EQ(form->magnitudeChart()->axisY()->max(), 180);
    EXPECT_NEAR(form->magnitudeChart()->axisX()->endValue("1KHz"), 3, 1e-12);
    EXPECT_EQ(labels(form->phaseChart()->axisY()),
              QStringList({"-180", "-135", "-90", "-45", "0", "+45", "+90", "+135", "+180"}));

    EXPECT_TRUE(form->phaseChart()->curve()->pointsVector().isEmpty()) << "not computed while hidden";
    control<QPushButton>(QStringLiteral("pb_phase"))->click();
    EXPECT_FALSE(form->phaseChart()->isHidden());
    EXPECT_EQ(form->phaseChart()->curve()->count(), EqResponse::phaseGrid().size());
    control<QPushButton>(QStringLiteral("pb_phase"))->click();
    EXPECT_TRUE(form->phaseChart()->isHidden());
}

struct CurveCase
{
    const char* name;
    bool eqBypass;
    bool hpfBypass;
    bool bandBypass;
};
void PrintTo(const CurveCase& c, std::ostream* os)
{
    *os << c.name;
}

class DspEqCurveTest : public DspEqEditorTest, public ::testing::WithParamInterface<CurveCase>
{
};

TEST_P(DspEqCurveTest, CurveSumsTheSectionsThatAreNotBypassed)
{
    const CurveCase& c = GetParam();
    eq()->band(0)->setType(1);
    eq()->band(0)->setFreq0(100);
    eq()->band(0)->setDbGain(4);
    eq()->band(5)->setFreq0(1000);
    eq()->band(5)->setDbGain(-6);
    eq()->band(5)->setQBwS(0.5);
    eq()->band(6)->setType(7); // not drawn
    eq()->band(6)->setDbGain(12);
    eq()->band(5)->setBypass(c.bandBypass);
    eq()->setBypass(c.eqBypass);
    hpf()->setBypass(c.hpfBypass);
    hpf()->setType(2);
    hpf()->setOrder(4);
    open();

    QVector<EqBiquad> expected;
    if (!c.eqBypass) {
        expected << EqBiquad::lowShelf(100, 4);
        if (!c.bandBypass)
            expected << EqBiquad::peaking(1000, -6, 0.5);
    }
    if (!c.hpfBypass)
        expected << EqBiquad::highPass2(80, 0.707) << EqBiquad::highPass2(80, 0.707);
    expected << EqBiquad::lowPass1(16000);

    const QVector<double> grid = EqResponse::magnitudeGrid();
    const QVector<QPointF> points = form->magnitudeChart()->curve()->pointsVector();
    ASSERT_EQ(points.size(), grid.size());
    for (int i : {0, 99, 100, 150, int(grid.size()) - 1}) {
        double db = 0;
        for (const EqBiquad& s : expected)
            db += EqResponse::magnitudeDb(s, grid[i]);
        EXPECT_DOUBLE_EQ(points[i].x(), std::log10(grid[i]));
        EXPECT_NEAR(points[i].y(), 10 * db, 1e-9) << grid[i] << " Hz";
    }
}

INSTANTIATE_TEST_SUITE_P(Bypasses, DspEqCurveTest,
                         ::testing::Values(CurveCase{"all", false, false, false},
                                           CurveCase{"eqBypassed", true, false, false},
                                           CurveCase{"hpfBypassed", false, true, false},
                                           CurveCase{"bandBypassed", false, false, true}),
                         [](const ::testing::TestParamInfo<CurveCase>& i) { return std::string(i.param.name); });

TEST_F(DspEqEditorTest, OpenedOnAnyOfItsBlocksItShowsAllThree)
{
    for (int opened : {kHpf, kEq, kLpf}) {
        open(opened);
        for (int b = 0; b < 5; ++b)
            EXPECT_EQ(form->shows(true, kCh, b), b >= kHpf && b <= kLpf) << opened << " " << b;
        EXPECT_FALSE(form->shows(false, kCh, kEq));
        EXPECT_FALSE(form->shows(true, 0, kEq));
    }
    // A channel with only a low-pass filter: no bands, no high-pass controls.
    data.input(0)->appendBlock(DspBlockFactory::create(CBaseItem::KindHlpf));
    form = std::make_unique<DspEqHlpBlockForm>(&data, true, 0, 0);
    EXPECT_EQ(form->eqIndex(), -1);
    EXPECT_EQ(form->highPassIndex(), -1);
    EXPECT_EQ(form->lowPassIndex(), 0);
    EXPECT_TRUE(form->findChild<QWidget*>(QStringLiteral("filter_hpf"))->isHidden());
    EXPECT_EQ(form->findChild<QDoubleSpinBox*>(QStringLiteral("sb_band_gain_0")), nullptr);
    EXPECT_EQ(form->magnitudeChart()->handles().size(), 1);
}

TEST_F(DspEqEditorTest, SingleBandEditorSendsItsBandAndDrawsItAlone)
{
    eq()->band(1)->setDbGain(-12);
    single = std::make_unique<DspEqSingleForm>(&data, true, kCh, kEq, 4);
    spy();
    typeInto(control<QDoubleSpinBox>(QStringLiteral("sb_band_gain_4")), QStringLiteral("8"));
    ASSERT_EQ(sent->size(), 1);
    EXPECT_EQ(request(0).value("ops").toString(), QStringLiteral("setBorderEq"));
    EXPECT_EQ(request(0).value("eqIndex").toString(), QStringLiteral("4"));
    EXPECT_DOUBLE_EQ(objNumber(request(0), "dbGain"), 8);
    double low = 1e9, high = -1e9;
    for (const QPointF& p : single->chart()->curve()->pointsVector()) {
        low = std::min(low, p.y());
        high = std::max(high, p.y());
    }
    EXPECT_NEAR(high, 80, 1);
    EXPECT_GT(low, -1) << "neither the other bands nor the filters are drawn";

    single->slot_eqDragMoved(300, 62, 5);
    single->slot_eqDragMoved(300, 62, 2); // another band's handle is not this editor's
    ASSERT_EQ(sent->size(), 2);
    EXPECT_DOUBLE_EQ(eq()->band(4)->dbGain(), 12);
    EXPECT_DOUBLE_EQ(eq()->band(1)->dbGain(), -12);

    control<QPushButton>(QStringLiteral("pb_band_bypass_4"))->click();
    ASSERT_EQ(sent->size(), 3);
    EXPECT_EQ(request(2).value("ops").toString(), QStringLiteral("setBorderEqBypass"));
}

} // namespace

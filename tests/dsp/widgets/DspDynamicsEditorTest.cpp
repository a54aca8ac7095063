// The dynamics editors: threshold, ratio and time controls write the block and send it once, the device's
// refusal takes the change back, and the meters follow the device's replies.
#include "DspWidgetTestSupport.h"

#include "CDuckerItem.h"
#include "CDynamicsItem.h"
#include "CLimitItem.h"
#include "CNoisegateItme.h"
#include "DspBlockBaseForm.h"
#include "DspDynamicsChart.h"
#include "DspEditorFactory.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QTest>

#include <cmath>

using namespace dsptest;

namespace {

const int kChannel = 1;

/// Blocks on input 1 in this order.
const std::initializer_list<int> kKinds = {CBaseItem::KindCompress, CBaseItem::KindExpand, CBaseItem::KindLimit,
                                           CBaseItem::KindNoiseGate, CBaseItem::KindDucker};

double thresholdOf(const CBaseItem* b)
{
    switch (b->kind()) {
    case CBaseItem::KindLimit:
        return static_cast<const CLimitItem*>(b)->limitDb();
    case CBaseItem::KindNoiseGate:
        return static_cast<const CNoisegateItme*>(b)->trigDb();
    case CBaseItem::KindDucker:
        return static_cast<const CDuckerItem*>(b)->trigDb();
    default:
        return static_cast<const CDynamicsItem*>(b)->trigDb();
    }
}

struct KindCase
{
    const char* name;
    int blockIndex;
    const char* control; ///< object name of the threshold's slider-and-spin column
    const char* key;     ///< its "obj" key
    int sliderMax;
    double spinMin;
    double spinMax;
    int slider;        ///< a slider position to move to...
    double sliderDb;   ///< ...and the level it stands for
    const char* typed; ///< a level typed into the spin box
    double typedDb;
};

const KindCase kCases[] = {
    {"compressor", 0, "threshold", "trigDb", 1000, -100, 0, 650, -35, "-12.5", -12.5},
    {"expander", 1, "threshold", "trigDb", 1000, -100, 0, 0, -100, "-0.1", -0.1},
    {"limiter", 2, "threshold", "limitDb", 1000, -100, 0, 1000, 0, "-6.3", -6.3},
    {"noiseGate", 3, "threshold", "trigDb", 580, -100, -42, 580, -42, "-77.7", -77.7},
    // -59.9 is not exact in single precision: typed again it must still count as unchanged.
    {"ducker", 4, "trigger", "trigDb", 1000, -60, 0, 700, -30, "-59.9", -59.9},
};

class DynamicsEditorTest : public ::testing::TestWithParam<KindCase>
{
protected:
    void SetUp() override
    {
        app();
        resetAll();
        QLocale::setDefault(QLocale::c());
        data.parse(DspDefaultConfig::reply(4, 4, 48000), QStringLiteral("3.2.0"));
        addBlocks(data, true, kChannel, kKinds);
    }
    void TearDown() override
    {
        editor.reset();
        resetAll();
    }

    void openEditor(int blockIndex)
    {
        editor.reset(DspEditorFactory::create(&data, true, kChannel, blockIndex));
        ASSERT_NE(editor, nullptr);
        sent = std::make_unique<QSignalSpy>(editor.get(), &DspBlockBaseForm::signal_sendMsg);
        tips = std::make_unique<QSignalSpy>(editor.get(), &DspBlockBaseForm::signal_showTips);
        updates = std::make_unique<QSignalSpy>(editor.get(), &DspBlockBaseForm::signal_updateUI);
    }
    CBaseItem* block(int blockIndex) const { return data.input(kChannel)->block(blockIndex); }
    template <typename T> T* child(const QString& name) const
    {
        T* w = editor->findChild<T*>(name);
        EXPECT_NE(w, nullptr) << name.toStdString();
        return w;
    }
    QJsonObject request(int i) const { return parse(sent->at(i).at(0).toString()); }
    static double objNumber(const QJsonObject& req, const char* key)
    {
        return req.value(QStringLiteral("obj")).toObject().value(QLatin1String(key)).toString().toDouble();
    }
    /// What a user does: select the text, type, Return.
    static void type(QDoubleSpinBox* spin, const QString& text)
    {
        spin->selectAll();
        QTest::keyClicks(spin, text);
        QTest::keyClick(spin, Qt::Key_Return);
    }
    void reply(const QString& ops, bool succ, const QJsonObject& extra, int blockIndex)
    {
        QJsonObject o = extra;
        o.insert(QStringLiteral("blockFlag"), QStringLiteral("bf_in_ch_%1_%2").arg(kChannel).arg(blockIndex));
        editor->recvMsg(dsptest::reply(ops, succ, o));
    }

    CDeviceDspData data;
    std::unique_ptr<DspBlockBaseForm> editor;
    std::unique_ptr<QSignalSpy> sent;
    std::unique_ptr<QSignalSpy> tips;
    std::unique_ptr<QSignalSpy> updates;
};

TEST_P(DynamicsEditorTest, ThresholdFromSliderOrSpinBoxIsSentOnceAndAnUnchangedValueNotAtAll)
{
    const KindCase c = GetParam();
    openEditor(c.blockIndex);
    auto* slider = child<QSlider>(QLatin1String(c.control) + QStringLiteral("_slider"));
    auto* spin = child<QDoubleSpinBox>(QLatin1String(c.control) + QStringLiteral("_spin"));
    ASSERT_TRUE(slider && spin);
    EXPECT_EQ(slider->maximum(), c.sliderMax);
    EXPECT_DOUBLE_EQ(spin->minimum(), c.spinMin);
    EXPECT_DOUBLE_EQ(spin->maximum(), c.spinMax);

    slider->setValue(c.slider);
    ASSERT_EQ(sent->size(), 1);
    QJsonObject req = request(0);
    EXPECT_EQ(req.value(QStringLiteral("ops")).toString(), QStringLiteral("setBorderProc"));
    EXPECT_EQ(req.value(QStringLiteral("blockFlag")).toString(), QStringLiteral("bf_in_ch_1_%1").arg(c.blockIndex));
    EXPECT_NEAR(objNumber(req, c.key), c.sliderDb, 1e-4);
    EXPECT_NEAR(thresholdOf(block(c.blockIndex)), c.sliderDb, 1e-4);
    EXPECT_NEAR(spin->value(), c.sliderDb, 1e-9) << "the spin box follows the slider";

    type(spin, QLatin1String(c.typed));
    ASSERT_EQ(sent->size(), 2) << "Return after a new value sends it once";
    EXPECT_NEAR(objNumber(request(1), c.key), c.typedDb, 1e-4);
    EXPECT_EQ(slider->value(), int(std::lround(c.typedDb * 10 + 1000))) << "the slider follows the spin box";

    type(spin, QLatin1String(c.typed));
    EXPECT_EQ(sent->size(), 2) << "the same value typed again";
    slider->setValue(slider->value());
    EXPECT_EQ(sent->size(), 2);

    child<QPushButton>(QStringLiteral("bypass_bt"))->click();
    ASSERT_EQ(sent->size(), 3);
    EXPECT_EQ(request(2).value(QStringLiteral("ops")).toString(), QStringLiteral("setBorderProcBypass"));
    EXPECT_EQ(request(2).value(QStringLiteral("val")).toString(), QStringLiteral("1"));
}

TEST_P(DynamicsEditorTest, OfflineTheModelChangesAndNothingIsSent)
{
    const KindCase c = GetParam();
    openEditor(c.blockIndex);
    editor->setOffline(true);
    child<QSlider>(QLatin1String(c.control) + QStringLiteral("_slider"))->setValue(c.slider);
    EXPECT_TRUE(sent->isEmpty());
    EXPECT_NEAR(thresholdOf(block(c.blockIndex)), c.sliderDb, 1e-4);
    ASSERT_EQ(updates->size(), 1);
    EXPECT_EQ(updates->at(0).at(2).toInt(), c.blockIndex);
}

TEST_P(DynamicsEditorTest, RefusedOrLockedChangesLeaveBlockAndControlsAsTheDeviceHasThem)
{
    const KindCase c = GetParam();
    openEditor(c.blockIndex);
    const double before = thresholdOf(block(c.blockIndex));
    auto* slider = child<QSlider>(QLatin1String(c.control) + QStringLiteral("_slider"));
    auto* spin = child<QDoubleSpinBox>(QLatin1String(c.control) + QStringLiteral("_spin"));
    const int shown = slider->value();

    slider->setValue(c.slider);
    ASSERT_EQ(sent->size(), 1);
    reply(QStringLiteral("setBorderProc"), false, {}, c.blockIndex);
    ASSERT_FALSE(tips->isEmpty());
    EXPECT_EQ(tips->last().at(0).toString(), QStringLiteral("Set Failed!"));
    EXPECT_NEAR(thresholdOf(block(c.blockIndex)), before, 1e-4);
    EXPECT_EQ(slider->value(), shown);
    EXPECT_NEAR(spin->value(), before, 1e-4);

    editor->setLockCheck([] { return true; });
    type(spin, QLatin1String(c.typed));
    EXPECT_EQ(sent->size(), 1);
    EXPECT_EQ(tips->last().at(0).toString(), QStringLiteral("控制功能已上锁"));
    EXPECT_NEAR(thresholdOf(block(c.blockIndex)), before, 1e-4);
    EXPECT_NEAR(spin->value(), before, 1e-4);
    EXPECT_EQ(slider->value(), shown);
}

TEST_P(DynamicsEditorTest, MetersFollowTheLevelAndStatusReplies)
{
    const KindCase c = GetParam();
    openEditor(c.blockIndex);
    auto* reduce = child<QProgressBar>(QStringLiteral("reduce_meter"));
    auto* volume = child<QProgressBar>(QStringLiteral("volume_meter"));
    ASSERT_TRUE(reduce && volume);
    EXPECT_EQ(reduce->minimum(), -60);

    reply(QStringLiteral("getBorderProcStatus"), true, {{"obj", QJsonObject{{"gain", "0.5"}}}}, c.blockIndex);
    EXPECT_EQ(reduce->value(), -6);
    EXPECT_EQ(child<QLabel>(QStringLiteral("reduce_value"))->text(), QStringLiteral("-6"));
    reply(QStringLiteral("getBorderProcStatus"), true, {{"obj", QJsonObject{{"gain", "0.0001"}}}}, c.blockIndex);
    EXPECT_EQ(reduce->value(), -60) << "-80 dB stays on the meter's scale";
    reply(QStringLiteral("getBorderProcStatus"), true, {{"obj", QJsonObject{{"gain", "0.5"}}}}, c.blockIndex + 1);
    EXPECT_EQ(reduce->value(), -60) << "another block's status";

    editor->recvMsg(dsptest::reply(QStringLiteral("getVolumeDb"), true,
                                   {{"inArr", QJsonArray{"0", "-12.6", "-3"}}, {"outArr", QJsonArray{"0", "0"}}}));
    EXPECT_EQ(volume->value(), -13);
    EXPECT_EQ(child<QLabel>(QStringLiteral("volume_value"))->text(), QStringLiteral("-13"));
    editor->recvMsg(dsptest::reply(QStringLiteral("getVolumeDb"), true, {{"inArr", QJsonArray{"0", "-inf"}}}));
    EXPECT_EQ(volume->value(), -60);
    EXPECT_EQ(child<QLabel>(QStringLiteral("volume_value"))->text(), QStringLiteral("-90"));
}

INSTANTIATE_TEST_SUITE_P(Kinds, DynamicsEditorTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<KindCase>& i) { return std::string(i.param.name); });

class RatioEditorTest : public DynamicsEditorTest
{
};

// y of the chart's curve at input x.
double curveAt(const DspDynamicsChart* chart, double x)
{
    for (const QPointF& p : chart->curve()) {
        if (std::fabs(p.x() - x) < 1e-9)
            return p.y();
    }
    return std::nan("");
}

TEST_P(RatioEditorTest, RatioSliderPicksFromTheTableAndRedrawsTheCurve)
{
    const KindCase c = GetParam();
    auto* item = static_cast<CDynamicsItem*>(block(c.blockIndex));
    item->setRatio(2.5);
    item->setTrigDb(-20);
    openEditor(c.blockIndex);
    auto* slider = child<QSlider>(QStringLiteral("ratio_slider"));
    auto* label = child<QLabel>(QStringLiteral("ratio_label"));
    auto* chart = child<DspDynamicsChart>(QStringLiteral("dynamics_chart"));
    ASSERT_TRUE(slider && label && chart);
    EXPECT_EQ(slider->value(), 0) << "2.5 is not in the table";
    EXPECT_EQ(label->text(), QStringLiteral("1.2:1"));

    slider->setValue(8);
    ASSERT_EQ(sent->size(), 1);
    EXPECT_DOUBLE_EQ(objNumber(request(0), "ratio"), 40.0);
    EXPECT_EQ(label->text(), QStringLiteral("40:1"));
    EXPECT_DOUBLE_EQ(item->ratio(), 40.0);

    // Compressor 4:1 at -20 dB: -8 in, -17 out; expander 4:1 at -20 dB: -30 in, -60 out.
    slider->setValue(4);
    const bool compressor = c.blockIndex == 0;
    EXPECT_DOUBLE_EQ(curveAt(chart, compressor ? -8 : -30), compressor ? -17 : -60);
    child<QSlider>(QStringLiteral("threshold_slider"))->setValue(900);
    EXPECT_DOUBLE_EQ(curveAt(chart, compressor ? -2 : -30), compressor ? -8 : -90) << "threshold now -10 dB";
    EXPECT_EQ(sent->size(), 3);
}

INSTANTIATE_TEST_SUITE_P(CompressorAndExpander, RatioEditorTest, ::testing::ValuesIn(kCases, kCases + 2),
                         [](const ::testing::TestParamInfo<KindCase>& i) { return std::string(i.param.name); });

TEST_F(DynamicsEditorTest, TimesAndTheDuckersReferenceChannelAreSentUnderTheirKeys)
{
    const struct
    {
        int blockIndex;
        const char* control;
        const char* key;
        const char* typed;
        int expected;
    } cases[] = {{0, "attack", "attackMs", "35", 35},       {0, "release", "releaseMs", "2500", 2500},
                 {1, "release", "releaseMs", "6000", 6000}, {3, "open", "openMs", "0", 0},
                 {3, "close", "closeMs", "250", 250},       {4, "hold", "holdMs", "45000", 45000},
                 {4, "release", "releaseMs", "4321", 4321}};
    for (const auto& c : cases) {
        openEditor(c.blockIndex);
        auto* spin = child<QDoubleSpinBox>(QLatin1String(c.control) + QStringLiteral("_spin"));
        ASSERT_NE(spin, nullptr);
        type(spin, QLatin1String(c.typed));
        ASSERT_EQ(sent->size(), 1) << c.control;
        EXPECT_EQ(objNumber(request(0), c.key), c.expected) << c.control;
    }

    openEditor(4);
    auto* box = child<QComboBox>(QStringLiteral("refCh_box"));
    ASSERT_NE(box, nullptr);
    ASSERT_EQ(box->count(), 5) << "none and the four inputs";
    EXPECT_EQ(box->currentData().toInt(), -1);
    box->setCurrentIndex(3);
    emit box->activated(3);
    ASSERT_EQ(sent->size(), 1);
    EXPECT_EQ(request(0).value(QStringLiteral("obj")).toObject().value(QStringLiteral("refCh")).toString(),
              QStringLiteral("2"));
}

TEST_F(DynamicsEditorTest, FactoryGivesEachKindItsEditor)
{
    for (int kind : {CBaseItem::KindDelay, CBaseItem::KindEq, CBaseItem::KindHlpf, CBaseItem::KindFir,
                     CBaseItem::KindFbe, CBaseItem::KindSignalGen, CBaseItem::KindChAec})
        data.input(0)->appendBlock(DspBlockFactory::create(kind));
    const struct
    {
        int ch;
        int blockIndex;
        const char* className;
    } cases[] = {{kChannel, 0, "DspCompressForm"},
                 {kChannel, 1, "DspExpandForm"},
                 {kChannel, 2, "DspLimitForm"},
                 {kChannel, 3, "DspNoisegateForm"},
                 {kChannel, 4, "DspDuckerForm"},
                 {0, 0, "DspDelayBlockForm"},
                 {0, 1, "DspEqHlpBlockForm"},
                 {0, 2, "DspEqHlpBlockForm"},
                 {0, 3, "DspFirForm"},
                 {0, 4, "DspFbeForm"},
                 {0, 5, "DspSignalGenForm"},
                 {0, 6, "DspChAecForm"},
                 {kChannel, 5, nullptr},
                 {9, 0, nullptr}};
    for (const auto& c : cases) {
        std::unique_ptr<DspBlockBaseForm> e(DspEditorFactory::create(&data, true, c.ch, c.blockIndex));
        if (c.className == nullptr) {
            EXPECT_EQ(e, nullptr) << c.ch << "/" << c.blockIndex;
            continue;
        }
        ASSERT_NE(e, nullptr) << c.className;
        EXPECT_STREQ(e->metaObject()->className(), c.className);
    }
}

} // namespace

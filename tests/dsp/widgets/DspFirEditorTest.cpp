// The FIR, delay, feedback eliminator and signal generator editors: each control writes its block and sends it
// once (nothing when the value is unchanged, offline or locked), delay units mirror each other within the
// maximum, coefficient files are imported or refused whole, and the FIR response follows the block.
#include "DspWidgetTestSupport.h"

#include "BlockPosition.h"
#include "CDelayItem.h"
#include "CFbeItem.h"
#include "CFirItem.h"
#include "CSignalGen.h"
#include "DelayUnits.h"
#include "DspDelayBlockForm.h"
#include "DspFbeForm.h"
#include "DspFirChartView.h"
#include "DspFirForm.h"
#include "DspSignalGenForm.h"
#include "FirCoefficientReader.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLocale>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QtCharts/QCategoryAxis>
#include <QtCharts/QLineSeries>

#include <cmath>
#include <functional>

using namespace dsptest;

namespace {

const int kChannel = 1;
enum Block
{
    Fir = 0,
    Delay = 1,
    Fbe = 2,
    SignalGen = 3
};

/// What a user does: select the text, type, Return.
void type(QDoubleSpinBox* spin, const QString& text)
{
    spin->selectAll();
    QTest::keyClicks(spin, text);
    QTest::keyClick(spin, Qt::Key_Return);
}

template <typename T> T* child(QWidget* w, const char* name)
{
    T* c = w->findChild<T*>(QLatin1String(name));
    EXPECT_NE(c, nullptr) << name;
    return c;
}

void pick(QWidget* w, const char* combo, const QVariant& data)
{
    QComboBox* box = child<QComboBox>(w, combo);
    box->setCurrentIndex(data.type() == QVariant::String ? box->findText(data.toString()) : box->findData(data));
}

class EditorFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        app();
        resetAll();
        QLocale::setDefault(QLocale::c());
        data.parse(DspDefaultConfig::reply(4, 4, 48000), QStringLiteral("3.2.0"));
        addBlocks(data, true, kChannel,
                  {CBaseItem::KindFir, CBaseItem::KindDelay, CBaseItem::KindFbe, CBaseItem::KindSignalGen});
    }
    void TearDown() override
    {
        editor.reset();
        resetAll();
    }

    void open(int blockIndex, bool offline = false, bool locked = false)
    {
        switch (blockIndex) {
        case Fir: {
            auto* fir = new DspFirForm(&data, true, kChannel, blockIndex);
            fir->setNotice([this](const QString& title, const QString& text) { notices << title + ": " + text; });
            editor.reset(fir);
            break;
        }
        case Delay:
            editor.reset(new DspDelayBlockForm(&data, true, kChannel, blockIndex));
            break;
        case Fbe:
            editor.reset(new DspFbeForm(&data, true, kChannel, blockIndex));
            break;
        default:
            editor.reset(new DspSignalGenForm(&data, true, kChannel, blockIndex));
            break;
        }
        editor->setOffline(offline);
        editor->setLockCheck([locked] { return locked; });
        sent = std::make_unique<QSignalSpy>(editor.get(), &DspBlockBaseForm::signal_sendMsg);
        tips = std::make_unique<QSignalSpy>(editor.get(), &DspBlockBaseForm::signal_showTips);
        updates = std::make_unique<QSignalSpy>(editor.get(), &DspBlockBaseForm::signal_updateUI);
    }
    template <typename T> T* block(int i) const { return dynamic_cast<T*>(data.input(kChannel)->block(i)); }
    QJsonObject request(int i) const { return parse(sent->at(i).at(0).toString()); }
    /// The parameters the block would send now.
    QJsonObject modelObj(int i) const
    {
        const CBaseItem* b = data.input(kChannel)->block(i);
        return b->setBorderProcRequest(BlockPosition::of(data, true, kChannel, i), 4).value("obj").toObject();
    }

    CDeviceDspData data;
    std::unique_ptr<DspBlockBaseForm> editor;
    std::unique_ptr<QSignalSpy> sent;
    std::unique_ptr<QSignalSpy> tips;
    std::unique_ptr<QSignalSpy> updates;
    QStringList notices;
};

// ---- every control, online, offline and locked -------------------------------------------------------------

struct ControlCase
{
    const char* name;
    int block;
    std::function<void(QWidget*)> act;
    std::vector<std::pair<const char*, const char*>> obj; ///< keys the changed block sends
};

const ControlCase kControls[] = {
    {"firWindow", Fir, [](QWidget* w) { pick(w, "cb_window", 4); }, {{"winType", "4"}}},
    {"firAttenuation", Fir, [](QWidget* w) { pick(w, "cb_attDb", 60); }, {{"attDb", "60"}}},
    {"firTaps", Fir, [](QWidget* w) { pick(w, "cb_taps", 255); }, {{"taps", "255"}}},
    {"firLowPassEdge",
     Fir,
     [](QWidget* w) { type(child<QDoubleSpinBox>(w, "ds_lpf"), QStringLiteral("5000")); },
     {{"firType", "0"}, {"freq0", "5000"}, {"freq1", "20001"}}},
    {"firHighPass", Fir, [](QWidget* w) { pick(w, "cb_type", 1); }, {{"firType", "1"}, {"freq1", "20001"}}},
    {"firBand",
     Fir,
     [](QWidget* w) { pick(w, "cb_type", 2); },
     {{"firType", "2"}, {"freq0", "500"}, {"freq1", "10000"}}},
    {"delayMs",
     Delay,
     [](QWidget* w) { type(child<QDoubleSpinBox>(w, "ds_ms"), QStringLiteral("10")); },
     {{"delayNum", "480"}}},
    {"delayMeter",
     Delay,
     [](QWidget* w) { type(child<QDoubleSpinBox>(w, "ds_meter"), QStringLiteral("3.4")); },
     {{"delayNum", "480"}}},
    {"delayFeet",
     Delay,
     [](QWidget* w) { type(child<QDoubleSpinBox>(w, "ds_feet"), QStringLiteral("1")); },
     {{"delayNum", "43"}}},
    {"delaySamples",
     Delay,
     [](QWidget* w) { type(child<QDoubleSpinBox>(w, "ds_samples"), QStringLiteral("777")); },
     {{"delayNum", "777"}}},
    {"delaySlider",
     Delay,
     [](QWidget* w) { child<QSlider>(w, "slider_delay")->setValue(2400); },
     {{"delayNum", "2400"}, {"maxNum", "48000"}}},
    {"fbeShift", Fbe, [](QWidget* w) { pick(w, "cb_freqShift", 3); }, {{"freqShift", "3"}}},
    {"pinkNoise", SignalGen, [](QWidget* w) { pick(w, "cb_signalType", QStringLiteral("粉红噪声")); }, {{"mode", "1"}}},
    {"toneFrequency",
     SignalGen,
     [](QWidget* w) { type(child<QDoubleSpinBox>(w, "freq_spin"), QStringLiteral("440")); },
     {{"freq", "440"}}},
    {"levelSlider",
     SignalGen,
     [](QWidget* w) { child<QSlider>(w, "level_slider")->setValue(940); },
     {{"gainDb", "-6"}}},
};

enum class Mode
{
    Online,
    Offline,
    Locked
};

class ControlTest : public EditorFixture, public ::testing::WithParamInterface<std::tuple<ControlCase, Mode>>
{
};

TEST_P(ControlTest, ChangeIsWrittenAndSentOnceOrKeptAsTheModeSays)
{
    const ControlCase c = std::get<0>(GetParam());
    const Mode mode = std::get<1>(GetParam());
    open(c.block, mode == Mode::Offline, mode == Mode::Locked);
    const QJsonObject before = modelObj(c.block);
    c.act(editor.get());

    const QJsonObject after = modelObj(c.block);
    if (mode == Mode::Locked) {
        EXPECT_EQ(after, before) << "a locked processor keeps its block";
        EXPECT_EQ(sent->size(), 0);
        ASSERT_EQ(tips->size(), 1);
        EXPECT_EQ(tips->at(0).at(0).toString(), QStringLiteral("控制功能已上锁"));
        return;
    }
    for (const auto& kv : c.obj)
        EXPECT_EQ(after.value(QLatin1String(kv.first)).toString(), QLatin1String(kv.second)) << kv.first;
    if (mode == Mode::Offline) {
        EXPECT_EQ(sent->size(), 0);
        EXPECT_EQ(updates->size(), 1) << "the diagram hears of the offline change";
        return;
    }
    ASSERT_EQ(sent->size(), 1);
    const QJsonObject req = request(0);
    EXPECT_EQ(req.value("ops").toString(), QStringLiteral("setBorderProc"));
    EXPECT_EQ(req.value("blockFlag").toString(), QStringLiteral("bf_in_ch_1_%1").arg(c.block));
    EXPECT_EQ(req.value("procIndex").toString(), QString::number(c.block));
    EXPECT_EQ(req.value("obj").toObject(), after);

    c.act(editor.get());
    EXPECT_EQ(sent->size(), 1) << "the same value again sends nothing";
}

using ControlParam = ::testing::TestParamInfo<std::tuple<ControlCase, Mode>>;

std::string controlName(const ControlParam& i)
{
    const char* modes[] = {"online", "offline", "locked"};
    return std::string(std::get<0>(i.param).name) + "_" + modes[int(std::get<1>(i.param))];
}

INSTANTIATE_TEST_SUITE_P(Editors, ControlTest,
                         ::testing::Combine(::testing::ValuesIn(kControls),
                                            ::testing::Values(Mode::Online, Mode::Offline, Mode::Locked)),
                         controlName);

// ---- delay --------------------------------------------------------------------------------------------------

TEST_F(EditorFixture, DelayFieldsMirrorTheStoredSamplesWithinTheMaximum)
{
    block<CDelayItem>(Delay)->setMaxNum(1000);
    open(Delay);
    EXPECT_EQ(child<QSlider>(editor.get(), "slider_delay")->maximum(), 1000);
    const struct
    {
        const char* field;
        const char* typed;
        int samples;
    } cases[] = {{"ds_meter", "3.4", 480}, {"ds_ms", "20.833", 1000}, {"ds_feet", "1", 43}, {"ds_samples", "0", 0}};
    for (const auto& c : cases) {
        type(child<QDoubleSpinBox>(editor.get(), c.field), QLatin1String(c.typed));
        EXPECT_EQ(block<CDelayItem>(Delay)->delayNum(), c.samples) << c.field;
        EXPECT_EQ(child<QSlider>(editor.get(), "slider_delay")->value(), c.samples) << c.field;
        const char* fields[] = {"ds_samples", "ds_ms", "ds_meter", "ds_feet"};
        for (int u = 0; u < 4; ++u) {
            const auto* spin = child<QDoubleSpinBox>(editor.get(), fields[u]);
            EXPECT_NEAR(spin->value(), DelayUnits::fromSamples(c.samples, DelayUnits::Unit(u), 48000),
                        std::pow(10.0, -spin->decimals()))
                << c.field << " shown in " << fields[u];
        }
    }
    EXPECT_EQ(sent->size(), 4);
}

// ---- FIR ----------------------------------------------------------------------------------------------------

struct TypeCase
{
    int firType;
    bool hpf;
    bool lpf;
    bool custom;
};

TEST_F(EditorFixture, FirTypeShowsTheControlsThatApply)
{
    open(Fir);
    const TypeCase cases[] = {
        {3, false, false, true}, {0, false, true, false}, {1, true, false, false}, {2, true, true, false}};
    for (const TypeCase& c : cases) {
        pick(editor.get(), "cb_type", c.firType);
        EXPECT_EQ(block<CFirItem>(Fir)->firType(), c.firType);
        EXPECT_EQ(!child<QSlider>(editor.get(), "slider_hpf")->isVisibleTo(editor.get()), !c.hpf) << c.firType;
        EXPECT_EQ(!child<QDoubleSpinBox>(editor.get(), "ds_lpf")->isVisibleTo(editor.get()), !c.lpf) << c.firType;
        EXPECT_EQ(child<QPushButton>(editor.get(), "pb_import")->isVisibleTo(editor.get()), c.custom) << c.firType;
        EXPECT_EQ(child<QTextBrowser>(editor.get(), "textbrowser_customfir")->isVisibleTo(editor.get()), c.custom);
    }
    const QStringList texts = {"LowPass", "HighPass", "Band", "Custom"};
    for (int i = 0; i < texts.size(); ++i)
        EXPECT_EQ(child<QComboBox>(editor.get(), "cb_type")->itemText(i), texts[i]);
}

TEST_F(EditorFixture, FirBandEdgesNeverCross)
{
    CFirItem* fir = block<CFirItem>(Fir);
    fir->setFirType(CFirItem::BandPass);
    fir->setFreq0(500);
    fir->setFreq1(5000);
    open(Fir);
    type(child<QDoubleSpinBox>(editor.get(), "ds_hpf"), QStringLiteral("8000"));
    EXPECT_DOUBLE_EQ(fir->freq0(), 5000);
    type(child<QDoubleSpinBox>(editor.get(), "ds_lpf"), QStringLiteral("100"));
    EXPECT_DOUBLE_EQ(fir->freq1(), 5000);
    EXPECT_DOUBLE_EQ(child<QDoubleSpinBox>(editor.get(), "ds_lpf")->value(), 5000) << "the control shows the model";
}

struct ImportCase
{
    const char* name;
    QByteArray file; ///< empty: no such file
    const char* notice;
    int taps; ///< coefficients afterwards
};

class FirImportTest : public EditorFixture, public ::testing::WithParamInterface<ImportCase>
{
};

QByteArray numberLines(int count)
{
    QByteArray out;
    for (int i = 0; i < count; ++i)
        out += "0.001\n";
    return out;
}

TEST_P(FirImportTest, AcceptedFileReplacesTheCoefficientsAndAnyOtherChangesNothing)
{
    const ImportCase c = GetParam();
    CFirItem* fir = block<CFirItem>(Fir);
    fir->setFirType(CFirItem::Custom);
    ASSERT_TRUE(fir->setArr(QStringLiteral("[\"0.5\",\"0.5\"]")));
    open(Fir);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("coeffs.txt"));
    if (!c.file.isEmpty()) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(c.file);
    }
    static_cast<DspFirForm*>(editor.get())->setFilePicker([path] { return path; });
    child<QPushButton>(editor.get(), "pb_import")->click();

    EXPECT_EQ(fir->arrLength(), c.taps);
    EXPECT_EQ(fir->taps(), c.taps);
    if (c.notice != nullptr) {
        EXPECT_EQ(notices, QStringList{QStringLiteral("Tips: ") + QString::fromUtf8(c.notice)});
        EXPECT_EQ(sent->size(), 0);
        return;
    }
    EXPECT_TRUE(notices.isEmpty()) << notices.join(';').toStdString();
    ASSERT_EQ(sent->size(), 1);
    const QJsonObject obj = request(0).value("obj").toObject();
    EXPECT_EQ(obj.value("firType").toString(), QStringLiteral("3"));
    EXPECT_EQ(obj.value("taps").toString(), QString::number(c.taps));
    EXPECT_EQ(obj.value("arr").toArray().size(), c.taps);
    EXPECT_EQ(child<QTextBrowser>(editor.get(), "textbrowser_customfir")->toPlainText().split('\n').size(), c.taps);
}

INSTANTIATE_TEST_SUITE_P(Files, FirImportTest,
                         ::testing::Values(ImportCase{"matlab", "h = [0.25 0.5 0.25];\n", nullptr, 3},
                                           ImportCase{"perLine", "0.1\n0.2\n0.3\n0.2\n0.1\n", nullptr, 5},
                                           ImportCase{"maxTaps", numberLines(512), nullptr, 512},
                                           ImportCase{"aboveMaxTaps", numberLines(513), "Fir taps must less then 512",
                                                      2},
                                           ImportCase{"garbage", "coefficients follow\n0.1 0.2\n",
                                                      "Parsing error, please verify the file format", 2},
                                           ImportCase{"missing", QByteArray(), "Open file failed!", 2}),
                         [](const ::testing::TestParamInfo<ImportCase>& i) { return std::string(i.param.name); });

TEST_F(EditorFixture, FirImportGivenUpChangesNothing)
{
    block<CFirItem>(Fir)->setFirType(CFirItem::Custom);
    open(Fir);
    static_cast<DspFirForm*>(editor.get())->setFilePicker([] { return QString(); });
    child<QPushButton>(editor.get(), "pb_import")->click();
    EXPECT_EQ(sent->size(), 0);
    EXPECT_TRUE(notices.isEmpty());
}

double curveDbAt(const DspFirChartView* chart, double hz)
{
    const QVector<QPointF> pts = chart->curve()->pointsVector();
    EXPECT_FALSE(pts.isEmpty());
    QPointF best = pts.value(0);
    for (const QPointF& p : pts) {
        if (std::abs(p.x() - std::log10(hz)) < std::abs(best.x() - std::log10(hz)))
            best = p;
    }
    return best.y();
}

QtMessageHandler g_previous = nullptr;
QStringList g_log;

TEST_F(EditorFixture, FirResponseFollowsTheBlockAndItsDrawingTimeIsLogged)
{
    QLoggingCategory::setFilterRules(QStringLiteral("meridane.dsp.ui.debug=true"));
    g_log.clear();
    g_previous = qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& m) { g_log << m; });
    CFirItem* fir = block<CFirItem>(Fir);
    fir->setFirType(CFirItem::LowPass);
    fir->setFreq1(1000);
    fir->setWinType(4);
    fir->setAttDb(60);
    fir->setTaps(255);
    open(Fir);
    const auto* chart = static_cast<DspFirForm*>(editor.get())->chart();
    const QStringList labels = chart->axisX()->categoriesLabels();
    EXPECT_EQ(labels.first(), QStringLiteral("20Hz"));
    EXPECT_EQ(labels.last(), QStringLiteral("10KHz"));
    EXPECT_NEAR(curveDbAt(chart, 100), 0, 0.2);
    EXPECT_LT(curveDbAt(chart, 5000), -55);

    pick(editor.get(), "cb_type", 1); // the same edges as a high-pass at 20 Hz pass everything above 100 Hz
    EXPECT_NEAR(curveDbAt(chart, 5000), 0, 0.2);

    pick(editor.get(), "cb_type", 3); // custom: one coefficient of one half
    ASSERT_TRUE(fir->setArr(QStringLiteral("[\"0.5\"]")));
    editor->refreshFromModel();
    EXPECT_NEAR(curveDbAt(chart, 1000), 20 * std::log10(0.5), 1e-6);

    qInstallMessageHandler(g_previous);
    QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false\n*.info=false"));
    EXPECT_TRUE(g_log.filter(QStringLiteral("refresh graph use time :")).size() >= 3) << g_log.join('\n').toStdString();
}

TEST_F(EditorFixture, FeedbackEliminatorHasItsTitle)
{
    open(Fbe);
    EXPECT_EQ(editor->windowTitle(), QStringLiteral("FeedbackEliminator"));
    block<CFbeItem>(Fbe)->setFreqShift(37);
    editor->refreshFromModel();
    EXPECT_EQ(child<QComboBox>(editor.get(), "cb_freqShift")->currentData().toInt(), 37)
        << "a shift the list lacks is still shown";
}

} // namespace

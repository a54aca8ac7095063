// The matrix page's requests and the reading of the device's replies into the matrix record.
#include "CDeviceDspData.h"
#include "DspDefaultConfig.h"
#include "DspMatrix.h"
#include "DspMatrixLabels.h"
#include "DspMatrixReader.h"
#include "DspMatrixRequests.h"
#include "DspTestConfig.h"
#include "MatrixGainCode.h"
#include "ModelTable.h"

#include <QJsonArray>
#include <QSet>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

QString s(const QJsonObject& o, const char* key)
{
    return o.value(QLatin1String(key)).toString();
}

QJsonArray texts(std::initializer_list<const char*> items)
{
    QJsonArray a;
    for (const char* i : items)
        a.append(QLatin1String(i));
    return a;
}

struct GainCase
{
    double db;
    const char* val; ///< nullptr: refused
};

class MatrixGainRequest : public ::testing::TestWithParam<GainCase>
{
};

TEST_P(MatrixGainRequest, CarriesTheGainCodeOrIsRefused)
{
    const GainCase c = GetParam();
    const std::optional<QJsonObject> r = DspMatrixRequests::setMatrixGain(3, 7, c.db, false);
    EXPECT_EQ(DspMatrixRequests::gainInRange(c.db), c.val != nullptr);
    if (c.val == nullptr) {
        EXPECT_FALSE(r.has_value());
        return;
    }
    ASSERT_TRUE(r.has_value());
    EXPECT_EQ(s(*r, "val"), QLatin1String(c.val));
    EXPECT_EQ(QStringList(r->keys()), (QStringList{"inIndex", "isBatch", "ops", "outIndex", "uiTag", "val"}));
    EXPECT_EQ(s(*r, "outIndex") + s(*r, "inIndex") + s(*r, "isBatch"), "370");
}

INSTANTIATE_TEST_SUITE_P(Range, MatrixGainRequest,
                         ::testing::Values(GainCase{-48, "240"}, GainCase{12, "48"}, GainCase{0, "0"},
                                           GainCase{-0.25, "49"}, GainCase{3.1, "12"}, GainCase{-48.25, nullptr},
                                           GainCase{12.25, nullptr}, GainCase{-100, nullptr},
                                           GainCase{std::numeric_limits<double>::quiet_NaN(), nullptr}));

TEST(MatrixRequests, KeysAndFlagsOfEveryRequest)
{
    using R = DspMatrixRequests;
    const struct
    {
        QJsonObject request;
        QString expected; ///< "key=value" joined by ";" in key order
    } rows[] = {
        {R::getMatrix(5), "ops=getMatrix;outIndex=5;uiTag=dspUiTag"},
        {R::getMatrix(5, 16), "idStart=16;ops=getMatrix;outIndex=5;uiTag=dspUiTag"},
        {R::getMatrixBatch(2, 32), "idStart=32;ops=getMatrixBatch;outIndex=2;uiTag=dspUiTag"},
        {R::setMatrixMute(1, 4, true, false), "inIndex=4;isBatch=0;mute=0;ops=setMatrixMute;outIndex=1;uiTag=dspUiTag"},
        {R::setMatrixMute(1, 4, false, true), "inIndex=4;isBatch=1;mute=1;ops=setMatrixMute;outIndex=1;uiTag=dspUiTag"},
        {R::setMatrixMode(9, true), "mode=1;ops=setMatrixMode;outIndex=9;uiTag=dspUiTag"},
        {R::setAllMatrixMode(false), "mode=0;ops=setMatrixMode;uiTag=superMatrixUiTag"},
        {R::meter(R::Meter::PhyIn, 3), "idStart=3;ops=getAllPhyVolumeDbRx;uiTag=dspUiTag"},
        {R::meter(R::Meter::NetIn, 0), "idStart=0;ops=getAllVolumeDbRx;uiTag=dspUiTag"},
        {R::meter(R::Meter::PhyOut, 1), "idStart=1;ops=getAllPhyVolumeDbTx;uiTag=dspUiTag"},
        {R::meter(R::Meter::NetOut, 2), "idStart=2;ops=getAllVolumeDbTx;uiTag=dspUiTag"},
    };
    for (const auto& row : rows) {
        QStringList parts;
        for (const QString& k : row.request.keys()) {
            ASSERT_TRUE(row.request.value(k).isString()) << k.toStdString();
            parts << k + "=" + row.request.value(k).toString();
        }
        EXPECT_EQ(parts.join(';'), row.expected);
    }
}

struct PageCase
{
    const char* name;
    QJsonObject reply;
    bool applied;
    int idNext;
    /// Expected cells of output 1 after the reply, rows 0..3: "on/gain", e.g. "1/-6"; and its share flag.
    const char* cells;
    bool share;
};

QJsonObject page(const char* out, const char* start, QJsonArray mutes, QJsonArray gains = {},
                 const char* next = nullptr)
{
    QJsonObject o{{"ops", "getMatrixBatch"}, {"result", "succ"}, {"outIndex", out},
                  {"idStart", start},        {"muteArr", mutes}, {"mode", "1"}};
    if (!gains.isEmpty())
        o.insert("gainArr", gains);
    if (next != nullptr)
        o.insert("idNext", next);
    return o;
}

TEST(MatrixReplies, PagesAreAppliedWithinTheMatrixOnly)
{
    QJsonObject failed = page("1", "0", texts({"0", "0", "0", "0"}));
    failed.insert("result", "fail");
    const PageCase cases[] = {
        {"first page", page("1", "0", texts({"0", "1"}), texts({"72", "4"}), "2"), true, 2, "1/-6 0/1 0/0 0/0", true},
        {"from row 2, arrays cut at the matrix",
         page("1", "2", texts({"0", "0", "0", "0"}), texts({"1", "2", "3"}), "9"), true, 9, "0/0 0/0 1/0.25 1/0.5",
         true},
        {"idNext missing: start plus cells", page("1", "1", texts({"0"})), true, 2, "0/0 1/0 0/0 0/0", true},
        {"unreadable gain code reads 0 dB", page("1", "0", texts({"0"}), texts({"x"}), "1"), true, 1, "1/0 0/0 0/0 0/0",
         true},
        {"output beyond the matrix", page("3", "0", texts({"0"})), false, 0, "0/0 0/0 0/0 0/0", false},
        {"negative output", page("-1", "0", texts({"0"})), false, 0, "0/0 0/0 0/0 0/0", false},
        {"start beyond the rows", page("1", "4", texts({"0"})), false, 0, "0/0 0/0 0/0 0/0", false},
        {"negative start", page("1", "-2", texts({"0", "0", "0"})), false, 0, "0/0 0/0 0/0 0/0", false},
        {"failed reply", failed, false, 0, "0/0 0/0 0/0 0/0", false},
    };
    for (const PageCase& c : cases) {
        SCOPED_TRACE(c.name);
        DspMatrix m(4, 3);
        const auto p = DspMatrixRequests::applyPage(m, c.reply);
        ASSERT_EQ(p.has_value(), c.applied);
        if (p) {
            EXPECT_EQ(p->idNext, c.idNext);
        }
        QStringList cells;
        for (int r = 0; r < 4; ++r)
            cells << QStringLiteral("%1/%2").arg(m.isOn(1, r) ? 1 : 0).arg(m.gainDb(1, r));
        EXPECT_EQ(cells.join(' '), QLatin1String(c.cells));
        EXPECT_EQ(m.isShare(1), c.share);
        // Other outputs are never touched.
        for (int r = 0; r < 4; ++r)
            EXPECT_FALSE(m.isOn(0, r) || m.isOn(2, r));
    }
}

/// A device answering the reader's requests from its own matrix, `perPage` rows at a time.
struct FakeDevice
{
    DspMatrix truth{0, 0};
    int perPage = 16;
    int requests = 0;

    QJsonObject answer(const QJsonObject& req)
    {
        ++requests;
        const int out = s(req, "outIndex").toInt();
        const int start = req.contains("idStart") ? s(req, "idStart").toInt() : 0;
        const int next = qMin(start + perPage, truth.rows());
        QJsonArray mutes, gains;
        for (int r = start; r < next; ++r) {
            mutes.append(truth.isOn(out, r) ? "0" : "1");
            gains.append(QString::number(r % 240 + 1));
        }
        return QJsonObject{{"ops", s(req, "ops")},
                           {"result", "succ"},
                           {"outIndex", QString::number(out)},
                           {"idStart", QString::number(start)},
                           {"idNext", QString::number(next)},
                           {"muteArr", mutes},
                           {"gainArr", gains},
                           {"mode", out % 2 ? "1" : "0"}};
    }
};

struct WalkCase
{
    int rows, columns, perPage;
    bool batch;
    int firstOut, firstIn;
};

class MatrixWalk : public ::testing::TestWithParam<WalkCase>
{
};

TEST_P(MatrixWalk, WholeReadCoversEveryCellOnceAndFinishesOnce)
{
    const WalkCase c = GetParam();
    FakeDevice dev;
    dev.truth = DspMatrix(c.rows, c.columns);
    dev.perPage = c.perPage;
    for (int col = 0; col < c.columns; ++col)
        for (int r = 0; r < c.rows; ++r)
            dev.truth.setOn(col, r, (col * 7 + r) % 3 == 0);
    DspMatrix mine(c.rows, c.columns);
    DspMatrixReader reader;
    std::optional<QJsonObject> req = reader.startWhole(c.rows, c.columns, c.batch, c.firstOut, c.firstIn);
    ASSERT_TRUE(req.has_value());
    EXPECT_EQ(s(*req, "ops"), c.batch ? "getMatrixBatch" : "getMatrix");
    EXPECT_EQ(s(*req, "outIndex").toInt(), c.firstOut);
    // Models without batches start each output at its first row and say nothing of it.
    EXPECT_EQ(s(*req, "idStart"), c.batch ? QString::number(c.firstIn) : QString());
    int finished = 0;
    while (req) {
        const auto p = DspMatrixRequests::applyPage(mine, dev.answer(*req));
        ASSERT_TRUE(p.has_value());
        req = reader.next(*p);
        finished += reader.takeWholeFinished() ? 1 : 0;
        ASSERT_LE(dev.requests, 10000) << "the walk does not end";
    }
    EXPECT_EQ(finished, 1);
    EXPECT_FALSE(reader.isReading());
    const int pagesPerColumn = (c.rows + c.perPage - 1) / c.perPage;
    // Starting mid-column costs at most one extra page for the rows above the start.
    EXPECT_LE(dev.requests, c.columns * pagesPerColumn + 1);
    for (int col = 0; col < c.columns; ++col) {
        EXPECT_EQ(mine.isShare(col), col % 2 == 1);
        for (int r = 0; r < c.rows; ++r) {
            ASSERT_EQ(mine.isOn(col, r), dev.truth.isOn(col, r)) << col << "," << r;
            ASSERT_EQ(mine.gainDb(col, r), MatrixGainCode::decode(r % 240 + 1));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Shapes, MatrixWalk,
                         ::testing::Values(WalkCase{8, 8, 16, true, 0, 0}, WalkCase{73, 64, 16, true, 10, 20},
                                           WalkCase{137, 3, 16, true, 2, 136}, WalkCase{20, 5, 7, false, 3, 9},
                                           WalkCase{1, 1, 16, true, 0, 0}));

TEST(MatrixWalk, StaleStuckAndLostRepliesCannotHoldTheRead)
{
    DspMatrixReader reader;
    ASSERT_TRUE(reader.startWhole(32, 2, true, 0, 0));
    // A reply for another output or another start is not the page awaited.
    EXPECT_FALSE(reader.next({1, 0, 16, 16}));
    EXPECT_FALSE(reader.next({0, 8, 16, 8}));
    EXPECT_TRUE(reader.isReading());
    // A page that does not move on ends its output instead of asking for itself again.
    const auto next = reader.next({0, 0, 0, 0});
    ASSERT_TRUE(next);
    EXPECT_EQ(s(*next, "outIndex") + "/" + s(*next, "idStart"), "1/0");
    // A lost reply is asked again a few times, then the read is given up.
    for (int i = 0; i < DspMatrixReader::kMaxRetries; ++i)
        EXPECT_EQ(s(reader.retry().value_or(QJsonObject()), "outIndex"), "1");
    EXPECT_FALSE(reader.retry());
    EXPECT_FALSE(reader.isReading());
    EXPECT_FALSE(reader.takeWholeFinished());
}

TEST(MatrixWalk, ViewReadCoversTheScreenOnlyAndIsNoWholeRead)
{
    FakeDevice dev;
    dev.truth = DspMatrix(40, 10);
    DspMatrixReader reader;
    QSet<QString> asked;
    std::optional<QJsonObject> req = reader.startView(40, 10, true, 2, 4, 18, 36);
    while (req) {
        asked.insert(s(*req, "outIndex") + "/" + s(*req, "idStart"));
        DspMatrix m(40, 10);
        req = reader.next(*DspMatrixRequests::applyPage(m, dev.answer(*req)));
    }
    EXPECT_EQ(asked, (QSet<QString>{"2/18", "2/34", "3/18", "3/34", "4/18", "4/34"}));
    EXPECT_FALSE(reader.takeWholeFinished());
}

TEST(MatrixLabels, InputsComputerLinkAecAndAutomixerRows)
{
    CDeviceDspData data;
    data.setDeviceInfo("P", "D1", 2, 1, 1, 1);
    dsptest::setInfo(data, 5, 3);
    data.setExtraInCount(2);
    data.setExtraOutCount(1);
    data.parseConfig(dsptest::config({dsptest::channelNode(5), dsptest::aecNode(5), dsptest::automixerNode({}),
                                      dsptest::matrixNode(3, 7), dsptest::channelNode(3)}),
                     "3.2.0");
    ASSERT_NE(data.matrix(), nullptr);
    EXPECT_EQ(DspMatrixLabels::rows(data, {"Mic 1", "Mic 2"}, {"Dante 1"}),
              (QStringList{"Mic 1", "Mic 2", "Dante 1", "USB-In-1", "USB-In-2", "AEC-1", "AutoMixer-1"}));
    EXPECT_EQ(DspMatrixLabels::columns(data, {"Amp L"}, {"Stream 1"}), (QStringList{"Amp L", "Stream 1", "USB-Out-1"}));
    // Names the device did not give fall back to the configuration's channel names.
    EXPECT_EQ(DspMatrixLabels::rows(data, {}, {}).mid(0, 3), (QStringList{"input_1", "input_2", "input_3"}));
}

TEST(MatrixMeters, LevelsLandOnTheirRowsAndColumns)
{
    const struct
    {
        const char* ops;
        const char* start;
        QJsonArray arr;
        int written;
        const char* rows; ///< expected row levels (5 rows: 2 physical, 2 network, 1 AEC)
        const char* cols; ///< expected column levels (1 physical, 2 network)
    } cases[] = {
        {"getAllPhyVolumeDbRx", "0", texts({"-12.4", "-inf", "-3"}), 2, "-12 -90 -90 -90 -90", "-90 -90 -90"},
        {"getAllVolumeDbRx", "1", texts({"-20.6", "-1"}), 1, "-90 -90 -90 -21 -90", "-90 -90 -90"},
        {"getAllPhyVolumeDbTx", "0", texts({"5", "-7"}), 1, "-90 -90 -90 -90 -90", "0 -90 -90"},
        {"getAllVolumeDbTx", "0", texts({"junk", "-40"}), 2, "-90 -90 -90 -90 -90", "-90 -90 -40"},
        {"getAllVolumeDbTx", "99", texts({"-1"}), 0, "-90 -90 -90 -90 -90", "-90 -90 -90"},
        {"getAllVolumeDbTx", "-1", texts({"-1"}), 0, "-90 -90 -90 -90 -90", "-90 -90 -90"},
        {"getVolumeDb", "0", texts({"-1"}), 0, "-90 -90 -90 -90 -90", "-90 -90 -90"},
    };
    auto join = [](const QVector<double>& v) {
        QStringList out;
        for (double d : v)
            out << QString::number(d);
        return out.join(' ');
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ops);
        QVector<double> rows(5, -90), cols(3, -90);
        const QJsonObject reply{{"ops", c.ops}, {"result", "succ"}, {"idStart", c.start}, {"arr", c.arr}};
        EXPECT_EQ(DspMatrixRequests::applyMeter(reply, 2, 2, 1, 2, rows, cols), c.written);
        EXPECT_EQ(join(rows), QLatin1String(c.rows));
        EXPECT_EQ(join(cols), QLatin1String(c.cols));
    }
}

TEST(MatrixModels, OnlyBatchModelsReadInBatches)
{
    const ModelTable& t = ModelTable::instance();
    EXPECT_TRUE(t.isMatrixBatch("MRD-P64"));
    for (const char* m : {"MRD-M16", "MRD-M8", "MRV-MIX", "unknown"})
        EXPECT_FALSE(t.isMatrixBatch(m)) << m;
}

} // namespace

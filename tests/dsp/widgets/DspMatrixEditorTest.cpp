// The matrix page in the processor dialog: paged reading, single crosspoint and gain changes, gain share,
// whole-matrix actions on the paced worker, jumps, meters, offline mode and the processor lock.
#include "DspWidgetTestSupport.h"

#include "DspMatrix.h"
#include "DspMatrixForm.h"
#include "DspMatrixGrid.h"
#include "MatrixGainCode.h"

#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QMutex>
#include <QPushButton>
#include <QSet>
#include <QTest>

#include <atomic>

using namespace dsptest;

namespace {

QString s(const QJsonObject& o, const char* key)
{
    return o.value(QLatin1String(key)).toString();
}

class MatrixPageTest : public DialogFixture
{
protected:
    /// Opens an `in` x `out` processor (half physical, half network channels), downloads its configuration and
    /// shows the matrix page; then forgets what was sent so far.
    void openMatrix(int in, int out, const QString& model = QStringLiteral("MRD-M16"))
    {
        TestDevice d;
        d.model = model;
        d.phyIn = in / 2;
        d.netIn = in - in / 2;
        d.phyOut = out / 2;
        d.netOut = out - out / 2;
        open(d);
        download(configReply(in, out), in, out);
        // The dialog's own polls would mix into the datagrams the tests count.
        dialog->volumeTimer()->stop();
        form = dialog->matrixForm();
        ASSERT_NE(form, nullptr);
        tips = std::make_unique<QSignalSpy>(form, &DspPageShell::signal_showTips);
        dialog->resize(1100, 700);
        dialog->show();
        dialog->on_pb_matrix_clicked();
        QApplication::processEvents();
    }
    DspMatrix& matrix() { return *dialog->dspData()->matrix(); }
    DspMatrixGrid* grid() { return form->grid(); }
    QList<QJsonObject> sentObjects(const QString& ops = QString()) const
    {
        QList<QJsonObject> out;
        for (const Datagram& d : sent) {
            const QJsonObject o = parse(d.text);
            if (ops.isEmpty() || s(o, "ops") == ops)
                out << o;
        }
        return out;
    }
    QStringList tipTexts() const
    {
        QStringList out;
        for (const QList<QVariant>& a : *tips)
            out << a.at(0).toString();
        return out;
    }
    void clickCheck(int col, int row)
    {
        QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, grid()->checkRect(col, row).center());
    }
    void clickButton(const char* name)
    {
        auto* b = form->findChild<QPushButton*>(QLatin1String(name));
        ASSERT_NE(b, nullptr) << name;
        b->click();
    }
    /// Waits for the worker and lets its queued datagrams out.
    void drainBatch()
    {
        form->waitForBatch();
        for (int i = 0; i < 5; ++i)
            QApplication::processEvents();
    }
    QDoubleSpinBox* gainSpin() { return form->findChild<QDoubleSpinBox*>("changeGain_spinBox"); }

    DspMatrixForm* form = nullptr;
    std::unique_ptr<QSignalSpy> tips;
};

struct ReadCase
{
    const char* model;
    const char* ops;
};

class MatrixReadTest : public MatrixPageTest, public ::testing::WithParamInterface<ReadCase>
{
};

TEST_P(MatrixReadTest, ShowingThePageReadsEveryCellByPagesAndSaysSoOnce)
{
    const int rows = 24, cols = 6;
    openMatrix(rows, cols, GetParam().model);
    DspMatrix truth(rows, cols);
    for (int c = 0; c < cols; ++c)
        for (int r = 0; r < rows; ++r)
            truth.setCell(c, r, -0.5 * ((c + r) % 7), (c * 5 + r) % 4 == 0);
    int answered = 0;
    while (answered < 200) {
        const QList<QJsonObject> asks = sentObjects(GetParam().ops);
        if (asks.size() == answered)
            break;
        const QJsonObject ask = asks.at(answered++);
        const int out = s(ask, "outIndex").toInt();
        const int start = s(ask, "idStart").toInt();
        const int next = qMin(start + 10, rows);
        QJsonArray mutes, gains;
        for (int r = start; r < next; ++r) {
            mutes.append(truth.isOn(out, r) ? "0" : "1");
            gains.append(QString::number(MatrixGainCode::encode(truth.gainDb(out, r))));
        }
        dialog->recvBackData(reply(GetParam().ops, true,
                                   {{"outIndex", QString::number(out)},
                                    {"idStart", QString::number(start)},
                                    {"idNext", QString::number(next)},
                                    {"mode", "0"},
                                    {"muteArr", mutes},
                                    {"gainArr", gains}}));
    }
    EXPECT_EQ(answered, cols * 3) << "three pages of 10 per output";
    EXPECT_TRUE(matrix() == truth);
    EXPECT_EQ(tipTexts().count(QStringLiteral("获取全部数据成功！")), 1);
    EXPECT_FALSE(form->isReading());
}

INSTANTIATE_TEST_SUITE_P(Models, MatrixReadTest,
                         ::testing::Values(ReadCase{"MRD-M16", "getMatrix"}, ReadCase{"MRD-P64", "getMatrixBatch"}));

TEST_F(MatrixPageTest, ClearingAnEightByEightMatrixSendsSixtyFourPacedBatchMutes)
{
    openMatrix(8, 8);
    for (int c = 0; c < 8; ++c)
        matrix().setOn(c, c, true);
    sent.clear();
    clickButton("clearBt");
    drainBatch();
    const QList<QJsonObject> mutes = sentObjects("setMatrixMute");
    ASSERT_EQ(mutes.size(), 64);
    EXPECT_EQ(sentObjects().size(), 64) << "nothing else goes out";
    QSet<QString> cells;
    for (const QJsonObject& m : mutes) {
        EXPECT_EQ(s(m, "isBatch"), "1");
        EXPECT_EQ(s(m, "mute"), "1");
        EXPECT_EQ(s(m, "uiTag"), "dspUiTag");
        cells.insert(s(m, "outIndex") + "/" + s(m, "inIndex"));
    }
    EXPECT_EQ(cells.size(), 64);
    for (const Datagram& d : sent)
        EXPECT_EQ(d.port, 8999);
    for (int c = 0; c < 8; ++c)
        for (int r = 0; r < 8; ++r)
            EXPECT_FALSE(matrix().isOn(c, r));
}

TEST_F(MatrixPageTest, WholeMatrixWorkersKeepTheirGapOnTheInjectedClock)
{
    openMatrix(8, 8);
    // A clock that moves 40 µs per look: the worker must look several times between sends.
    std::atomic<qint64> now{0};
    QMutex lock;
    QVector<qint64> stamps;
    QStringList texts;
    form->setBatchClock([&now] { return now += 40; });
    form->setBatchSender([&](const QString& text) {
        QMutexLocker l(&lock);
        stamps << now.load();
        texts << text;
    });
    sent.clear();
    for (const char* button : {"resetBt", "clearBt"}) {
        SCOPED_TRACE(button);
        stamps.clear();
        texts.clear();
        clickButton(button);
        drainBatch();
        ASSERT_EQ(stamps.size(), 64);
        for (int i = 1; i < stamps.size(); ++i)
            ASSERT_GE(stamps[i] - stamps[i - 1], DspMatrixBatchRun::kGapUs) << i;
        const QJsonObject first = parse(texts.first());
        EXPECT_EQ(s(first, "isBatch"), "1");
        EXPECT_EQ(s(first, "ops"), button == QByteArray("resetBt") ? "setMatrixGain" : "setMatrixMute");
    }
    EXPECT_TRUE(sent.isEmpty()) << "the injected sender took every datagram";
}

TEST(MatrixBatchRun, StopsWhenCancelled)
{
    std::atomic<bool> cancel{false};
    qint64 now = 0;
    int sent = 0;
    QStringList texts;
    for (int i = 0; i < 10; ++i)
        texts << QStringLiteral("x");
    const int n = DspMatrixBatchRun::run(
        texts,
        [&](const QString&) {
            if (++sent == 3)
                cancel = true;
        },
        [&now] { return now += 100; }, cancel);
    EXPECT_EQ(n, 3);
}

TEST_F(MatrixPageTest, ACellClickSendsOneChangeAndARefusalPutsItBack)
{
    openMatrix(8, 8);
    sent.clear();
    ASSERT_FALSE(matrix().isOn(2, 5));
    clickCheck(2, 5);
    const QList<QJsonObject> mutes = sentObjects("setMatrixMute");
    ASSERT_EQ(mutes.size(), 1);
    EXPECT_EQ(s(mutes[0], "outIndex") + s(mutes[0], "inIndex") + s(mutes[0], "mute") + s(mutes[0], "isBatch"), "2500");
    EXPECT_TRUE(matrix().isOn(2, 5));
    EXPECT_EQ(grid()->selectedColumn() * 10 + grid()->selectedRow(), 25);

    dialog->recvBackData(reply("setMatrixMute", false, {{"outIndex", "2"}, {"inIndex", "5"}}));
    EXPECT_FALSE(matrix().isOn(2, 5)) << "the device refused: the cell is off there";
    EXPECT_TRUE(tipTexts().contains("设置失败"));
    // A refusal of something not asked for changes nothing.
    matrix().setOn(3, 3, true);
    dialog->recvBackData(reply("setMatrixMute", false, {{"outIndex", "3"}, {"inIndex", "3"}}));
    EXPECT_TRUE(matrix().isOn(3, 3));
}

struct GainCase
{
    double typed;
    const char* val; ///< nullptr: nothing sent
    double stored;
    const char* tip;
};

class MatrixGainTest : public MatrixPageTest, public ::testing::WithParamInterface<GainCase>
{
};

TEST_P(MatrixGainTest, TheGainFieldActsOnTheSelectedCell)
{
    const GainCase c = GetParam();
    openMatrix(8, 8);
    matrix().setGainDb(4, 1, -3);
    form->selectCell(4, 1);
    EXPECT_DOUBLE_EQ(gainSpin()->value(), -3);
    sent.clear();
    gainSpin()->setValue(c.typed);
    const QList<QJsonObject> gains = sentObjects("setMatrixGain");
    ASSERT_EQ(gains.size(), c.val ? 1 : 0);
    if (c.val) {
        EXPECT_EQ(s(gains[0], "val"), c.val);
        EXPECT_EQ(s(gains[0], "isBatch"), "0");
        EXPECT_EQ(s(gains[0], "outIndex") + s(gains[0], "inIndex"), "41");
    }
    EXPECT_DOUBLE_EQ(matrix().gainDb(4, 1), c.stored);
    EXPECT_DOUBLE_EQ(gainSpin()->value(), c.stored) << "the field shows what the cell holds";
    EXPECT_EQ(tipTexts().join("|"), QString::fromUtf8(c.tip));
}

INSTANTIATE_TEST_SUITE_P(Range, MatrixGainTest,
                         ::testing::Values(GainCase{-48, "240", -48, ""}, GainCase{12, "48", 12, ""},
                                           GainCase{0, "0", 0, ""}, GainCase{-3, nullptr, -3, ""},
                                           GainCase{5.1, "20", 5, ""}, GainCase{12.5, nullptr, -3, "请输入正确的范围"},
                                           GainCase{-48.5, nullptr, -3, "请输入正确的范围"}));

TEST_F(MatrixPageTest, GainShareForOneColumnAndForAll)
{
    openMatrix(8, 8);
    sent.clear();
    QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, grid()->shareRect(3).center());
    QList<QJsonObject> modes = sentObjects("setMatrixMode");
    ASSERT_EQ(modes.size(), 1);
    EXPECT_EQ(s(modes[0], "outIndex") + s(modes[0], "mode"), "31");
    EXPECT_TRUE(matrix().isShare(3));
    dialog->recvBackData(reply("setMatrixMode", true, {{"outIndex", "3"}}));
    EXPECT_TRUE(tipTexts().contains("设置成功"));
    dialog->recvBackData(reply("setMatrixMode", false, {{"outIndex", "3"}}));
    EXPECT_TRUE(matrix().isShare(3)) << "only a pending change is taken back";

    // A model without batch reads gets one request per output from the worker.
    sent.clear();
    clickButton("gainShare_bt");
    drainBatch();
    modes = sentObjects("setMatrixMode");
    ASSERT_EQ(modes.size(), 8);
    for (int c = 0; c < 8; ++c) {
        EXPECT_EQ(s(modes[c], "outIndex"), QString::number(c));
        EXPECT_EQ(s(modes[c], "mode"), "1");
        EXPECT_TRUE(matrix().isShare(c));
    }
}

TEST_F(MatrixPageTest, BatchModelsShareEveryOutputInOneRequest)
{
    openMatrix(8, 8, "MRD-P64");
    matrix().setShare(2, true);
    sent.clear();
    clickButton("cancelGainShare_bt");
    drainBatch();
    const QList<QJsonObject> modes = sentObjects("setMatrixMode");
    ASSERT_EQ(modes.size(), 1);
    EXPECT_EQ(s(modes[0], "uiTag"), "superMatrixUiTag");
    EXPECT_EQ(QStringList(modes[0].keys()), (QStringList{"mode", "ops", "uiTag"}));
    EXPECT_EQ(s(modes[0], "mode"), "0");
    EXPECT_FALSE(matrix().isShare(2));
}

TEST_F(MatrixPageTest, OfflineEveryActionChangesTheConfigurationOnly)
{
    openMatrix(8, 8);
    form->setOffline(true);
    sent.clear();
    clickCheck(1, 1);
    form->selectCell(1, 1);
    gainSpin()->setValue(-6);
    form->on_gainShare_clicked(0);
    clickButton("gainShare_bt");
    form->volumeTick();
    form->sendRequest();
    EXPECT_TRUE(matrix().isOn(1, 1));
    EXPECT_DOUBLE_EQ(matrix().gainDb(1, 1), -6);
    EXPECT_TRUE(matrix().isShare(7));
    clickButton("resetBt");
    clickButton("clearBt");
    EXPECT_FALSE(form->isBatchRunning());
    drainBatch();
    EXPECT_FALSE(matrix().isOn(1, 1));
    EXPECT_DOUBLE_EQ(matrix().gainDb(1, 1), 0);
    EXPECT_TRUE(sent.isEmpty()) << sentOps().join(",").toStdString();
}

TEST_F(MatrixPageTest, ALockedProcessorRefusesEveryChange)
{
    openMatrix(8, 8);
    DevDetailStore::instance().updateDevDetail(kDevId, [](DevDetail_t& d) { d.dspLockLevel = 1; });
    matrix().setGainDb(0, 0, -2);
    const DspMatrix before = matrix();
    form->selectCell(0, 0);
    sent.clear();
    tips->clear();
    clickCheck(0, 0);
    gainSpin()->setValue(-9);
    form->on_gainShare_clicked(0);
    for (const char* b : {"gainShare_bt", "cancelGainShare_bt", "resetBt", "clearBt"})
        clickButton(b);
    drainBatch();
    EXPECT_TRUE(matrix() == before);
    EXPECT_DOUBLE_EQ(gainSpin()->value(), -2);
    EXPECT_EQ(sentObjects().size(), 0);
    EXPECT_EQ(tipTexts().count("控制功能已上锁"), 7);
}

TEST_F(MatrixPageTest, JumpsScrollToTheTypedChannelOrAreRefused)
{
    openMatrix(60, 60);
    const struct
    {
        const char* edit;
        const char* text;
        int first; ///< first visible row or column afterwards; -1: refused
    } cases[] = {
        {"inJump_edit", "30", 29},  {"outJump_edit", "12", 11},  {"inJump_edit", "0", -1}, {"inJump_edit", "61", -1},
        {"outJump_edit", "61", -1}, {"outJump_edit", "abc", -1}, {"inJump_edit", "", -1},  {"outJump_edit", "-3", -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.edit) + " " + c.text);
        grid()->scrollToRow(0);
        grid()->scrollToColumn(0);
        tips->clear();
        auto* edit = form->findChild<QLineEdit*>(c.edit);
        ASSERT_NE(edit, nullptr);
        edit->setText(c.text);
        QTest::keyClick(edit, Qt::Key_Return);
        const bool input = QByteArray(c.edit) == "inJump_edit";
        const int first = input ? grid()->firstVisibleRow() : grid()->firstVisibleColumn();
        EXPECT_EQ(tipTexts(), c.first < 0 ? QStringList{"请输入正确的范围"} : QStringList());
        EXPECT_EQ(first, c.first < 0 ? 0 : c.first);
    }
}

TEST_F(MatrixPageTest, VolumeTickPollsTheVisibleChannelsAndRepliesFillTheIndicators)
{
    openMatrix(60, 60);
    grid()->scrollToRow(40);
    sent.clear();
    form->volumeTick();
    QStringList asked;
    for (const QJsonObject& o : sentObjects())
        asked << s(o, "ops") + ":" + s(o, "idStart");
    // Rows from 40 are all network inputs (10 of them come after 30 physical ones); columns from 0 show physical
    // outputs only on this screen.
    EXPECT_EQ(asked, (QStringList{"getAllVolumeDbRx:10", "getAllPhyVolumeDbTx:0"}));

    dialog->recvBackData(reply("getAllVolumeDbRx", true, {{"idStart", "10"}, {"arr", QJsonArray{"-12.3", "-inf"}}}));
    dialog->recvBackData(reply("getAllPhyVolumeDbTx", true, {{"idStart", "2"}, {"arr", QJsonArray{"-3"}}}));
    EXPECT_EQ(form->rowLevels().value(40), -12);
    EXPECT_EQ(form->rowLevels().value(41), -90);
    EXPECT_EQ(form->columnLevels().value(2), -3);
}

TEST_F(MatrixPageTest, PaintingCostsTheVisibleCellsOnly)
{
    openMatrix(120, 120);
    grid()->viewport()->repaint();
    const int shown = (grid()->lastVisibleColumn() - grid()->firstVisibleColumn() + 1) *
                      (grid()->lastVisibleRow() - grid()->firstVisibleRow() + 1);
    EXPECT_EQ(grid()->paintedCells(), shown);
    EXPECT_LT(shown, 120 * 120 / 10);
}

} // namespace

namespace {

TEST_F(MatrixPageTest, AVirtualMixerIsNeverReadFrom)
{
    TestDevice d;
    d.model = QStringLiteral("MRV-MIX");
    open(d);
    form = dialog->matrixForm();
    ASSERT_NE(form->dspData(), nullptr);
    ASSERT_NE(form->dspData()->matrix(), nullptr) << "the dialog builds the mixer's configuration itself";
    dialog->show();
    dialog->on_pb_matrix_clicked();
    form->sendRequest();
    QApplication::processEvents();
    EXPECT_TRUE(sentObjects("getMatrix").isEmpty() && sentObjects("getMatrixBatch").isEmpty());
    EXPECT_FALSE(form->isReading());
}

} // namespace

// The simulated processor's matrix: paged reads, crosspoint and gain-share changes stored in its configuration,
// level reads on its port, refusals.
#include "SimDspMatrix.h"
#include "SimDspCommands.h"
#include "SimDspConfig.h"
#include "SimTestUtil.h"

using namespace simtest;

namespace {

/// A P64 (64 network inputs and outputs, one AEC and two automixer rows) and a D8 without processor.
struct MatrixBench : Bench
{
    static constexpr int kDsp = 2;
    static constexpr int kPlain = 1;
    static constexpr int kRows = 64 + SimDspConfig::kAecs + SimDspConfig::kAutomixers;

    MatrixBench() : Bench(SimDeviceConfig::generate({ip("10.0.0.1"), ip("10.0.0.2"), ip("10.0.0.3")})) {}

    QJsonObject dsp(QJsonObject request, const char* tag = "dspUiTag")
    {
        request.insert("uiTag", tag);
        return one(kDsp, request, SimServiceDsp);
    }
    /// Cell of the stored configuration's matrix: "<muteArr>/<gainArr>" and the column's mode.
    QString cell(int out, int in)
    {
        const QJsonObject port = storedPort(out);
        return port.value("muteArr").toArray()[in].toString() + "/" + port.value("gainArr").toArray()[in].toString();
    }
    QJsonObject storedPort(int out)
    {
        SimDspConfig::current(net->device(kDsp));
        for (const QJsonValue& n : net->device(kDsp).state().dsp.config.value("nodeArr").toArray())
            if (n.toObject().value("type").toString() == "1")
                return n.toObject().value("obj").toObject().value("portArr").toArray()[out].toObject();
        return {};
    }
    QJsonObject getConfigMatrixPort(int out)
    {
        QJsonObject request = req("getConfig", {{"uiTag", "dspUiTag"}, {"devId", net->device(kDsp).devId()}});
        const QVector<QByteArray> replies = SimDspCommands::handleTcp(*net, kDsp, compact(request));
        const QJsonObject r = replies.isEmpty() ? QJsonObject() : parse(replies.first());
        for (const QJsonValue& n : r.value("config").toObject().value("nodeArr").toArray())
            if (n.toObject().value("type").toString() == "1")
                return n.toObject().value("obj").toObject().value("portArr").toArray()[out].toObject();
        return {};
    }
};

QJsonObject cellReq(const char* ops, int out, int in, const char* key, const char* value, const char* batch = "0")
{
    return req(
        ops, {{"outIndex", QString::number(out)}, {"inIndex", QString::number(in)}, {key, value}, {"isBatch", batch}});
}

} // namespace

TEST(SimDspMatrix, PagesFollowIdNextToTheEndOfEveryOutput)
{
    MatrixBench b;
    for (const char* ops : {"getMatrix", "getMatrixBatch"}) {
        SCOPED_TRACE(ops);
        QJsonArray mutes;
        int start = 0;
        for (int n = 0; n < 20 && start < MatrixBench::kRows; ++n) {
            const QJsonObject r = b.dsp(req(ops, {{"outIndex", "1"}, {"idStart", QString::number(start)}}));
            expectAllText(r, ops);
            ASSERT_EQ(r.value("result").toString(), "succ");
            EXPECT_EQ(num(r.value("outIndex")), 1);
            EXPECT_EQ(num(r.value("idStart")), start);
            const int next = num(r.value("idNext"));
            EXPECT_EQ(next - start, qMin(SimDspMatrix::kRowsPerPage, MatrixBench::kRows - start));
            EXPECT_EQ(r.value("muteArr").toArray().size(), next - start);
            EXPECT_EQ(r.value("gainArr").toArray().size(), next - start);
            for (const QJsonValue& v : r.value("muteArr").toArray())
                mutes.append(v);
            start = next;
        }
        EXPECT_EQ(start, MatrixBench::kRows) << "idNext ends at the row count";
        EXPECT_EQ(mutes, b.storedPort(1).value("muteArr").toArray());
    }
    // getMatrix without a start begins at row 0.
    EXPECT_EQ(num(b.dsp(req("getMatrix", {{"outIndex", "0"}})).value("idStart")), 0);
}

TEST(SimDspMatrix, BadReadsAreRefused)
{
    MatrixBench b;
    const QJsonObject bad[] = {
        req("getMatrixBatch", {{"outIndex", "0"}}),
        req("getMatrixBatch", {{"outIndex", "64"}, {"idStart", "0"}}),
        req("getMatrixBatch", {{"outIndex", "0"}, {"idStart", QString::number(MatrixBench::kRows)}}),
        req("getMatrix", {{"outIndex", "-1"}}),
        req("getMatrix", {{"outIndex", "x"}}),
    };
    for (const QJsonObject& r : bad)
        EXPECT_EQ(b.dsp(r).value("result").toString(), "fail") << compact(r).toStdString();
    EXPECT_TRUE(b.ask(MatrixBench::kPlain, req("getMatrix", {{"outIndex", "0"}}), SimServiceDsp).isEmpty());
}

TEST(SimDspMatrix, ChangesAreStoredAndShownByTheNextReads)
{
    MatrixBench b;
    const struct
    {
        QJsonObject request;
        int out, in;
        const char* cell; ///< "<mute>/<gain code>" stored afterwards
    } changes[] = {
        {cellReq("setMatrixMute", 5, 7, "mute", "0"), 5, 7, "0/0"},
        {cellReq("setMatrixMute", 0, 0, "mute", "1", "1"), 0, 0, "1/0"},
        {cellReq("setMatrixGain", 5, 7, "val", "240"), 5, 7, "0/240"},
        {cellReq("setMatrixGain", 63, MatrixBench::kRows - 1, "val", "48", "1"), 63, MatrixBench::kRows - 1, "1/48"},
    };
    for (const auto& c : changes) {
        const QJsonObject r = b.dsp(c.request);
        EXPECT_EQ(r.value("result").toString(), "succ") << compact(c.request).toStdString();
        EXPECT_EQ(num(r.value("outIndex")) * 1000 + num(r.value("inIndex")), c.out * 1000 + c.in);
        EXPECT_EQ(b.cell(c.out, c.in), c.cell);
    }
    const QJsonObject page = b.dsp(req("getMatrixBatch", {{"outIndex", "5"}, {"idStart", "0"}}));
    EXPECT_EQ(page.value("muteArr").toArray()[7].toString() + "/" + page.value("gainArr").toArray()[7].toString(),
              "0/240");
    EXPECT_EQ(b.getConfigMatrixPort(5).value("gainArr").toArray()[7].toString(), "240");

    // Gain share: one output, then all outputs at once.
    EXPECT_EQ(b.dsp(req("setMatrixMode", {{"outIndex", "3"}, {"mode", "1"}})).value("result").toString(), "succ");
    EXPECT_EQ(b.getConfigMatrixPort(3).value("mode").toString(), "1");
    EXPECT_EQ(b.getConfigMatrixPort(4).value("mode").toString(), "0");
    EXPECT_EQ(b.dsp(req("setMatrixMode", {{"mode", "1"}}), "superMatrixUiTag").value("uiTag").toString(),
              "superMatrixUiTag");
    for (int out : {0, 4, 63})
        EXPECT_EQ(b.storedPort(out).value("mode").toString(), "1") << out;
    b.dsp(req("setMatrixMode", {{"mode", "0"}}), "superMatrixUiTag");
    EXPECT_EQ(num(b.dsp(req("getMatrix", {{"outIndex", "3"}})).value("mode")), 0);
}

TEST(SimDspMatrix, InvalidAndLockedChangesLeaveTheMatrixAsItWas)
{
    MatrixBench b;
    const QJsonObject before = b.storedPort(2);
    const QJsonObject bad[] = {
        cellReq("setMatrixMute", 2, 0, "mute", "2"),
        cellReq("setMatrixMute", 64, 0, "mute", "0"),
        cellReq("setMatrixMute", 2, MatrixBench::kRows, "mute", "0"),
        cellReq("setMatrixGain", 2, 0, "val", "241"),
        cellReq("setMatrixGain", 2, 0, "val", "-1"),
        cellReq("setMatrixGain", 2, 0, "val", "1.5"),
        cellReq("setMatrixGain", 2, 0, "val", "4", "yes"),
        req("setMatrixMode", {{"outIndex", "2"}, {"mode", "on"}}),
        req("setMatrixMode", {{"mode", "1"}}), // all outputs only under the matrix-wide tag
    };
    for (const QJsonObject& r : bad)
        EXPECT_EQ(b.dsp(r).value("result").toString(), "fail") << compact(r).toStdString();
    EXPECT_EQ(b.storedPort(2), before);

    b.net->device(MatrixBench::kDsp).setDspLockMask(1);
    const QJsonObject locked[] = {cellReq("setMatrixMute", 2, 1, "mute", "0"),
                                  cellReq("setMatrixGain", 2, 1, "val", "9"),
                                  req("setMatrixMode", {{"outIndex", "2"}, {"mode", "1"}})};
    for (const QJsonObject& r : locked) {
        const QJsonObject reply = b.dsp(r);
        EXPECT_EQ(reply.value("reason").toString(), "LOCK_UCAST_MCAST") << compact(r).toStdString();
        EXPECT_EQ(reply.value("outIndex").toString(), "2") << "the refusal names the output";
    }
    EXPECT_EQ(b.storedPort(2), before);
    // Reads go on while locked.
    EXPECT_EQ(b.dsp(req("getMatrixBatch", {{"outIndex", "2"}, {"idStart", "0"}})).value("result").toString(), "succ");
}

TEST(SimDspMatrix, LevelReadsOnTheProcessorPortAreTaggedPages)
{
    MatrixBench b;
    const QString devId = b.net->device(MatrixBench::kDsp).devId();
    for (const char* ops : {"getAllVolumeDbRx", "getAllVolumeDbTx", "getAllPhyVolumeDbRx", "getAllPhyVolumeDbTx"}) {
        SCOPED_TRACE(ops);
        const QJsonObject r = b.dsp(req(ops, {{"idStart", "0"}}));
        EXPECT_EQ(r.value("uiTag").toString(), "dspUiTag");
        EXPECT_EQ(r.value("devId").toString(), devId);
        EXPECT_EQ(r.value("result").toString(), "succ");
        // The P64 has 64 network channels each way and no physical ones.
        const bool network = QString(ops).startsWith("getAllVolume");
        EXPECT_EQ(num(r.value("idNext")) > 0, network);
        for (const QJsonValue& v : r.value("arr").toArray()) {
            const QString t = v.toString();
            EXPECT_TRUE(t == "-inf" || (t.toDouble() <= 0 && t.toDouble() >= -120)) << t.toStdString();
        }
        EXPECT_EQ(b.dsp(req(ops, {{"idStart", "999"}})).value("result").toString(), "fail");
    }
    EXPECT_TRUE(b.ask(MatrixBench::kPlain, req("getAllVolumeDbRx", {{"idStart", "0"}}), SimServiceDsp).isEmpty());
}

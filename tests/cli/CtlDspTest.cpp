// `dsp response` and `dsp get`: command lines, the curve printed from a configuration, and its refusals.
#include "CDeviceDspData.h"
#include "CtlDspFetch.h"
#include "CtlDspResponse.h"
#include "CtlExit.h"
#include "CtlOptions.h"
#include "DspBlockingExchange.h"
#include "EqResponse.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QJsonObject eqBlock(double gainDb, double freq = 1000, int type = 0)
{
    const QJsonObject band{{"type", QString::number(type)},
                           {"freq0", QString::number(freq)},
                           {"dbGain", QString::number(gainDb)},
                           {"qBwS", "1"}};
    return {{"bypass", "0"},
            {"core", "0"},
            {"groupId", "-1"},
            {"type", "0"},
            {"obj", QJsonObject{{"eqArr", QJsonArray{band}}, {"bypassArr", QJsonArray{"0"}}}}};
}

QJsonObject limiter()
{
    return {{"bypass", "0"}, {"core", "0"}, {"groupId", "-1"}, {"type", "6"}, {"obj", QJsonObject{{"limitDb", "-6"}}}};
}

QJsonObject channelNode(const QVector<QJsonArray>& chains)
{
    QJsonArray comm;
    QJsonArray ports;
    for (const QJsonArray& chain : chains) {
        comm.append(QJsonObject{{"mute", "0"}, {"inverse", "0"}, {"gainDb", "0"}, {"groupId", "-1"}});
        ports.append(QJsonObject{{"core", "0"}, {"procArr", chain}});
    }
    return {{"type", "0"},
            {"portNum", QString::number(chains.size())},
            {"commArr", comm},
            {"obj", QJsonObject{{"portArr", ports}}}};
}

/// Input 1: a 0 dB band. Input 2: limiter, +6 dB at 1 kHz, -3 dB at 1 kHz. Output 1: +6 dB at 1 kHz.
QJsonObject knownConfig()
{
    const QJsonArray nodes{
        channelNode({QJsonArray{eqBlock(0)}, QJsonArray{limiter(), eqBlock(6), eqBlock(-3)}}),
        channelNode({QJsonArray{eqBlock(6)}}),
    };
    return {{"version", "1"}, {"sampleRate", "48000"}, {"nodeArr", nodes}};
}

QByteArray text(const QJsonObject& o)
{
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

QByteArray wholeReply()
{
    return text({{"ops", "getConfig"}, {"result", "succ"}, {"config", knownConfig()}});
}

CtlDspResponse::Request request(bool input, int channel, int eqIndex = -1, bool phase = false)
{
    CtlDspResponse::Request r;
    r.input = input;
    r.channel = channel;
    r.eqIndex = eqIndex;
    r.phase = phase;
    return r;
}

QStringList lines(const QByteArray& out)
{
    return QString::fromUtf8(out).split('\n', Qt::SkipEmptyParts);
}

QString valueAt(const QStringList& printed, const QString& freq)
{
    for (const QString& l : printed)
        if (l.section('\t', 0, 0) == freq)
            return l.section('\t', 1);
    return QStringLiteral("(none)");
}

} // namespace

TEST(CtlDspTest, CommandLines)
{
    const struct
    {
        QStringList args;
        const char* error; ///< null: accepted
        CtlOptions::Command command;
    } cases[] = {
        {{"dsp", "get", "Room 1"}, nullptr, CtlOptions::DspGet},
        {{"dsp", "response", "--config", "f.json", "in", "1"}, nullptr, CtlOptions::DspResponse},
        {{"dsp", "response", "Room 1", "out", "3", "--phase", "--eq", "2", "--json"}, nullptr, CtlOptions::DspResponse},
        {{"dsp", "get"}, "wrong number of arguments", CtlOptions::DspGet},
        {{"dsp", "get", "a", "b"}, "wrong number of arguments", CtlOptions::DspGet},
        {{"dsp", "get", "a", "--phase"}, "only for dsp response", CtlOptions::DspGet},
        {{"dsp", "response", "--config", "f", "Room", "in", "1"}, "no DEVICE", CtlOptions::DspResponse},
        {{"dsp", "response", "Room", "in"}, "needs DEVICE in|out CH", CtlOptions::DspResponse},
        {{"dsp", "response", "Room", "left", "1"}, "in or out", CtlOptions::DspResponse},
        {{"dsp", "response", "Room", "in", "0"}, "from 1", CtlOptions::DspResponse},
        {{"dsp", "response", "Room", "in", "two"}, "from 1", CtlOptions::DspResponse},
        {{"dsp", "response", "Room", "in", "1", "--eq", "-1"}, "--eq", CtlOptions::DspResponse},
        {{"dsp", "response", "Room", "in", "1", "--eq", "x"}, "--eq", CtlOptions::DspResponse},
        {{"dsp"}, "dsp needs one of get, response", CtlOptions::DspGet},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        CtlOptions o;
        QString error;
        const bool ok = CtlOptions::parse(c.args, &o, &error);
        if (c.error) {
            EXPECT_FALSE(ok);
            EXPECT_TRUE(error.contains(QLatin1String(c.error))) << error.toStdString();
            EXPECT_EQ(CtlOptions::usageExitCode(c.args), CtlExit::kUsage);
            continue;
        }
        ASSERT_TRUE(ok) << error.toStdString();
        EXPECT_EQ(o.command, c.command);
        EXPECT_TRUE(o.isControl());
    }
    CtlOptions o;
    QString error;
    ASSERT_TRUE(CtlOptions::parse({"dsp", "response", "R", "out", "3", "--phase", "--eq", "2"}, &o, &error));
    CtlDspResponse::Request r;
    ASSERT_TRUE(CtlDspResponse::requestOf(o, &r).isEmpty());
    EXPECT_FALSE(r.input);
    EXPECT_EQ(r.channel, 3);
    EXPECT_EQ(r.eqIndex, 2);
    EXPECT_TRUE(r.phase);
    ASSERT_TRUE(CtlOptions::parse({"dsp", "response", "--help"}, &o, &error));
    EXPECT_TRUE(o.help.contains(QLatin1String("CH counts from 1"))) << o.help.toStdString();
}

TEST(CtlDspTest, MagnitudeLinesOnTheEditorGrid)
{
    const struct
    {
        const char* what;
        CtlDspResponse::Request req;
        const char* at1000;
    } cases[] = {
        {"0 dB band", request(true, 1), "0.00"},
        {"first EQ block of the chain", request(true, 2), "6.00"},
        {"EQ block chosen by chain index", request(true, 2, 2), "-3.00"},
        {"output channel", request(false, 1), "6.00"},
    };
    const QVector<double> grid = EqResponse::magnitudeGrid();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const CtlDspResponse::Curve curve = CtlDspResponse::compute(wholeReply(), c.req);
        ASSERT_TRUE(curve.ok()) << curve.error.toStdString();
        const QStringList printed = lines(CtlDspResponse::text(curve));
        ASSERT_EQ(printed.size(), grid.size());
        EXPECT_EQ(printed.first().section('\t', 0, 0), "20");
        EXPECT_EQ(printed.at(100).section('\t', 0, 0), "120");
        EXPECT_EQ(printed.last().section('\t', 0, 0), "19520");
        EXPECT_EQ(valueAt(printed, "1000"), c.at1000);

        // Every line is the model's curve of that channel, to two decimals.
        CDeviceDspData data;
        data.parse(QString::fromUtf8(wholeReply()), QString());
        const int eq = c.req.eqIndex >= 0 ? c.req.eqIndex : (c.req.input && c.req.channel == 2 ? 1 : 0);
        const QVector<QPointF> model = EqResponse::magnitudeCurve(*data.channel(c.req.input, c.req.channel - 1), eq);
        for (int i = 0; i < printed.size(); ++i)
            ASSERT_EQ(printed.at(i).section('\t', 1), CtlDspResponse::valueText(model.at(i).y() / 10)) << i;
    }
    // A flat band is flat everywhere, never "-0.00".
    for (const QString& l : lines(CtlDspResponse::text(CtlDspResponse::compute(wholeReply(), request(true, 1)))))
        ASSERT_EQ(l.section('\t', 1), "0.00") << l.toStdString();
}

TEST(CtlDspTest, BareConfigPhaseAndJson)
{
    const QByteArray bare = text(knownConfig());
    const CtlDspResponse::Curve fromReply = CtlDspResponse::compute(wholeReply(), request(false, 1));
    EXPECT_EQ(CtlDspResponse::text(CtlDspResponse::compute(bare, request(false, 1))), CtlDspResponse::text(fromReply));

    const CtlDspResponse::Curve phase = CtlDspResponse::compute(bare, request(true, 2, -1, true));
    const QStringList printed = lines(CtlDspResponse::text(phase));
    ASSERT_EQ(printed.size(), EqResponse::phaseGrid().size());
    EXPECT_EQ(printed.at(0).section('\t', 0, 0), "20");
    EXPECT_EQ(printed.at(1).section('\t', 0, 0), "20.1");
    for (const QString& l : printed) {
        const double deg = l.section('\t', 1).toDouble();
        ASSERT_TRUE(deg >= -180 && deg <= 180) << l.toStdString();
    }
    EXPECT_NE(valueAt(printed, "500"), "0.00") << "a peaking band turns the phase below its centre";

    for (const bool isPhase : {false, true}) {
        const CtlDspResponse::Curve curve = CtlDspResponse::compute(bare, request(true, 2, -1, isPhase));
        const QJsonObject o = QJsonDocument::fromJson(CtlDspResponse::json(curve, isPhase)).object();
        const QJsonArray values = o.value(isPhase ? "deg" : "db").toArray();
        EXPECT_EQ(o.size(), 2);
        ASSERT_EQ(o.value("freq").toArray().size(), curve.freq.size());
        ASSERT_EQ(values.size(), curve.freq.size());
        EXPECT_EQ(o.value("freq").toArray().at(1).toDouble(), isPhase ? 20.1 : 21);
        for (int i = 0; i < values.size(); ++i)
            ASSERT_EQ(QString::number(values.at(i).toDouble(), 'f', 2), CtlDspResponse::valueText(curve.values.at(i)));
    }
}

TEST(CtlDspTest, RefusedConfigurationsAndChannels)
{
    const struct
    {
        const char* what;
        QByteArray config;
        CtlDspResponse::Request req;
        const char* error;
        int exitCode;
    } cases[] = {
        {"not JSON", "{\"config\": ", request(true, 1), "not JSON", CtlExit::kUsage},
        {"empty", "", request(true, 1), "not JSON", CtlExit::kUsage},
        {"JSON without a configuration", "{\"ops\":\"getConfig\",\"result\":\"fail\"}", request(true, 1), "nodeArr",
         CtlExit::kUsage},
        {"a list", "[1,2]", request(true, 1), "nodeArr", CtlExit::kUsage},
        {"input past the last", wholeReply(), request(true, 3), "no input channel 3: the configuration has 2",
         CtlExit::kUnknown},
        {"output past the last", wholeReply(), request(false, 2), "no output channel 2", CtlExit::kUnknown},
        {"chain index of a limiter", wholeReply(), request(true, 2, 0), "not an equaliser", CtlExit::kUnknown},
        {"chain index past the chain", wholeReply(), request(true, 2, 3), "not an equaliser", CtlExit::kUnknown},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const CtlDspResponse::Curve curve = CtlDspResponse::compute(c.config, c.req);
        EXPECT_TRUE(curve.error.contains(QLatin1String(c.error))) << curve.error.toStdString();
        EXPECT_EQ(curve.exitCode, c.exitCode);
        EXPECT_TRUE(curve.freq.isEmpty());
    }
}

TEST(CtlDspTest, FilesAreBounded)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const struct
    {
        const char* name;
        qint64 bytes; ///< -1: no file
        bool ok;
    } cases[] = {
        {"small.json", 10, true},
        {"limit.json", CtlDspResponse::kMaxFileBytes, true},
        {"over.json", CtlDspResponse::kMaxFileBytes + 1, false},
        {"missing.json", -1, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.filePath(QLatin1String(c.name));
        if (c.bytes >= 0) {
            QFile f(path);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            ASSERT_TRUE(f.resize(c.bytes));
        }
        QByteArray content;
        QString error;
        EXPECT_EQ(CtlDspResponse::readFile(path, &content, &error), c.ok) << error.toStdString();
        EXPECT_EQ(error.isEmpty(), c.ok);
        if (c.ok) {
            EXPECT_EQ(content.size(), c.bytes);
        }
    }
}

TEST(CtlDspTest, TextForms)
{
    const struct
    {
        double hz;
        const char* text;
    } freqs[] = {{20, "20"}, {20.1, "20.1"}, {20.099999999, "20.1"}, {119.9, "119.9"}, {19520, "19520"}};
    for (const auto& f : freqs)
        EXPECT_EQ(CtlDspResponse::frequencyText(f.hz), f.text) << f.hz;
    const struct
    {
        double value;
        const char* text;
    } values[] = {{-0.001, "0.00"}, {5.999, "6.00"}, {-3.456, "-3.46"}, {0, "0.00"}, {-179.999, "-180.00"}};
    for (const auto& v : values)
        EXPECT_EQ(CtlDspResponse::valueText(v.value), v.text) << v.value;
}

TEST(CtlDspTest, DevicesAndProcessorReplies)
{
    DevDetail_t a;
    a.devId = "MRP-0A000001";
    a.name = "Stage";
    a.ip = 0x0A000001;
    a.model = "MRD-P64";
    DevDetail_t b = a;
    b.devId = "MRP-0A000002";
    b.name = "stage";
    b.ip = 0x0A000002;
    DevDetail_t plain = a;
    plain.devId = "MRA-0A000003";
    plain.name = "Wall";
    plain.ip = 0x0A000003;
    plain.model = "MRD-A16";
    const QVector<DevDetail_t> devices{a, b, plain};
    const struct
    {
        const char* text;
        int exitCode;
        const char* devId; ///< found, or a part of the error
    } targets[] = {
        {"Stage", 0, "MRP-0A000001"},
        {"stage", 0, "MRP-0A000002"},
        {"STAGE", CtlExit::kUnknown, "names several devices"},
        {"10.0.0.2", 0, "MRP-0A000002"},
        {"MRP-0A000001", 0, "MRP-0A000001"},
        {"Wall", CtlExit::kRefused, "not a processor model"},
        {"Nowhere", CtlExit::kUnknown, "no device \"Nowhere\""},
    };
    for (const auto& t : targets) {
        SCOPED_TRACE(t.text);
        const CtlDspFetch::Target found = CtlDspFetch::resolve(devices, QLatin1String(t.text));
        EXPECT_EQ(found.exitCode, t.exitCode);
        if (t.exitCode == 0) {
            EXPECT_EQ(found.detail.devId, t.devId);
            EXPECT_EQ(found.dspIp, found.detail.ip);
        } else {
            EXPECT_TRUE(found.error.contains(QLatin1String(t.devId))) << found.error.toStdString();
        }
    }

    const struct
    {
        const char* what;
        QString reply;
        int exitCode;
        const char* error;
    } replies[] = {
        {"configuration", QString::fromUtf8(wholeReply()), CtlExit::kOk, ""},
        {"refusal", "{\"ops\":\"getConfig\",\"result\":\"fail\",\"reason\":\"devId mismatch\"}", CtlExit::kRefused,
         "devId mismatch"},
        {"time-out", DspBlockingExchange::timeoutText(), CtlExit::kNoReply, "no answer"},
        {"no connection", DspBlockingExchange::connectFailedText(), CtlExit::kNoReply, "no answer"},
        {"garbage", "<html>", CtlExit::kNoReply, "not a JSON object"},
        {"another answer", "{\"ops\":\"getVersion\",\"result\":\"succ\"}", CtlExit::kNoReply, "getVersion"},
        {"success without configuration", "{\"ops\":\"getConfig\",\"result\":\"succ\"}", CtlExit::kNoReply,
         "no configuration"},
    };
    for (const auto& r : replies) {
        SCOPED_TRACE(r.what);
        QByteArray config;
        QString error;
        int code = -1;
        EXPECT_EQ(CtlDspFetch::configOf(r.reply, &config, &error, &code), r.exitCode == CtlExit::kOk);
        EXPECT_EQ(code, r.exitCode);
        EXPECT_TRUE(error.contains(QLatin1String(r.error))) << error.toStdString();
        if (r.exitCode == CtlExit::kOk) {
            EXPECT_EQ(QJsonDocument::fromJson(config).object(), knownConfig());
        }
    }
}

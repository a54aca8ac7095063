// The processor's commands on port 8999 and the requests of its TCP service, without sockets.

#include "SimDspCommands.h"
#include "SimControl.h"
#include "SimDspConfig.h"
#include "SimTestUtil.h"

#include <cmath>

using namespace simtest;

namespace {

/// An A16 (no processor), a D8 and a P64, as the generated networks rotate them.
struct DspBench : Bench
{
    static constexpr int kPlain = 0;
    static constexpr int kDsp = 2;

    DspBench() : Bench(SimDeviceConfig::generate({ip("10.0.0.1"), ip("10.0.0.2"), ip("10.0.0.3")})) {}

    QJsonObject dsp(QJsonObject request)
    {
        request.insert("uiTag", "dspUiTag");
        return one(kDsp, request, SimServiceDsp);
    }

    /// The one TCP reply to a request for the P64 (with its devId unless one is given).
    QJsonObject tcp(QJsonObject request)
    {
        if (!request.contains("devId"))
            request.insert("devId", net->device(kDsp).devId());
        const QVector<QByteArray> r = SimDspCommands::handleTcp(*net, kDsp, compact(request));
        EXPECT_EQ(r.size(), 1) << compact(request).toStdString();
        return r.isEmpty() ? QJsonObject() : QJsonDocument::fromJson(r.first()).object();
    }

    const QJsonObject& stored() { return net->device(kDsp).state().dsp.config; }
    QJsonObject block(int nodeId, int port, int proc)
    {
        SimDspConfig::current(net->device(kDsp));
        return SimDspConfig::block(stored(), nodeId, port, proc).value_or(QJsonObject());
    }
    QJsonObject channel(bool input, int index)
    {
        SimDspConfig::current(net->device(kDsp));
        const QJsonArray n = stored().value("nodeArr").toArray();
        return (input ? n.first() : n.last()).toObject().value("commArr").toArray()[index].toObject();
    }
};

/// The address of one block: node, chain (port) and place in the chain, with more members.
QJsonObject at(int node, int port, int proc, std::initializer_list<QPair<QString, QJsonValue>> members = {})
{
    QJsonObject o{
        {"nodeId", QString::number(node)}, {"portIndex", QString::number(port)}, {"procIndex", QString::number(proc)}};
    for (const auto& m : members)
        o.insert(m.first, m.second);
    return o;
}

QJsonObject blockReq(const char* ops, int node, int port, int proc,
                     std::initializer_list<QPair<QString, QJsonValue>> members = {})
{
    QJsonObject o = at(node, port, proc, members);
    o.insert("ops", ops);
    return o;
}

/// Channel entries {index, val} of a channel settings request.
QJsonArray entries(std::initializer_list<std::pair<const char*, const char*>> list)
{
    QJsonArray a;
    for (const auto& e : list)
        a.append(QJsonObject{{"index", e.first}, {"val", e.second}});
    return a;
}

void expectTagged(const QJsonObject& r, const QString& devId)
{
    EXPECT_EQ(r.value("uiTag").toString(), "dspUiTag");
    EXPECT_EQ(r.value("devId").toString(), devId);
}

} // namespace

TEST(SimDspCommands, VersionOnTheDspPortDescribesTheProcessor)
{
    DspBench b;
    const QJsonObject r = b.dsp({{"ops", "getVersion"}, {"cookie", "0"}});
    expectTagged(r, b.net->device(DspBench::kDsp).devId());
    EXPECT_EQ(r.value("cookie").toString(), "0");
    EXPECT_EQ(r.value("result").toString(), "succ");
    EXPECT_EQ(r.value("model").toString(), "MRD-P64");
    EXPECT_EQ(num(r.value("chNumIn")), 64);
    EXPECT_EQ(num(r.value("chNumOut")), 64);
    EXPECT_GT(r.value("version").toString(), QStringLiteral("3.1.0"));
    for (const char* key : {"dspVer", "memory", "funcList"})
        EXPECT_FALSE(r.value(key).toString().isEmpty()) << key;

    // The processor firmware is part of the description, so older firmware can be simulated too.
    SimDeviceConfig older = bare("10.0.0.9");
    older.model = "MRD-M8";
    older.dspVersion = "3.1.0";
    Bench o({older});
    EXPECT_EQ(o.one(0, {{"ops", "getVersion"}}, SimServiceDsp).value("version").toString(), "3.1.0");

    // The device version on 9994 is untouched, and a model without a processor stays silent on 8999.
    const QJsonObject dev = b.one(DspBench::kDsp, {{"ops", "getVersion"}}, SimServiceSettings);
    EXPECT_EQ(dev.value("version").toString(), b.net->device(DspBench::kDsp).config().version);
    EXPECT_FALSE(dev.contains("chNumIn"));
    EXPECT_TRUE(b.ask(DspBench::kPlain, {{"ops", "getVersion"}, {"uiTag", "dspUiTag"}}, SimServiceDsp).isEmpty());
    // Amplifier gain on 9992 and channel gain on 8999 share a name but not a handler.
    EXPECT_EQ(b.one(DspBench::kDsp, {{"ops", "setGain"}, {"id", "0"}, {"val", "1"}}, SimServiceAmp)
                  .value("reason")
                  .toString(),
              "unsupported");
}

TEST(SimDspCommands, MetersCpuAndCustomStringAreTagged)
{
    DspBench b;
    const QString devId = b.net->device(DspBench::kDsp).devId();
    b.net->device(DspBench::kDsp).editConfig().customStr = "Room 4";
    const QJsonObject s = b.dsp({{"ops", "getCustomStr"}, {"cookie", "0"}});
    expectTagged(s, devId);
    EXPECT_EQ(s.value("str").toString(), "Room 4");

    const QJsonObject v = b.dsp({{"ops", "getVolumeDb"}});
    expectTagged(v, devId);
    const QJsonArray in = v.value("inArr").toArray();
    ASSERT_EQ(in.size(), 64);
    EXPECT_EQ(v.value("outArr").toArray().size(), 64);
    // Network receive channel 0 of the P64 is routed (it takes the D8's channel 0), channel 63 is not.
    EXPECT_NE(in[0].toString(), "-inf");
    EXPECT_EQ(in[63].toString(), "-inf");

    for (const char* ops : {"getVolumeDbBatchIn", "getVolumeDbBatchOut"})
        expectTagged(b.dsp({{"ops", ops}, {"idStart", "0"}}), devId);

    QSet<QString> seen;
    for (int step = 0; step < 10; ++step) {
        const QJsonObject c = b.dsp({{"ops", "getCpuUsage"}});
        expectTagged(c, devId);
        const QJsonArray arr = c.value("arr").toArray();
        ASSERT_EQ(arr.size(), 2);
        for (const QJsonValue& core : arr) {
            EXPECT_GE(num(core), 5);
            EXPECT_LE(num(core), 90);
        }
        EXPECT_EQ(num(c.value("main")), (num(arr[0]) + num(arr[1])) / 2);
        seen.insert(compact(c));
        b.now += 1500;
    }
    EXPECT_GT(seen.size(), 3) << "the load moves";

    // Names set through the DSP window answer on 8999 with the tag.
    const QJsonObject n = b.dsp({{"ops", "setChNameRx"}, {"id", "1"}, {"name", "Lectern"}});
    expectTagged(n, devId);
    EXPECT_EQ(n.value("result").toString(), "succ");
}

TEST(SimDspCommands, BlockChangesTouchTheStoredBlockOnly)
{
    DspBench b;
    const QJsonObject before = b.block(0, 0, 2); // a compressor
    ASSERT_EQ(before.value("type").toString(), "2");
    const QJsonObject neighbour = b.block(0, 0, 3);
    QJsonObject r =
        b.dsp(blockReq("setBorderProc", 0, 0, 2,
                       {{"blockFlag", "bf_in_ch_0_2"}, {"obj", QJsonObject{{"trigDb", "-12"}, {"ratio", "4"}}}}));
    EXPECT_EQ(r.value("result").toString(), "succ");
    EXPECT_EQ(r.value("blockFlag").toString(), "bf_in_ch_0_2");
    const QJsonObject after = b.block(0, 0, 2).value("obj").toObject();
    EXPECT_EQ(after.value("trigDb").toString(), "-12");
    EXPECT_EQ(after.value("ratio").toString(), "4");
    EXPECT_EQ(after.value("attackMs"), before.value("obj").toObject().value("attackMs"));
    EXPECT_EQ(b.block(0, 0, 3), neighbour);

    // An output block: the output node follows the inputs, two automixers, the AEC and the matrix.
    r = b.dsp(blockReq("setBorderProcBypass", 5, 0, 1, {{"blockFlag", "bf_out_ch_0_1"}, {"val", "1"}}));
    EXPECT_EQ(r.value("val").toString(), "1");
    EXPECT_EQ(b.block(5, 0, 1).value("bypass").toString(), "1");

    // One equaliser band at a time.
    const QJsonArray bands = b.block(0, 0, 1).value("obj").toObject().value("eqArr").toArray();
    r = b.dsp(blockReq("setBorderEq", 0, 0, 1, {{"eqIndex", "2"}, {"obj", QJsonObject{{"dbGain", "4.5"}}}}));
    EXPECT_EQ(r.value("result").toString(), "succ");
    const QJsonArray changed = b.block(0, 0, 1).value("obj").toObject().value("eqArr").toArray();
    EXPECT_EQ(changed[2].toObject().value("dbGain").toString(), "4.5");
    EXPECT_EQ(changed[2].toObject().value("freq0"), bands[2].toObject().value("freq0"));
    EXPECT_EQ(changed[1], bands[1]);
    EXPECT_EQ(
        b.dsp(blockReq("setBorderEqBypass", 0, 0, 1, {{"eqIndex", "4"}, {"val", "1"}})).value("result").toString(),
        "succ");
    EXPECT_EQ(b.block(0, 0, 1).value("obj").toObject().value("bypassArr").toArray()[4].toString(), "1");

    const QJsonObject saved = b.stored();
    const struct
    {
        const char* why;
        QJsonObject request;
    } bad[] = {
        {"mixer node holds no chains", blockReq("setBorderProc", 1, 0, 0, {{"obj", QJsonObject()}})},
        {"matrix node holds no chains", blockReq("setBorderProc", 4, 0, 0, {{"obj", QJsonObject()}})},
        {"no such chain", blockReq("setBorderProc", 0, 64, 0, {{"obj", QJsonObject()}})},
        {"no such block", blockReq("setBorderProc", 0, 0, 9, {{"obj", QJsonObject()}})},
        {"no node", req("setBorderProc", {{"portIndex", "0"}, {"procIndex", "0"}, {"obj", QJsonObject()}})},
        {"obj not an object", blockReq("setBorderProc", 0, 0, 0, {{"obj", "x"}})},
        {"bypass not 0 or 1", blockReq("setBorderProcBypass", 0, 0, 0, {{"val", "2"}})},
        {"no such node", blockReq("setBorderProcBypass", 6, 0, 0, {{"val", "1"}})},
        {"past the last band", blockReq("setBorderEq", 0, 0, 1, {{"eqIndex", "5"}, {"obj", QJsonObject()}})},
        {"no equaliser", blockReq("setBorderEq", 0, 0, 2, {{"eqIndex", "0"}, {"obj", QJsonObject()}})},
    };
    for (const auto& c : bad)
        EXPECT_EQ(b.dsp(c.request).value("result").toString(), "fail") << c.why;
    EXPECT_EQ(b.dsp(bad[8].request).value("reason").toString(), "out of range");
    EXPECT_EQ(b.stored(), saved);
}

struct ParamCase
{
    const char* what;
    const char* ops; ///< setBorderProc, or setBorderEq on band 0
    int port;        ///< input chain
    int proc;
    QJsonObject obj;
    const char* badKey; ///< null: accepted; else the key the refusal names
};

// Input chains of the generated P64: 0 filter, EQ, compressor, gate; 1 filter, EQ, delay (max 4800), limiter;
// 2 FIR, expander, feedback eliminator; 3 FIR, ducker, signal generator.
const ParamCase kParamCases[] = {
    {"compressor",
     "setBorderProc",
     0,
     2,
     {{"trigDb", "-12.5"}, {"ratio", "128"}, {"attackMs", "1"}, {"releaseMs", "10000"}},
     nullptr},
    {"compressor threshold above 0", "setBorderProc", 0, 2, {{"trigDb", "0.1"}}, "trigDb"},
    {"compressor ratio below 1", "setBorderProc", 0, 2, {{"ratio", "0.5"}}, "ratio"},
    {"compressor attack 0", "setBorderProc", 0, 2, {{"attackMs", "0"}}, "attackMs"},
    {"compressor release too long", "setBorderProc", 0, 2, {{"releaseMs", "10001"}}, "releaseMs"},
    {"compressor with a limiter's key", "setBorderProc", 0, 2, {{"limitDb", "-3"}}, "limitDb"},
    {"one bad value spoils the change", "setBorderProc", 0, 2, {{"trigDb", "-10"}, {"ratio", "200"}}, "ratio"},
    {"not a number", "setBorderProc", 0, 2, {{"trigDb", "loud"}}, "trigDb"},
    {"gate", "setBorderProc", 0, 3, {{"trigDb", "-100"}, {"openMs", "0"}, {"closeMs", "1000"}}, nullptr},
    {"gate threshold below -100", "setBorderProc", 0, 3, {{"trigDb", "-101"}}, "trigDb"},
    {"gate open time", "setBorderProc", 0, 3, {{"openMs", "1001"}}, "openMs"},
    {"filter", "setBorderProc", 0, 0, {{"isHpf", "1"}, {"order", "8"}, {"type", "2"}, {"freq0", "120.5"}}, nullptr},
    {"filter order 9", "setBorderProc", 0, 0, {{"order", "9"}}, "order"},
    {"filter order 0", "setBorderProc", 0, 0, {{"order", "0"}}, "order"},
    {"filter order not whole", "setBorderProc", 0, 0, {{"order", "2.5"}}, "order"},
    {"filter type 3", "setBorderProc", 0, 0, {{"type", "3"}}, "type"},
    {"filter frequency", "setBorderProc", 0, 0, {{"freq0", "24001"}}, "freq0"},
    {"filter direction not a flag", "setBorderProc", 0, 0, {{"isHpf", "yes"}}, "isHpf"},
    {"limiter", "setBorderProc", 1, 3, {{"limitDb", "-100"}}, nullptr},
    {"limiter above 0", "setBorderProc", 1, 3, {{"limitDb", "1"}}, "limitDb"},
    {"delay up to its maximum", "setBorderProc", 1, 2, {{"delayNum", "4800"}}, nullptr},
    {"delay past its maximum", "setBorderProc", 1, 2, {{"delayNum", "4801"}}, "delayNum"},
    {"expander", "setBorderProc", 2, 1, {{"trigDb", "0"}, {"ratio", "1"}}, nullptr},
    {"expander threshold", "setBorderProc", 2, 1, {{"trigDb", "-100.5"}}, "trigDb"},
    {"ducker",
     "setBorderProc",
     3,
     1,
     {{"trigDb", "-60"}, {"duckDb", "-80"}, {"attackMs", "1"}, {"holdMs", "50000"}, {"refCh", "63"}},
     nullptr},
    {"ducker without reference", "setBorderProc", 3, 1, {{"refCh", "-1"}}, nullptr},
    {"ducker trigger", "setBorderProc", 3, 1, {{"trigDb", "-61"}}, "trigDb"},
    {"ducker depth", "setBorderProc", 3, 1, {{"duckDb", "-81"}}, "duckDb"},
    {"ducker attack 0", "setBorderProc", 3, 1, {{"attackMs", "0"}}, "attackMs"},
    {"ducker hold", "setBorderProc", 3, 1, {{"holdMs", "50001"}}, "holdMs"},
    {"ducker reference past the inputs", "setBorderProc", 3, 1, {{"refCh", "64"}}, "refCh"},
    {"ducker reference below -1", "setBorderProc", 3, 1, {{"refCh", "-2"}}, "refCh"},
    {"band", "setBorderEq", 0, 1, {{"type", "9"}, {"freq0", "24000"}, {"dbGain", "-48"}, {"qBwS", "0.017"}}, nullptr},
    {"band frequency below 1", "setBorderEq", 0, 1, {{"freq0", "0.5"}}, "freq0"},
    {"band gain above 24", "setBorderEq", 0, 1, {{"dbGain", "24.1"}}, "dbGain"},
    {"band gain below -48", "setBorderEq", 0, 1, {{"dbGain", "-48.1"}}, "dbGain"},
    {"band Q below 0.017", "setBorderEq", 0, 1, {{"qBwS", "0.01"}}, "qBwS"},
    {"band type 10", "setBorderEq", 0, 1, {{"type", "10"}}, "type"},
    {"band with an unknown key", "setBorderEq", 0, 1, {{"gain", "1"}}, "gain"},
    {"EQ block with too few bands", "setBorderProc", 0, 1, {{"eqArr", QJsonArray{QJsonObject()}}}, "eqArr"},
    {"EQ block with a bad band",
     "setBorderProc",
     0,
     1,
     {{"eqArr", QJsonArray{QJsonObject{{"freq0", "0"}}, QJsonObject(), QJsonObject(), QJsonObject(), QJsonObject()}}},
     "freq0"},
};

TEST(SimDspCommands, BlockParametersAreCheckedPerKind)
{
    for (const ParamCase& c : kParamCases) {
        SCOPED_TRACE(c.what);
        DspBench b;
        SimDspConfig::current(b.net->device(DspBench::kDsp));
        const QJsonObject saved = b.stored();
        QJsonObject request = blockReq(c.ops, 0, c.port, c.proc, {{"obj", c.obj}});
        const bool band = QLatin1String(c.ops) == QLatin1String("setBorderEq");
        if (band)
            request.insert("eqIndex", "0");
        const QJsonObject r = b.dsp(request);
        if (c.badKey) {
            EXPECT_EQ(r.value("result").toString(), "fail");
            EXPECT_TRUE(r.value("reason").toString().contains(QLatin1String(c.badKey)))
                << r.value("reason").toString().toStdString();
            EXPECT_EQ(b.stored(), saved);
            continue;
        }
        EXPECT_EQ(r.value("result").toString(), "succ") << r.value("reason").toString().toStdString();
        // The next configuration read shows the texts as they were sent.
        const QJsonObject config = b.tcp(req("getConfig")).value("config").toObject();
        QJsonObject params = SimDspConfig::block(config, 0, c.port, c.proc)->value("obj").toObject();
        if (band)
            params = params.value("eqArr").toArray()[0].toObject();
        for (auto it = c.obj.begin(); it != c.obj.end(); ++it)
            EXPECT_EQ(params.value(it.key()), it.value()) << it.key().toStdString();
    }
}

struct StatusCase
{
    const char* what;
    int type;
    bool bypass;
    double offset; ///< threshold ("trigDb" or "limitDb") relative to input 0's level
    double ratio;  ///< compressor and expander
    double duckDb; ///< ducker, whose reference is input 0 itself (or none with refCh -1)
    int refCh;
    double gainDb; ///< expected
};

const StatusCase kStatusCases[] = {
    {"compressor 2:1, 12 dB over", 2, false, -12, 2, 0, 0, -6},
    {"compressor 4:1, 12 dB over", 2, false, -12, 4, 0, 0, -9},
    {"compressor under its threshold", 2, false, 6, 4, 0, 0, 0},
    {"bypassed compressor", 2, true, -12, 4, 0, 0, 0},
    {"limiter 6 dB over", 6, false, -6, 0, 0, 0, -6},
    {"limiter under its threshold", 6, false, 3, 0, 0, 0, 0},
    {"expander 2:1, 6 dB under", 8, false, 6, 2, 0, 0, -6},
    {"expander stops at -60 dB", 8, false, 6, 128, 0, 0, -60},
    {"expander over its threshold", 8, false, -6, 2, 0, 0, 0},
    {"gate closed", 7, false, 3, 0, 0, 0, -60},
    {"gate open", 7, false, -3, 0, 0, 0, 0},
    {"ducker triggered", 11, false, -10, 0, -20, 0, -20},
    {"ducker not triggered", 11, false, 10, 0, -20, 0, 0},
    {"ducker without reference", 11, false, -10, 0, -20, -1, 0},
    {"equaliser", 0, false, 0, 0, 0, 0, 0},
};

TEST(SimDspCommands, BorderProcStatusFollowsTheChannelLevel)
{
    DspBench b;
    SimDevice& dev = b.net->device(DspBench::kDsp);
    b.now = 1234;
    const QString levelText = b.dsp(req("getVolumeDb")).value("inArr").toArray()[0].toString();
    const double level = levelText.toDouble();
    ASSERT_TRUE(level > -40 && level < -10) << levelText.toStdString();
    const auto place = [&](int type, bool bypass, double threshold, double ratio, double duckDb, int refCh) {
        QJsonObject obj;
        if (type == 6)
            obj = {{"limitDb", QString::number(threshold, 'f', 1)}};
        else if (type != 0)
            obj = {{"trigDb", QString::number(threshold, 'f', 1)},
                   {"ratio", QString::number(ratio)},
                   {"duckDb", QString::number(duckDb)},
                   {"refCh", QString::number(refCh)}};
        SimDspConfig::current(dev);
        SimDspConfig::editBlock(dev.state().dsp.config, 0, 0, 2, [&](QJsonObject& block) {
            block = {{"type", QString::number(type)}, {"bypass", bypass ? "1" : "0"}, {"obj", obj}};
        });
        const QJsonObject r = b.dsp(blockReq("getBorderProcStatus", 0, 0, 2, {{"blockFlag", "bf_in_ch_0_2"}}));
        EXPECT_EQ(r.value("blockFlag").toString(), "bf_in_ch_0_2");
        const QString gain = r.value("obj").toObject().value("gain").toString();
        EXPECT_EQ(gain.section('.', 1).size(), 3) << gain.toStdString();
        return gain.toDouble();
    };
    for (const StatusCase& c : kStatusCases) {
        SCOPED_TRACE(c.what);
        const double gain = place(c.type, c.bypass, level + c.offset, c.ratio, c.duckDb, c.refCh);
        EXPECT_NEAR(gain, std::pow(10.0, c.gainDb / 20), 0.01);
    }
    // A lower threshold takes more off.
    double previous = 1.01;
    for (double offset : {-3.0, -6.0, -9.0, -12.0}) {
        const double gain = place(2, false, level + offset, 2, 0, 0);
        EXPECT_LT(gain, previous) << offset;
        previous = gain;
    }
    EXPECT_EQ(b.dsp(blockReq("getBorderProcStatus", 0, 0, 99)).value("result").toString(), "fail");
}

TEST(SimDspCommands, ChannelSettingsApplyWhollyOrNotAtAll)
{
    DspBench b;
    EXPECT_EQ(b.dsp(req("setMute", {{"inArr", entries({{"3", "1"}, {"5", "1"}})}})).value("result").toString(), "succ");
    EXPECT_EQ(b.channel(true, 3).value("mute").toString(), "1");
    EXPECT_EQ(b.channel(true, 5).value("mute").toString(), "1");
    EXPECT_EQ(b.channel(false, 3).value("mute").toString(), "0");
    const QJsonObject r = b.dsp(req("setGain", {{"outArr", entries({{"63", "-7.5"}})}}));
    EXPECT_TRUE(r.value("outArr").isArray());
    EXPECT_EQ(b.channel(false, 63).value("gainDb").toString(), "-7.5");
    b.dsp(req("setInverse", {{"outArr", entries({{"0", "1"}})}}));
    EXPECT_EQ(b.channel(false, 0).value("inverse").toString(), "1");
    b.dsp(req("setGroupId", {{"inArr", entries({{"10", "15"}})}}));
    EXPECT_EQ(b.channel(true, 10).value("groupId").toString(), "15");

    // One bad entry refuses the whole request: the good entry before it is not applied.
    const QJsonObject saved = b.stored();
    for (const QJsonObject& bad :
         {req("setMute", {{"inArr", entries({{"1", "1"}, {"64", "1"}})}}),
          req("setMute", {{"inArr", entries({{"1", "1"}, {"2", "yes"}})}}),
          req("setMute", {{"inArr", entries({{"-1", "0"}})}}), req("setGain", {{"inArr", entries({{"1", "nan"}})}}),
          req("setGroupId", {{"inArr", entries({{"1", "16"}})}}), req("setMute")})
        EXPECT_EQ(b.dsp(bad).value("result").toString(), "fail") << compact(bad).toStdString();
    EXPECT_EQ(b.stored(), saved);
}

TEST(SimDspCommands, DspLockRefusesEveryChangeButNotReads)
{
    DspBench b;
    SimDevice& dev = b.net->device(DspBench::kDsp);
    SimDspConfig::current(dev);
    const QJsonObject saved = b.stored();
    dev.setDspLockMask(0x1f);
    const QJsonArray one = entries({{"0", "1"}});
    const QJsonObject changes[] = {
        req("setMute", {{"inArr", one}}),
        blockReq("setBorderProc", 0, 0, 0, {{"obj", QJsonObject{{"freq0", "90"}}}}),
        blockReq("setBorderProcBypass", 0, 0, 0, {{"val", "1"}}),
        blockReq("setBorderEq", 0, 0, 1, {{"eqIndex", "0"}, {"obj", QJsonObject{{"dbGain", "1"}}}}),
        req("setInverse", {{"inArr", one}}),
        req("setGain", {{"inArr", one}}),
        req("setGroupId", {{"inArr", one}}),
    };
    for (const QJsonObject& r : changes)
        EXPECT_EQ(b.dsp(r).value("reason").toString(), "LOCK_UCAST_MCAST") << compact(r).toStdString();
    for (const QJsonObject& r : {req("setConfig", {{"config", SimDspConfig::generate(dev.config())}}),
                                 req("setBorderProcGroupIdBatch", {{"arr", QJsonArray{at(0, 0, 0, {{"val", "1"}})}}})})
        EXPECT_EQ(b.tcp(r).value("reason").toString(), "LOCK_UCAST_MCAST") << compact(r).toStdString();
    EXPECT_EQ(b.stored(), saved);
    EXPECT_EQ(dev.state().dsp.savedCount, 0);
    // Reads go on, and the lock itself can be lifted on the same port.
    EXPECT_EQ(b.dsp(req("getCpuUsage")).value("result").toString(), "succ");
    EXPECT_EQ(b.tcp(req("getConfig")).value("result").toString(), "succ");
    EXPECT_EQ(b.dsp(req("setLock", {{"password", ""}, {"val", "0x0"}})).value("result").toString(), "succ");
    EXPECT_EQ(b.dsp(changes[0]).value("result").toString(), "succ");
}

TEST(SimDspCommands, TcpConfigRoundTripAndGroupLinks)
{
    DspBench b;
    const QString devId = b.net->device(DspBench::kDsp).devId();
    QJsonObject r = b.tcp({{"ops", "getConfig"}, {"uiTag", "dspUiTag"}});
    EXPECT_EQ(r.value("ops").toString(), "getConfig");
    expectTagged(r, devId);
    EXPECT_EQ(r.value("result").toString(), "succ");
    QJsonObject config = r.value("config").toObject();
    EXPECT_EQ(config, b.stored());

    // A saved chain comes back exactly as sent: input 0 without any block.
    QJsonArray nodes = config.value("nodeArr").toArray();
    QJsonObject inputs = nodes[0].toObject();
    QJsonObject obj = inputs.value("obj").toObject();
    QJsonArray ports = obj.value("portArr").toArray();
    ports[0] = QJsonObject{{"core", "0"}, {"procArr", QJsonArray()}};
    obj.insert("portArr", ports);
    inputs.insert("obj", obj);
    nodes[0] = inputs;
    config.insert("nodeArr", nodes);
    r = b.tcp({{"ops", "setConfig"}, {"uiTag", "dspUiTag"}, {"config", config}});
    EXPECT_EQ(r.value("result").toString(), "succ");
    EXPECT_EQ(b.net->device(DspBench::kDsp).state().dsp.savedCount, 1);
    EXPECT_EQ(b.tcp({{"ops", "getConfig"}}).value("config").toObject(), config);

    // Refused configurations leave the stored one alone.
    EXPECT_EQ(b.tcp({{"ops", "setConfig"}, {"config", "text"}}).value("reason").toString(), "invalid config");
    EXPECT_EQ(b.tcp({{"ops", "setConfig"}, {"config", SimDspConfig::generate(b.net->device(1).config())}})
                  .value("reason")
                  .toString(),
              "channel count mismatch");
    EXPECT_EQ(b.stored(), config);

    r = b.tcp(req("setBorderProcGroupIdBatch",
                  {{"arr", QJsonArray{at(0, 1, 0, {{"val", "3"}}), at(0, 7, 0, {{"val", "3"}})}}}));
    EXPECT_EQ(r.value("result").toString(), "succ");
    EXPECT_EQ(b.block(0, 1, 0).value("groupId").toString(), "3");
    EXPECT_EQ(b.block(0, 7, 0).value("groupId").toString(), "3");
    const QJsonObject linked = b.stored();
    r = b.tcp(req("setBorderProcGroupIdBatch",
                  {{"arr", QJsonArray{at(0, 2, 0, {{"val", "4"}}), at(0, 0, 0, {{"val", "4"}})}}}));
    EXPECT_EQ(r.value("result").toString(), "fail");
    EXPECT_EQ(r.value("reason").toString(), "out of range");
    EXPECT_EQ(b.stored(), linked) << "the valid first entry is not applied either";
}

TEST(SimDspCommands, TcpRefusesOtherDevicesAndUnknownRequests)
{
    DspBench b;
    QJsonObject r = b.tcp({{"devId", "MD00000000"}, {"ops", "getConfig"}, {"uiTag", "dspUiTag"}});
    EXPECT_EQ(r.value("result").toString(), "fail");
    EXPECT_EQ(r.value("reason").toString(), "devId mismatch");
    EXPECT_EQ(r.value("devId").toString(), b.net->device(DspBench::kDsp).devId());
    EXPECT_FALSE(r.contains("config"));
    EXPECT_EQ(b.tcp({{"ops", "noSuchThing"}}).value("reason").toString(), "unknown ops");
    // Device commands of other ports are not served here.
    EXPECT_EQ(b.tcp({{"ops", "reboot"}}).value("reason").toString(), "unknown ops");
    EXPECT_EQ(b.net->device(DspBench::kDsp).state().rebootCount, 0);
    const QVector<QByteArray> garbage = SimDspCommands::handleTcp(*b.net, DspBench::kDsp, "{not json");
    ASSERT_EQ(garbage.size(), 1);
    EXPECT_EQ(QJsonDocument::fromJson(garbage.first()).object().value("reason").toString(), "invalid request");
    // UDP commands also answer over the connection.
    EXPECT_EQ(num(b.tcp({{"ops", "getVersion"}, {"uiTag", "dspUiTag"}}).value("chNumIn")), 64);
    // A silenced device says nothing.
    b.net->device(DspBench::kDsp).setSilenced(true);
    EXPECT_TRUE(
        SimDspCommands::handleTcp(*b.net, DspBench::kDsp,
                                  compact({{"devId", b.net->device(DspBench::kDsp).devId()}, {"ops", "getConfig"}}))
            .isEmpty());
}

TEST(SimDspCommands, FactoryConfigWaitsAndIsCheckedLikeAnyOther)
{
    DspBench b;
    SimDevice& dev = b.net->device(DspBench::kDsp);
    const QJsonObject running = SimDspConfig::current(dev);
    QJsonObject factory = SimDspConfig::generate(dev.config());
    factory.insert("customStr", "factory");
    QJsonObject r =
        b.tcp({{"ops", "setFactoryConfig"}, {"uiTag", "dspUiTag"}, {"sampleRate", "48000"}, {"config", factory}});
    EXPECT_EQ(r.value("result").toString(), "succ");
    EXPECT_EQ(r.value("sampleRate").toString(), "48000");
    EXPECT_EQ(dev.state().dsp.factoryConfig, factory);
    EXPECT_EQ(b.stored(), running);
    EXPECT_EQ(b.tcp({{"ops", "setFactoryConfig"}, {"config", QJsonObject()}}).value("result").toString(), "fail");

    // It takes over after the next reboot, not before.
    b.net->startReboot(DspBench::kDsp);
    EXPECT_EQ(SimDspConfig::current(dev), running);
    b.now += b.net->options().rebootMs + 1;
    EXPECT_EQ(b.tcp({{"ops", "getConfig"}}).value("config").toObject(), factory);
    EXPECT_TRUE(dev.state().dsp.factoryConfig.isEmpty());
}

TEST(SimDspCommands, ControlReadsBackTheFactoryConfigurationUntilItTakesOver)
{
    DspBench b;
    SimDevice& dev = b.net->device(DspBench::kDsp);
    SimControl control(*b.net);
    const QByteArray ask = compact({{"cmd", "dspConfig"}, {"devId", dev.devId()}, {"factory", true}});
    QJsonObject a = control.handleLine(ask);
    ASSERT_TRUE(a.value("ok").toBool());
    EXPECT_TRUE(a.value("config").isNull()) << "none sent yet";

    QJsonObject factory = SimDspConfig::generate(dev.config());
    factory.insert("customStr", "factory");
    // A refused one is not kept; an accepted one reads back whole, and the running one is untouched.
    EXPECT_EQ(b.tcp({{"ops", "setFactoryConfig"}, {"config", QJsonObject{{"nodeArr", QJsonArray()}}}})
                  .value("result")
                  .toString(),
              "fail");
    EXPECT_TRUE(control.handleLine(ask).value("config").isNull());
    ASSERT_EQ(b.tcp({{"ops", "setFactoryConfig"}, {"sampleRate", "48000"}, {"config", factory}}).value("result"),
              "succ");
    EXPECT_EQ(control.handleLine(ask).value("config").toObject(), factory);
    EXPECT_NE(control.handleLine(compact({{"cmd", "dspConfig"}, {"devId", dev.devId()}})).value("config"),
              QJsonValue(factory));

    b.net->startReboot(DspBench::kDsp);
    b.now += b.net->options().rebootMs + 1;
    EXPECT_EQ(b.tcp({{"ops", "getConfig"}}).value("config").toObject(), factory); // the device is up again
    EXPECT_EQ(control.handleLine(compact({{"cmd", "dspConfig"}, {"devId", dev.devId()}})).value("config").toObject(),
              factory);
    EXPECT_TRUE(control.handleLine(ask).value("config").isNull()) << "taken over, nothing waits";
    EXPECT_FALSE(control.handleLine(compact({{"cmd", "dspConfig"}, {"devId", "nobody"}, {"factory", true}}))
                     .value("ok")
                     .toBool());
}

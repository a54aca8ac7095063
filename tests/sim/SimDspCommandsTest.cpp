// The processor's commands on port 8999 and the requests of its TCP service, without sockets.

#include "SimDspCommands.h"
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
    QString error;
    std::optional<SimDeviceConfig> older =
        SimDeviceConfig::fromJson({{"ip", "10.0.0.9"}, {"model", "MRD-M8"}, {"dspVersion", "3.1.0"}}, 0, &error);
    ASSERT_TRUE(older) << error.toStdString();
    EXPECT_EQ(SimDeviceConfig::fromJson(older->toJson(), 0, &error)->dspVersion, "3.1.0");
    Bench o({*older});
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

TEST(SimDspCommands, SetBorderProcChangesTheStoredBlockOnly)
{
    DspBench b;
    const QJsonObject before = b.block(0, 0, 2); // a compressor
    ASSERT_EQ(before.value("type").toString(), "2");
    const QJsonObject neighbour = b.block(0, 0, 3);
    QJsonObject r = b.dsp({{"ops", "setBorderProc"},
                           {"nodeId", "0"},
                           {"portIndex", "0"},
                           {"procIndex", "2"},
                           {"blockFlag", "bf_in_ch_0_2"},
                           {"obj", QJsonObject{{"trigDb", "-12"}, {"ratio", "4"}}}});
    EXPECT_EQ(r.value("result").toString(), "succ");
    EXPECT_EQ(r.value("blockFlag").toString(), "bf_in_ch_0_2");
    const QJsonObject after = b.block(0, 0, 2).value("obj").toObject();
    EXPECT_EQ(after.value("trigDb").toString(), "-12");
    EXPECT_EQ(after.value("ratio").toString(), "4");
    EXPECT_EQ(after.value("attackMs"), before.value("obj").toObject().value("attackMs"));
    EXPECT_EQ(b.block(0, 0, 3), neighbour);

    // An output block: the output node follows the inputs, two automixers, the AEC and the matrix.
    r = b.dsp({{"ops", "setBorderProcBypass"},
               {"nodeId", "5"},
               {"portIndex", "0"},
               {"procIndex", "1"},
               {"blockFlag", "bf_out_ch_0_1"},
               {"val", "1"}});
    EXPECT_EQ(r.value("result").toString(), "succ");
    EXPECT_EQ(r.value("val").toString(), "1");
    EXPECT_EQ(b.block(5, 0, 1).value("bypass").toString(), "1");

    const QJsonObject saved = b.stored();
    const QJsonObject bad[] = {
        // The mixer and matrix nodes (1 to 4) hold no chains.
        {{"ops", "setBorderProc"}, {"nodeId", "1"}, {"portIndex", "0"}, {"procIndex", "0"}, {"obj", QJsonObject()}},
        {{"ops", "setBorderProc"}, {"nodeId", "4"}, {"portIndex", "0"}, {"procIndex", "0"}, {"obj", QJsonObject()}},
        {{"ops", "setBorderProc"}, {"nodeId", "0"}, {"portIndex", "64"}, {"procIndex", "0"}, {"obj", QJsonObject()}},
        {{"ops", "setBorderProc"}, {"nodeId", "0"}, {"portIndex", "0"}, {"procIndex", "9"}, {"obj", QJsonObject()}},
        {{"ops", "setBorderProc"}, {"portIndex", "0"}, {"procIndex", "0"}, {"obj", QJsonObject()}},
        {{"ops", "setBorderProc"}, {"nodeId", "0"}, {"portIndex", "0"}, {"procIndex", "0"}, {"obj", "x"}},
        {{"ops", "setBorderProcBypass"}, {"nodeId", "0"}, {"portIndex", "0"}, {"procIndex", "0"}, {"val", "2"}},
        {{"ops", "setBorderProcBypass"}, {"nodeId", "6"}, {"portIndex", "0"}, {"procIndex", "0"}, {"val", "1"}},
    };
    for (const QJsonObject& req : bad)
        EXPECT_EQ(b.dsp(req).value("result").toString(), "fail") << compact(req).toStdString();
    EXPECT_EQ(b.stored(), saved);
}

TEST(SimDspCommands, EqBandsChangeOneAtATime)
{
    DspBench b;
    const QJsonObject eq = b.block(0, 0, 1).value("obj").toObject();
    const QJsonObject r = b.dsp({{"ops", "setBorderEq"},
                                 {"nodeId", "0"},
                                 {"portIndex", "0"},
                                 {"procIndex", "1"},
                                 {"eqIndex", "2"},
                                 {"obj", QJsonObject{{"dbGain", "4.5"}}}});
    EXPECT_EQ(r.value("result").toString(), "succ");
    const QJsonArray bands = b.block(0, 0, 1).value("obj").toObject().value("eqArr").toArray();
    EXPECT_EQ(bands[2].toObject().value("dbGain").toString(), "4.5");
    EXPECT_EQ(bands[2].toObject().value("freq0"), eq.value("eqArr").toArray()[2].toObject().value("freq0"));
    EXPECT_EQ(bands[1], eq.value("eqArr").toArray()[1]);
    EXPECT_EQ(b.dsp({{"ops", "setBorderEqBypass"},
                     {"nodeId", "0"},
                     {"portIndex", "0"},
                     {"procIndex", "1"},
                     {"eqIndex", "4"},
                     {"val", "1"}})
                  .value("result")
                  .toString(),
              "succ");
    EXPECT_EQ(b.block(0, 0, 1).value("obj").toObject().value("bypassArr").toArray()[4].toString(), "1");
    // Past the last band, or a block that is no equaliser.
    EXPECT_EQ(b.dsp({{"ops", "setBorderEq"},
                     {"nodeId", "0"},
                     {"portIndex", "0"},
                     {"procIndex", "1"},
                     {"eqIndex", "5"},
                     {"obj", QJsonObject()}})
                  .value("reason")
                  .toString(),
              "out of range");
    EXPECT_EQ(b.dsp({{"ops", "setBorderEq"},
                     {"nodeId", "0"},
                     {"portIndex", "0"},
                     {"procIndex", "2"},
                     {"eqIndex", "0"},
                     {"obj", QJsonObject()}})
                  .value("result")
                  .toString(),
              "fail");
}

TEST(SimDspCommands, BorderProcStatusGivesAMovingLinearGain)
{
    DspBench b;
    const QJsonObject status{{"ops", "getBorderProcStatus"},
                             {"nodeId", "0"},
                             {"portIndex", "0"},
                             {"procIndex", "2"},
                             {"blockFlag", "bf_in_ch_0_2"}};
    QSet<double> gains;
    for (int step = 0; step < 8; ++step, b.now += 500) {
        const QJsonObject r = b.dsp(status);
        EXPECT_EQ(r.value("blockFlag").toString(), "bf_in_ch_0_2");
        const double g = r.value("obj").toObject().value("gain").toString().toDouble();
        EXPECT_TRUE(g >= 0.5 && g <= 1.0) << g;
        gains.insert(g);
    }
    EXPECT_GT(gains.size(), 3);
    QJsonObject bad = status;
    bad.insert("procIndex", "99");
    EXPECT_EQ(b.dsp(bad).value("result").toString(), "fail");
}

TEST(SimDspCommands, ChannelSettingsApplyWhollyOrNotAtAll)
{
    DspBench b;
    EXPECT_EQ(b.dsp({{"ops", "setMute"},
                     {"inArr", QJsonArray{QJsonObject{{"index", "3"}, {"val", "1"}},
                                          QJsonObject{{"index", "5"}, {"val", "1"}}}}})
                  .value("result")
                  .toString(),
              "succ");
    EXPECT_EQ(b.channel(true, 3).value("mute").toString(), "1");
    EXPECT_EQ(b.channel(true, 5).value("mute").toString(), "1");
    EXPECT_EQ(b.channel(false, 3).value("mute").toString(), "0");

    const QJsonObject r =
        b.dsp({{"ops", "setGain"}, {"outArr", QJsonArray{QJsonObject{{"index", "63"}, {"val", "-7.5"}}}}});
    EXPECT_EQ(r.value("result").toString(), "succ");
    EXPECT_TRUE(r.value("outArr").isArray());
    EXPECT_EQ(b.channel(false, 63).value("gainDb").toString(), "-7.5");
    b.dsp({{"ops", "setInverse"}, {"outArr", QJsonArray{QJsonObject{{"index", "0"}, {"val", "1"}}}}});
    EXPECT_EQ(b.channel(false, 0).value("inverse").toString(), "1");
    b.dsp({{"ops", "setGroupId"}, {"inArr", QJsonArray{QJsonObject{{"index", "10"}, {"val", "15"}}}}});
    EXPECT_EQ(b.channel(true, 10).value("groupId").toString(), "15");

    // One bad entry refuses the whole request: the good entry before it is not applied.
    const QJsonObject saved = b.stored();
    const QJsonArray badEntries[] = {
        QJsonArray{QJsonObject{{"index", "1"}, {"val", "1"}}, QJsonObject{{"index", "64"}, {"val", "1"}}},
        QJsonArray{QJsonObject{{"index", "1"}, {"val", "1"}}, QJsonObject{{"index", "2"}, {"val", "yes"}}},
        QJsonArray{QJsonObject{{"index", "-1"}, {"val", "0"}}}};
    for (const QJsonArray& entries : badEntries)
        EXPECT_EQ(b.dsp({{"ops", "setMute"}, {"inArr", entries}}).value("result").toString(), "fail");
    EXPECT_EQ(b.dsp({{"ops", "setGain"}, {"inArr", QJsonArray{QJsonObject{{"index", "1"}, {"val", "nan"}}}}})
                  .value("result")
                  .toString(),
              "fail");
    EXPECT_EQ(b.dsp({{"ops", "setGroupId"}, {"inArr", QJsonArray{QJsonObject{{"index", "1"}, {"val", "16"}}}}})
                  .value("result")
                  .toString(),
              "fail");
    EXPECT_EQ(b.dsp({{"ops", "setMute"}}).value("result").toString(), "fail");
    EXPECT_EQ(b.stored(), saved);
}

TEST(SimDspCommands, DspLockRefusesEveryChangeButNotReads)
{
    DspBench b;
    SimDevice& dev = b.net->device(DspBench::kDsp);
    SimDspConfig::current(dev);
    const QJsonObject saved = b.stored();
    dev.setDspLockMask(0x1f);
    const QJsonArray one{QJsonObject{{"index", "0"}, {"val", "1"}}};
    const QJsonObject changes[] = {
        {{"ops", "setBorderProc"},
         {"nodeId", "0"},
         {"portIndex", "0"},
         {"procIndex", "0"},
         {"obj", QJsonObject{{"freq0", "90"}}}},
        {{"ops", "setBorderProcBypass"}, {"nodeId", "0"}, {"portIndex", "0"}, {"procIndex", "0"}, {"val", "1"}},
        {{"ops", "setBorderEq"},
         {"nodeId", "0"},
         {"portIndex", "0"},
         {"procIndex", "1"},
         {"eqIndex", "0"},
         {"obj", QJsonObject{{"dbGain", "1"}}}},
        {{"ops", "setMute"}, {"inArr", one}},
        {{"ops", "setInverse"}, {"inArr", one}},
        {{"ops", "setGain"}, {"inArr", one}},
        {{"ops", "setGroupId"}, {"inArr", one}},
    };
    for (const QJsonObject& req : changes) {
        const QJsonObject r = b.dsp(req);
        EXPECT_EQ(r.value("result").toString(), "fail") << compact(req).toStdString();
        EXPECT_EQ(r.value("reason").toString(), "LOCK_UCAST_MCAST");
    }
    QJsonObject store =
        b.tcp({{"ops", "setConfig"}, {"uiTag", "dspUiTag"}, {"config", SimDspConfig::generate(dev.config())}});
    EXPECT_EQ(store.value("reason").toString(), "LOCK_UCAST_MCAST");
    store = b.tcp(
        {{"ops", "setBorderProcGroupIdBatch"},
         {"arr", QJsonArray{QJsonObject{{"nodeId", "0"}, {"portIndex", "0"}, {"procIndex", "0"}, {"val", "1"}}}}});
    EXPECT_EQ(store.value("reason").toString(), "LOCK_UCAST_MCAST");
    EXPECT_EQ(b.stored(), saved);
    EXPECT_EQ(dev.state().dsp.savedCount, 0);
    // Reads go on, and the lock itself can be lifted on the same port.
    EXPECT_EQ(b.dsp({{"ops", "getCpuUsage"}}).value("result").toString(), "succ");
    EXPECT_EQ(b.tcp({{"ops", "getConfig"}}).value("result").toString(), "succ");
    EXPECT_EQ(b.dsp({{"ops", "setLock"}, {"password", ""}, {"val", "0x0"}}).value("result").toString(), "succ");
    EXPECT_EQ(b.dsp(changes[3]).value("result").toString(), "succ");
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

    // A saved chain comes back exactly as sent: drop every block of input 0.
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

    r = b.tcp(
        {{"ops", "setBorderProcGroupIdBatch"},
         {"uiTag", "dspUiTag"},
         {"arr", QJsonArray{QJsonObject{{"nodeId", "0"}, {"portIndex", "1"}, {"procIndex", "0"}, {"val", "3"}},
                            QJsonObject{{"nodeId", "0"}, {"portIndex", "7"}, {"procIndex", "0"}, {"val", "3"}}}}});
    EXPECT_EQ(r.value("result").toString(), "succ");
    EXPECT_EQ(b.block(0, 1, 0).value("groupId").toString(), "3");
    EXPECT_EQ(b.block(0, 7, 0).value("groupId").toString(), "3");
    const QJsonObject linked = b.stored();
    r = b.tcp(
        {{"ops", "setBorderProcGroupIdBatch"},
         {"arr", QJsonArray{QJsonObject{{"nodeId", "0"}, {"portIndex", "2"}, {"procIndex", "0"}, {"val", "4"}},
                            QJsonObject{{"nodeId", "0"}, {"portIndex", "0"}, {"procIndex", "0"}, {"val", "4"}}}}});
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

// The simulated audio path: a test signal from a source through a device under test and back, read where the
// controller reads it (level requests on the command port and the processor's batch meters).

#include "SimAudioPath.h"
#include "SimControl.h"
#include "SimTestUtil.h"

#include <cmath>
#include <vector>

using namespace simtest;

namespace {

constexpr int kS = 0; // the signal source
constexpr int kD = 1; // the device under test
constexpr int kX = 2; // a bystander with routes of its own

SimDeviceConfig device(const char* address, const char* model)
{
    SimDeviceConfig c = bare(address, 4);
    c.model = QLatin1String(model);
    c.phyChNumRx = c.phyChNumTx = 4;
    c.chNumTx = 8; // transmit 0-3 carry the physical inputs, 4-7 the network inputs
    return c;
}

/// Source S, device under test D (a model with or without a processor) and a bystander X that takes S's
/// transmit channel 2 (no generator on it) on its network input 0.
struct AudioBench : Bench
{
    SimControl control{*net};

    explicit AudioBench(const char* dutModel = "MRD-A16")
        : Bench({device("10.0.0.1", "MRD-A16"), device("10.0.0.2", dutModel), device("10.0.0.3", "MRD-A16")})
    {
        EXPECT_TRUE(line({{"cmd", "route"}, {"devId", id(kX)}, {"rxCh", 0}, {"srcDevId", id(kS)}, {"srcCh", 2}})
                        .value("ok")
                        .toBool());
    }

    QString id(int index) const { return net->device(index).devId(); }

    QJsonObject line(const QJsonObject& request) { return control.handleLine(compact(request)); }

    /// The healthy loop on D's channel c (0-based): S transmit 0 -> D network input c; D transmit c (its
    /// physical input c, fed by the fixture) -> S network input r.
    void loop(int c, int r)
    {
        ASSERT_TRUE(line({{"cmd", "route"}, {"devId", id(kD)}, {"rxCh", c}, {"srcDevId", id(kS)}, {"srcCh", 0}})
                        .value("ok")
                        .toBool());
        ASSERT_TRUE(line({{"cmd", "route"}, {"devId", id(kS)}, {"rxCh", r}, {"srcDevId", id(kD)}, {"srcCh", c}})
                        .value("ok")
                        .toBool());
        ASSERT_TRUE(line({{"cmd", "loopback"}, {"devId", id(kD)}, {"on", true}}).value("ok").toBool());
    }

    void play(double db = -20, QJsonArray inputs = {1})
    {
        const QJsonObject a = line({{"cmd", "signal"}, {"devId", id(kS)}, {"inputs", inputs}, {"dBFS", db}});
        ASSERT_TRUE(a.value("ok").toBool()) << compact(a).toStdString();
    }

    /// Sets S's cancellation stage of output `r` (0-based) through the command port.
    void cancelAt(int r, int samples)
    {
        ASSERT_EQ(result(kS, req("setBorderProc", {{"nodeId", "5"},
                                                   {"portIndex", QString::number(r)},
                                                   {"procIndex", "0"},
                                                   {"delayNum", QString::number(samples)},
                                                   {"maxNum", "48000"}})),
                  "succ");
    }

    /// Channel `ch` (0-based) of a level read of device `index`, as the device writes it.
    QString at(int index, const char* ops, int ch)
    {
        const QJsonArray all = walk(index, QString::fromLatin1(ops));
        EXPECT_LT(ch, all.size()) << ops;
        return all.at(ch).toString();
    }

    QString idle(int index, SimMeter meter, int ch)
    {
        return SimLevels::text(SimLevels::level(net->device(index), meter, ch, now));
    }
};

const char* const kPhyRx = "getAllPhyVolumeDbRx";
const char* const kPhyTx = "getAllPhyVolumeDbTx";
const char* const kNetRx = "getAllVolumeDbRx";
const char* const kNetTx = "getAllVolumeDbTx";

/// One point of the path: a channel of a level read of a device.
struct At
{
    int index;
    const char* ops;
    int ch;
};

struct Meter
{
    const char* ops;
    SimMeter meter;
};

} // namespace

TEST(SimAudioPath, ResidualFollowsTheDifferenceBetweenReturnAndCopy)
{
    struct Case
    {
        double a, b, samples, expect;
    } cases[] = {
        {0.1, 0.1, 0, 0.0},                    // equal and aligned: nothing left
        {0.1, 0.1, 16, 0.1 * std::sqrt(2.0)},  // apart by the span: the two add as power
        {0.1, 0.1, -16, 0.1 * std::sqrt(2.0)}, // either side
        {0.1, 0.1, 500, 0.1 * std::sqrt(2.0)}, // and no further rise beyond it
        {0.1, 0.1, 8, 0.1},                    // half way
        {0.05, 0.1, 0, 0.05},                  // a low return leaves the difference
        {0.0, 0.1, 3, 0.1},                    // no return: the copy alone
    };
    for (const Case& c : cases)
        EXPECT_NEAR(SimAudioPath::residual(c.a, c.b, c.samples), c.expect, 1e-12)
            << c.a << " " << c.b << " " << c.samples;
}

TEST(SimAudioPath, HealthyLoopReadsTheSignalAtEveryPointAndCancelsAtTheSource)
{
    AudioBench b;
    b.loop(2, 1);
    b.play();
    // The return took 1000 us into D and 1000 us back into S: 96 samples at 48 kHz.
    b.cancelAt(1, 96);
    b.now += 10;
    struct Point
    {
        int index;
        const char* ops;
        int ch;
        const char* expect;
    } points[] = {
        {kS, kPhyRx, 0, "-20.0"},
        {kS, kNetTx, 0, "-20.0"},
        {kD, kNetRx, 2, "-20.0"},
        {kD, kPhyTx, 2, "-20.0"},
        {kD, kPhyRx, 2, "-20.0"},
        {kD, kNetTx, 2, "-20.0"},
        {kS, kNetRx, 1, "-20.0"},
        {kS, kPhyTx, 1, "-96.0"},
        // S's other outputs carry the inverted copy with nothing to cancel.
        {kS, kPhyTx, 0, "-20.0"},
    };
    for (const Point& p : points)
        EXPECT_EQ(b.at(p.index, p.ops, p.ch), p.expect) << p.index << " " << p.ops << " " << p.ch;

    // Neighbouring channels of D carry nothing of it: no route, or the idle sound.
    EXPECT_EQ(b.at(kD, kNetRx, 1), "-inf");
    EXPECT_EQ(b.at(kD, kPhyTx, 1), b.idle(kD, SimMeter::PhyTx, 1));
    // X takes S's transmit 2, whose input has no generator.
    EXPECT_EQ(b.at(kX, kNetRx, 0), b.idle(kX, SimMeter::NetRx, 0));
}

TEST(SimAudioPath, ResidualRisesAsTheCancellationDelayParts)
{
    AudioBench b;
    b.loop(0, 0);
    b.play();
    b.now += 10;
    struct Case
    {
        int delayNum;
        const char* expect;
    } cases[] = {
        {96, "-96.0"},  {95, "-29.0"}, {97, "-29.0"}, {88, "-20.0"},
        {104, "-20.0"}, {80, "-17.0"}, {0, "-17.0"},  {4800, "-17.0"},
    };
    for (const Case& c : cases) {
        b.cancelAt(0, c.delayNum);
        b.now += 100; // the copy through a long stage needs that long to arrive
        EXPECT_EQ(b.at(kS, kPhyTx, 0), c.expect) << "delayNum " << c.delayNum;
    }
}

TEST(SimAudioPath, SignalArrivesAfterTheDelaysOnItsWay)
{
    AudioBench b;
    ASSERT_EQ(b.result(kD, req("setDelayUs", {{"us", "1500"}})), "succ");
    b.loop(3, 2);
    const qint64 start = b.now;
    b.play();
    struct Case
    {
        qint64 afterMs;
        int index;
        const char* ops;
        int ch;
        bool signal;
    } cases[] = {
        {0, kS, kNetTx, 0, true},  // at the source at once
        {1, kD, kNetRx, 3, false}, // 1.5 ms into D
        {2, kD, kNetRx, 3, true},  //
        {2, kD, kPhyRx, 3, true},  // the fixture adds nothing
        {2, kS, kNetRx, 2, false}, // plus 1 ms back into S
        {3, kS, kNetRx, 2, true},  //
    };
    for (const Case& c : cases) {
        b.now = start + c.afterMs;
        const QString level = b.at(c.index, c.ops, c.ch);
        if (c.signal)
            EXPECT_EQ(level, "-20.0") << c.ops << " after " << c.afterMs;
        else
            EXPECT_EQ(level, b.idle(c.index, SimMeter::NetRx, c.ch))
                << c.ops << " after " << c.afterMs << " ms: not there yet";
    }
}

TEST(SimAudioPath, ProcessorDelayBlockLengthensTheReturn)
{
    // On the processor model, output chain 1 holds a delay block of 96 samples.
    AudioBench b("MRD-M8");
    b.loop(1, 1);
    b.play();
    b.now += 50;
    b.cancelAt(1, 96);
    EXPECT_EQ(b.at(kS, kPhyTx, 1), "-17.0") << "the block's 96 samples are not accounted for";
    b.cancelAt(1, 192);
    EXPECT_EQ(b.at(kS, kPhyTx, 1), "-96.0");

    // The block's own setting moves the return; a bypassed block delays nothing.
    const QJsonObject set =
        req("setBorderProc",
            {{"nodeId", "5"}, {"portIndex", "1"}, {"procIndex", "0"}, {"obj", QJsonObject{{"delayNum", "48"}}}});
    ASSERT_EQ(b.result(kD, set, SimServiceDsp), "succ");
    b.cancelAt(1, 144);
    EXPECT_EQ(b.at(kS, kPhyTx, 1), "-96.0");
    ASSERT_EQ(
        b.result(kD,
                 req("setBorderProcBypass", {{"nodeId", "5"}, {"portIndex", "1"}, {"procIndex", "0"}, {"val", "1"}}),
                 SimServiceDsp),
        "succ");
    b.cancelAt(1, 96);
    EXPECT_EQ(b.at(kS, kPhyTx, 1), "-96.0");

    // The processor's batch meters show the same levels: physical channels first, then network ones.
    const QJsonArray in = b.walk(kD, "getVolumeDbBatchIn", SimServiceDsp);
    const QJsonArray out = b.walk(kD, "getVolumeDbBatchOut", SimServiceDsp);
    EXPECT_EQ(in.at(1).toString(), "-20.0") << "physical input 1 (fixture)";
    EXPECT_EQ(in.at(4 + 1).toString(), "-20.0") << "network input 1";
    EXPECT_EQ(out.at(1).toString(), "-20.0") << "physical output 1";
    EXPECT_EQ(out.at(4 + 1).toString(), "-20.0") << "transmit 1 carries physical input 1";
}

TEST(SimAudioPath, FaultAffectsOnlyItsChannelAndWhatFollowsIt)
{
    struct Case
    {
        const char* kind;
        const char* downstream;
        const char* residual;
    } cases[] = {
        {"low", "-26.0", "-26.0"},
        {"silent", "-inf", "-20.0"}, // nothing comes back to cancel the copy
        {"ok", "-20.0", "-96.0"},
    };
    for (const Case& c : cases) {
        AudioBench b;
        b.loop(0, 0);
        b.loop(2, 2);
        b.play();
        b.cancelAt(0, 96);
        b.cancelAt(2, 96);
        b.now += 10;
        const QJsonObject a = b.line({{"cmd", "fault"}, {"devId", b.id(kD)}, {"channel", 3}, {"kind", c.kind}});
        ASSERT_TRUE(a.value("ok").toBool()) << compact(a).toStdString();
        EXPECT_EQ(b.at(kD, kNetRx, 2), "-20.0") << c.kind << ": before the broken stage";
        for (const At& p : std::vector<At>{{kD, kPhyTx, 2}, {kD, kPhyRx, 2}, {kD, kNetTx, 2}, {kS, kNetRx, 2}})
            EXPECT_EQ(b.at(p.index, p.ops, p.ch), c.downstream) << c.kind << " " << p.ops;
        EXPECT_EQ(b.at(kS, kPhyTx, 2), c.residual) << c.kind;
        // Channel 1 of D stays healthy.
        for (const At& p : std::vector<At>{{kD, kPhyTx, 0}, {kD, kPhyRx, 0}, {kD, kNetTx, 0}, {kS, kNetRx, 0}})
            EXPECT_EQ(b.at(p.index, p.ops, p.ch), "-20.0") << c.kind << " " << p.ops;
        EXPECT_EQ(b.at(kS, kPhyTx, 0), "-96.0") << c.kind;
    }
}

TEST(SimAudioPath, FaultBreaksTheIdleSoundToo)
{
    AudioBench b;
    const double idle = SimLevels::level(b.net->device(kD), SimMeter::PhyTx, 3, b.now);
    ASSERT_TRUE(b.line({{"cmd", "fault"}, {"devId", b.id(kD)}, {"channel", 4}, {"kind", "low"}}).value("ok").toBool());
    EXPECT_EQ(b.at(kD, kPhyTx, 3), SimLevels::text(idle - 6.0));
    ASSERT_TRUE(
        b.line({{"cmd", "fault"}, {"devId", b.id(kD)}, {"channel", 4}, {"kind", "silent"}}).value("ok").toBool());
    EXPECT_EQ(b.at(kD, kPhyTx, 3), "-inf");
    EXPECT_EQ(b.at(kD, kPhyTx, 2), b.idle(kD, SimMeter::PhyTx, 2));
}

TEST(SimAudioPath, RemovedRouteStopsTheSignalDownstream)
{
    AudioBench b;
    b.loop(0, 0);
    b.play();
    b.cancelAt(0, 96);
    b.now += 10;
    ASSERT_EQ(b.at(kS, kPhyTx, 0), "-96.0");
    ASSERT_TRUE(b.line({{"cmd", "unroute"}, {"devId", b.id(kD)}, {"rxCh", 0}}).value("ok").toBool());
    EXPECT_EQ(b.at(kD, kNetRx, 0), "-inf") << "no route, no sound";
    EXPECT_EQ(b.at(kD, kPhyTx, 0), b.idle(kD, SimMeter::PhyTx, 0));
    EXPECT_EQ(b.at(kS, kNetRx, 0), b.idle(kS, SimMeter::NetRx, 0)) << "the return carries D's idle input";
    EXPECT_EQ(b.at(kS, kPhyTx, 0), "-20.0") << "the copy alone";
    EXPECT_EQ(b.at(kS, kNetTx, 0), "-20.0") << "upstream unchanged";

    // Stopping the generator leaves the idle sound everywhere.
    ASSERT_TRUE(b.line({{"cmd", "signal"}, {"devId", b.id(kS)}, {"inputs", QJsonArray()}}).value("ok").toBool());
    EXPECT_EQ(b.at(kS, kPhyRx, 0), b.idle(kS, SimMeter::PhyRx, 0));
    EXPECT_EQ(b.at(kS, kPhyTx, 0), b.idle(kS, SimMeter::PhyTx, 0));
}

TEST(SimAudioPath, LevelsWithoutASignalAreTheIdleOnes)
{
    // A loop set up but no generator, and a generator on an input nothing else listens to: every meter of every
    // device away from it reads as before.
    for (bool generatorElsewhere : {false, true}) {
        AudioBench b;
        b.loop(1, 1);
        if (generatorElsewhere)
            b.play(-20, {4});
        for (int index : {kS, kD, kX})
            for (const Meter& m : std::vector<Meter>{{kPhyRx, SimMeter::PhyRx},
                                                     {kPhyTx, SimMeter::PhyTx},
                                                     {kNetRx, SimMeter::NetRx},
                                                     {kNetTx, SimMeter::NetTx}}) {
                const char* ops = m.ops;
                const SimMeter meter = m.meter;
                const QJsonArray read = b.walk(index, ops);
                const QStringList idle = SimLevels::texts(b.net->device(index), meter, b.now);
                for (int ch = 0; ch < read.size(); ++ch) {
                    const bool source = generatorElsewhere && index == kS &&
                                        ((meter == SimMeter::PhyRx && ch == 3) ||
                                         (meter == SimMeter::NetTx && ch == 3) || meter == SimMeter::PhyTx);
                    // S's outputs carry the inverted copy of its generator; nothing returns to cancel it.
                    EXPECT_EQ(read.at(ch).toString(), source ? QStringLiteral("-20.0") : idle.at(ch))
                        << index << " " << ops << " " << ch;
                }
            }
    }
}

TEST(SimAudioPath, GainsMutesAndLevelOfTheGenerator)
{
    AudioBench b;
    b.loop(0, 0);
    b.play(-30);
    b.now += 10;
    EXPECT_EQ(b.at(kD, kPhyTx, 0), "-30.0");
    ASSERT_EQ(b.result(kD, req("setPhyGainDbTx", {{"id", "0"}, {"val", "4.5"}})), "succ");
    ASSERT_EQ(b.result(kD, req("setPhyGainDbRx", {{"id", "0"}, {"val", "-2"}})), "succ");
    EXPECT_EQ(b.at(kD, kPhyTx, 0), "-25.5");
    EXPECT_EQ(b.at(kD, kPhyRx, 0), "-27.5");
    EXPECT_EQ(b.at(kS, kNetRx, 0), "-27.5");
    ASSERT_EQ(b.result(kS, req("setPhyMuteRx", {{"id", "0"}, {"val", "1"}})), "succ");
    EXPECT_EQ(b.at(kS, kNetTx, 0), "-inf") << "a muted input passes no signal";
    EXPECT_EQ(b.at(kD, kPhyTx, 0), "-inf");
}

TEST(SimAudioPath, RoutingLoopsEndInTheIdleSound)
{
    AudioBench b;
    b.play(); // so the path is followed at all
    // D network input 0 <- S transmit 4 (S network input 0) and S network input 0 <- D transmit 4 (D input 0).
    ASSERT_TRUE(b.line({{"cmd", "route"}, {"devId", b.id(kD)}, {"rxCh", 0}, {"srcDevId", b.id(kS)}, {"srcCh", 4}})
                    .value("ok")
                    .toBool());
    ASSERT_TRUE(b.line({{"cmd", "route"}, {"devId", b.id(kS)}, {"rxCh", 0}, {"srcDevId", b.id(kD)}, {"srcCh", 4}})
                    .value("ok")
                    .toBool());
    EXPECT_EQ(b.at(kD, kNetRx, 0), b.idle(kD, SimMeter::NetRx, 0));
    EXPECT_EQ(b.at(kS, kNetRx, 0), b.idle(kS, SimMeter::NetRx, 0));
}

TEST(SimAudioPath, ControlLinesShowInStateAndRefuseBadInput)
{
    AudioBench b;
    const QString s = b.id(kS);
    b.play(-12.5, {"2", 4});
    b.line({{"cmd", "loopback"}, {"devId", s}, {"on", true}});
    b.line({{"cmd", "fault"}, {"devId", s}, {"channel", "3"}, {"kind", "silent"}});
    b.cancelAt(1, 480);
    const QJsonObject audio = b.line({{"cmd", "state"}, {"devId", s}}).value("audio").toObject();
    EXPECT_EQ(audio.value("inputs").toArray(), (QJsonArray{2, 4}));
    EXPECT_EQ(audio.value("dBFS").toDouble(), -12.5);
    EXPECT_TRUE(audio.value("loopback").toBool());
    EXPECT_EQ(audio.value("faults").toObject(), (QJsonObject{{"3", "silent"}}));
    EXPECT_EQ(audio.value("cancel").toArray(),
              (QJsonArray{QJsonObject{{"portIndex", 1}, {"delayNum", 480}, {"maxNum", 48000}}}));

    struct Case
    {
        QJsonObject line;
        const char* error;
    } cases[] = {
        {{{"cmd", "signal"}, {"devId", "nobody"}, {"inputs", QJsonArray{1}}}, "unknown devId"},
        {{{"cmd", "signal"}, {"devId", s}}, "\"inputs\""},
        {{{"cmd", "signal"}, {"devId", s}, {"inputs", 1}}, "\"inputs\""},
        {{{"cmd", "signal"}, {"devId", s}, {"inputs", QJsonArray{0}}}, "from 1 to 4"},
        {{{"cmd", "signal"}, {"devId", s}, {"inputs", QJsonArray{5}}}, "from 1 to 4"},
        {{{"cmd", "signal"}, {"devId", s}, {"inputs", QJsonArray{1.5}}}, "from 1 to 4"},
        {{{"cmd", "signal"}, {"devId", s}, {"inputs", QJsonArray{"one"}}}, "from 1 to 4"},
        {{{"cmd", "signal"}, {"devId", s}, {"inputs", QJsonArray{1}}, {"dBFS", 3}}, "\"dBFS\""},
        {{{"cmd", "signal"}, {"devId", s}, {"inputs", QJsonArray{1}}, {"dBFS", -121}}, "\"dBFS\""},
        {{{"cmd", "signal"}, {"devId", s}, {"inputs", QJsonArray{1}}, {"dBFS", "-20"}}, "\"dBFS\""},
        {{{"cmd", "loopback"}, {"devId", s}, {"on", "yes"}}, "\"on\""},
        {{{"cmd", "loopback"}, {"devId", s}}, "\"on\""},
        {{{"cmd", "fault"}, {"devId", s}, {"channel", 0}, {"kind", "low"}}, "\"channel\""},
        {{{"cmd", "fault"}, {"devId", s}, {"channel", 5}, {"kind", "low"}}, "\"channel\""},
        {{{"cmd", "fault"}, {"devId", s}, {"kind", "low"}}, "\"channel\""},
        {{{"cmd", "fault"}, {"devId", s}, {"channel", 1}, {"kind", "loud"}}, "\"kind\""},
        {{{"cmd", "fault"}, {"devId", "nobody"}, {"channel", 1}, {"kind", "ok"}}, "unknown devId"},
    };
    for (const Case& c : cases) {
        const QJsonObject a = b.line(c.line);
        EXPECT_FALSE(a.value("ok").toBool()) << compact(c.line).toStdString();
        EXPECT_TRUE(a.value("error").toString().contains(QLatin1String(c.error)))
            << compact(c.line).toStdString() << " -> " << compact(a).toStdString();
    }
    // A refused line changes nothing.
    EXPECT_EQ(b.line({{"cmd", "state"}, {"devId", s}}).value("audio").toObject(), audio);
}

TEST(SimAudioPath, CancellationStageOnTheCommandPortAndTheProcessorPort)
{
    AudioBench b("MRD-M8");
    auto flat = [](std::initializer_list<QPair<QString, QJsonValue>> members) {
        QJsonObject o = req("setBorderProc", {{"nodeId", "5"}, {"portIndex", "1"}, {"procIndex", "0"}});
        for (const auto& m : members)
            o.insert(m.first, m.second);
        return o;
    };
    struct Case
    {
        QJsonObject request;
        const char* reason; // empty: accepted
    } cases[] = {
        {flat({{"delayNum", "4800"}, {"maxNum", "48000"}}), ""},
        {flat({{"delayNum", "0"}}), ""},
        {flat({{"delayNum", "48000"}, {"maxNum", "48000"}}), ""},
        {flat({{"delayNum", "101"}, {"maxNum", "100"}}), "invalid delayNum"},
        {flat({{"delayNum", "-1"}}), "invalid delayNum"},
        {flat({{"delayNum", "x"}}), "invalid delayNum"},
        {flat({{"delayNum", "10"}, {"maxNum", "48001"}}), "invalid maxNum"},
        {flat({{"delayNum", "0"}, {"maxNum", "0"}}), "invalid maxNum"},
        {flat({{"delayNum", "10"}, {"portIndex", "4"}}), "out of range"},
        {flat({{"delayNum", "10"}, {"portIndex", "-1"}}), "out of range"},
        {req("setBorderProc", {{"delayNum", "10"}}), "out of range"},
    };
    for (int dev : {kS, kD})
        for (SimServices port : {SimServices(SimServiceCommand), SimServices(SimServiceDsp)})
            for (const Case& c : cases) {
                const QJsonObject r = b.one(dev, c.request, port);
                const std::string what = compact(c.request).toStdString() + " on " + std::to_string(int(port));
                EXPECT_EQ(r.value("result").toString(), *c.reason ? "fail" : "succ") << what;
                EXPECT_EQ(r.value("reason").toString(), QLatin1String(c.reason)) << what;
                EXPECT_EQ(r.value("portIndex"), c.request.value("portIndex")) << what << ": the position is echoed";
            }
    // The last accepted stage holds; the processor's own delay block is untouched.
    const SimDeviceState::Audio::Cancel stage = b.net->device(kD).state().audio.cancelOf(1);
    EXPECT_EQ(stage.delayNum, 48000);
    EXPECT_EQ(SimAudioPath::outputBlockDelay(b.net->device(kD), 1), 96);
    // With "obj" the processor's block is meant, as before.
    EXPECT_EQ(b.result(kD, flat({{"obj", QJsonObject{{"delayNum", "10"}}}}), SimServiceDsp), "succ");
    EXPECT_EQ(SimAudioPath::outputBlockDelay(b.net->device(kD), 1), 10);
}

TEST(SimAudioPath, IdleOutputsLeaveTheProcessorConfigurationUnmade)
{
    // The processor's configuration is made on first use; reading idle outputs while a signal plays elsewhere
    // is no use of it.
    AudioBench b("MRD-M8");
    b.play();
    b.walk(kD, kPhyTx);
    b.walk(kD, "getVolumeDbBatchOut", SimServiceDsp);
    EXPECT_TRUE(b.net->device(kD).state().dsp.config.isEmpty());
    ASSERT_TRUE(b.line({{"cmd", "route"}, {"devId", b.id(kD)}, {"rxCh", 1}, {"srcDevId", b.id(kS)}, {"srcCh", 0}})
                    .value("ok")
                    .toBool());
    b.now += 10;
    EXPECT_EQ(b.at(kD, kPhyTx, 1), "-20.0");
    EXPECT_FALSE(b.net->device(kD).state().dsp.config.isEmpty()) << "a routed output reads its delay block";
}

TEST(SimAudioPath, AnotherSourcesSignalDoesNotCancel)
{
    AudioBench b;
    b.play(-20);
    ASSERT_TRUE(b.line({{"cmd", "signal"}, {"devId", b.id(kX)}, {"inputs", QJsonArray{1}}, {"dBFS", -26}})
                    .value("ok")
                    .toBool());
    ASSERT_TRUE(b.line({{"cmd", "route"}, {"devId", b.id(kS)}, {"rxCh", 3}, {"srcDevId", b.id(kX)}, {"srcCh", 0}})
                    .value("ok")
                    .toBool());
    b.now += 10;
    EXPECT_EQ(b.at(kS, kNetRx, 3), "-26.0");
    // 0.1 and 0.05 as power: about -19.0 whatever the stage's delay.
    for (int delay : {0, 48, 96}) {
        b.cancelAt(3, delay);
        EXPECT_EQ(b.at(kS, kPhyTx, 3), "-19.0") << delay;
    }
    // X's own outputs carry its copy alone: nothing returns to it.
    EXPECT_EQ(b.at(kX, kPhyTx, 0), "-26.0");
}

TEST(SimAudioPath, RebootingDeviceUnderTestReturnsNothing)
{
    AudioBench b;
    b.loop(0, 0);
    b.play();
    b.cancelAt(0, 96);
    b.now += 10;
    ASSERT_EQ(b.at(kS, kPhyTx, 0), "-96.0");
    ASSERT_EQ(b.ask(kD, req("reboot"), SimServiceSettings).size(), 1);
    EXPECT_EQ(b.at(kS, kNetRx, 0), b.idle(kS, SimMeter::NetRx, 0));
    EXPECT_EQ(b.at(kS, kPhyTx, 0), "-20.0") << "the copy alone";
    b.now += b.net->options().rebootMs;
    b.net->settleReboots();
    EXPECT_EQ(b.at(kS, kPhyTx, 0), "-96.0") << "back after the reboot";
}

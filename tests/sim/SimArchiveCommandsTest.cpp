// What an archive export reads and a load writes besides names and routes: gains down to "-inf" on long paged
// lists, the microphone inputs of "getInfo", the GPIO entries, and the "heard"
// control line that tells a test which requests a load sent.

#include "SimControl.h"
#include "SimGpioCommands.h"
#include "SimTestUtil.h"

using namespace simtest;

namespace {

/// One device with `phy` physical channels each way and 70 network channels.
QVector<SimDeviceConfig> wide(int phy, const char* model = "MRD-A16")
{
    QVector<SimDeviceConfig> c{bare("10.0.0.1", 70)};
    c[0].model = QLatin1String(model);
    c[0].phyChNumRx = c[0].phyChNumTx = phy;
    return c;
}

QStringList texts(const QJsonArray& a)
{
    QStringList out;
    for (const QJsonValue& v : a)
        out.append(v.toString());
    return out;
}

/// The control line's view of the first device.
QJsonObject stateOf(Bench& b)
{
    SimControl control(*b.net);
    return control.handleLine(compact({{"cmd", "state"}, {"devId", b.net->device(0).devId()}}));
}

struct PagedList
{
    const char* read;
    const char* set;
    const char* low;    ///< a value the list stores
    const char* normal; ///< the value every channel starts with
};

class PagedGainsAndMutes : public ::testing::TestWithParam<PagedList>
{
};

} // namespace

TEST_P(PagedGainsAndMutes, WalkToTheEndOfLongListsAndShowEveryChange)
{
    const PagedList p = GetParam();
    for (int pageSize : {8, 64, 100}) {
        SimNetwork::Options o;
        o.pageSize = pageSize;
        Bench b(wide(67), o);
        for (int id : {0, 7, 8, 63, 64, 66})
            ASSERT_EQ(b.result(0, req(p.set, {{"id", QString::number(id)}, {"val", p.low}})), "succ") << id;
        int pages = 0;
        const QStringList all = texts(b.walk(0, p.read, SimServiceCommand, &pages));
        ASSERT_EQ(all.size(), 67) << p.read << " page size " << pageSize;
        for (int id = 0; id < 67; ++id) {
            const bool changed = id == 0 || id == 7 || id == 8 || id == 63 || id == 64 || id == 66;
            EXPECT_EQ(all[id], changed ? p.low : p.normal) << p.read << " channel " << id;
        }
        // Full pages, then the empty page at the count that the walk asks for last.
        EXPECT_EQ(pages, (67 + pageSize - 1) / pageSize + 1) << p.read << " page size " << pageSize;
        const QJsonObject last = b.one(0, req(p.read, {{"idStart", QString::number(67 - 3)}}));
        EXPECT_EQ(num(last.value("idNext")), 67) << "the end is marked by the count, never left out";
        const QJsonObject beyond = b.one(0, req(p.read, {{"idStart", "67"}}));
        EXPECT_TRUE(beyond.value("arr").toArray().isEmpty());
        EXPECT_EQ(num(beyond.value("idNext")), 67);
        EXPECT_TRUE(b.ask(0, req(p.read, {{"idStart", "68"}})).isEmpty());
    }
}

INSTANTIATE_TEST_SUITE_P(Lists, PagedGainsAndMutes,
                         ::testing::Values(PagedList{"getAllPhyGainDbRx", "setPhyGainDbRx", "-inf", "0"},
                                           PagedList{"getAllPhyGainDbTx", "setPhyGainDbTx", "-inf", "0"},
                                           PagedList{"getAllPhyGainDbTx", "setPhyGainDbTx", "-12.5", "0"},
                                           PagedList{"getAllPhyMuteRx", "setPhyMuteRx", "1", "0"},
                                           PagedList{"getAllPhyMuteTx", "setPhyMuteTx", "1", "0"}));

TEST(SimArchiveCommands, GainValuesAcceptedAndRefused)
{
    struct Case
    {
        const char* val;
        const char* stored; ///< nullptr: refused, the stored gain stays
    } cases[] = {{"-inf", "-inf"},  {" -inf ", "-inf"}, {"-3.5", "-3.5"}, {"6", "6"},    {"inf", nullptr},
                 {"+inf", nullptr}, {"-INF", nullptr},  {"nan", nullptr}, {"", nullptr}, {"-inf dB", nullptr}};
    for (const Case& c : cases) {
        Bench b(wide(4));
        ASSERT_EQ(b.result(0, req("setPhyGainDbRx", {{"id", "1"}, {"val", "2"}})), "succ");
        const QJsonObject r = b.one(0, req("setPhyGainDbRx", {{"id", "1"}, {"val", c.val}}));
        EXPECT_EQ(r.value("result").toString(), c.stored ? "succ" : "fail") << c.val;
        EXPECT_EQ(texts(b.walk(0, "getAllPhyGainDbRx")).value(1), c.stored ? c.stored : "2") << c.val;
        const QJsonValue inState = stateOf(b).value("phyGainRx").toArray().at(1);
        EXPECT_EQ(inState.isString() ? inState.toString() : QString::number(inState.toDouble()),
                  c.stored ? c.stored : "2")
            << c.val;
        if (c.stored && QLatin1String(c.stored) == QLatin1String("-inf")) {
            EXPECT_EQ(texts(b.walk(0, "getAllPhyVolumeDbRx")).value(1), "-inf") << "a channel turned fully down";
        }
    }
}

TEST(SimArchiveCommands, InfoReportsMicrophoneInputsOrAmplifierSteps)
{
    struct Case
    {
        const char* model;
        int phyIn;
        int gainArr;     ///< entries of "gainArr"
        int powerArr;    ///< entries of "powerArr"
        bool ampMembers; ///< "gainLev" and "powerGainArr" present
    } cases[] = {{"MRD-A16", 6, 6, 6, false},
                 {"MRD-P64", 3, 3, 3, false},
                 {"MRD-A16", 0, 0, 0, false},
                 {"MRA-4", 0, 4, 4, true}};
    for (const Case& c : cases) {
        QVector<SimDeviceConfig> cfg = wide(c.phyIn, c.model);
        cfg[0].phyChNumTx = 4;
        Bench b(cfg);
        const QJsonObject r = b.one(0, req("getInfo"), SimServiceAmp);
        EXPECT_EQ(r.value("result").toString(), "succ");
        expectAllText(r, c.model);
        const QStringList gains = texts(r.value("gainArr").toArray());
        EXPECT_EQ(gains.size(), c.gainArr) << c.model;
        EXPECT_EQ(r.value("powerArr").toArray().size(), c.powerArr) << c.model;
        EXPECT_EQ(r.contains("gainLev"), c.ampMembers) << c.model;
        if (!c.ampMembers) {
            EXPECT_EQ(gains, QStringList(QVector<QString>(c.phyIn, "0").toList())) << "microphone gain 0 dB";
            EXPECT_EQ(texts(r.value("powerArr").toArray()), QStringList(QVector<QString>(c.phyIn, "0").toList()))
                << "no phantom power until asked";
        } else {
            EXPECT_EQ(gains.value(0), "20") << "the amplifier's gain steps keep their meaning";
        }
    }
}

TEST(SimArchiveCommands, GpioEntriesAreStoredCheckedAndReadBack)
{
    const QJsonObject full{{"direction", "1"},
                           {"type", "2"},
                           {"enable", "1"},
                           {"triggerType", "3"},
                           {"channelDirection", "1"},
                           {"channelId", "12"},
                           {"programId", "4"},
                           {"inputChId", "5"},
                           {"outputChId", "6"},
                           {"gainStep", "-1.5"},
                           {"customCmd", "{\"ops\":\"reboot\"}"}};
    struct Case
    {
        const char* what;
        QJsonValue index;
        QJsonValue info;
        const char* reason; ///< nullptr: stored
        int at;             ///< the entry read back
    } cases[] = {
        {"a full entry", "3", full, nullptr, 3},
        {"the last index", "15", full, nullptr, 15},
        {"a number index", 0, full, nullptr, 0},
        {"one member", "3", QJsonObject{{"enable", "1"}}, nullptr, 3},
        {"index 16", "16", full, "out of range", 3},
        {"index -1", "-1", full, "out of range", 3},
        {"no index", QJsonValue(QJsonValue::Undefined), full, "out of range", 3},
        {"text info", "3", "direction=1", "invalid gpioInfo", 3},
        {"no info", "3", QJsonValue(QJsonValue::Undefined), "invalid gpioInfo", 3},
        {"a word for a number", "3", QJsonObject{{"channelId", "two"}}, "invalid gpioInfo", 3},
        {"a fraction for a whole number", "3", QJsonObject{{"programId", "1.5"}}, "invalid gpioInfo", 3},
        {"a word for gainStep", "3", QJsonObject{{"gainStep", "up"}}, "invalid gpioInfo", 3},
        {"a number for customCmd", "3", QJsonObject{{"customCmd", 5}}, "invalid gpioInfo", 3},
        {"a long customCmd", "3", QJsonObject{{"customCmd", QString(SimGpioCommands::kMaxCustomCmdBytes + 1, 'x')}},
         "invalid gpioInfo", 3},
    };
    for (const Case& c : cases) {
        Bench b(wide(2));
        QJsonObject set = req("setGpioInfo");
        if (!c.index.isUndefined())
            set.insert("index", c.index);
        if (!c.info.isUndefined())
            set.insert("gpioInfo", c.info);
        const QJsonObject r = b.one(0, set, SimServiceAmp);
        EXPECT_EQ(r.value("result").toString(), c.reason ? "fail" : "succ") << c.what;
        EXPECT_EQ(r.value("reason").toString(), c.reason ? c.reason : "") << c.what;
        const QJsonObject got = b.one(0, req("getGpioInfo", {{"index", QString::number(c.at)}}), SimServiceAmp);
        expectAllText(got, c.what);
        QJsonObject want = SimGpioCommands::defaultEntry();
        const QJsonObject given = c.info.toObject();
        if (!c.reason)
            for (auto it = given.begin(); it != given.end(); ++it)
                want.insert(it.key(), it.value());
        EXPECT_EQ(got.value("gpioInfo").toObject(), want) << c.what << ": " << compact(got).toStdString();
        EXPECT_EQ(stateOf(b).value("gpio").toArray().at(c.at).toObject(), want) << c.what;
    }
    Bench b(wide(2));
    EXPECT_TRUE(b.ask(0, req("getGpioInfo", {{"index", "0"}})).isEmpty()) << "9992 only";
    EXPECT_EQ(b.one(0, req("getGpioInfo", {{"index", "16"}}), SimServiceAmp).value("reason").toString(),
              "out of range");
}

TEST(SimArchiveCommands, HeardListsTheRequestsSinceTheLastLook)
{
    Bench b(wide(2));
    SimControl control(*b.net);
    const QString devId = b.net->device(0).devId();
    const auto heard = [&] {
        const QJsonObject a = control.handleLine(compact({{"cmd", "heard"}, {"devId", devId}}));
        EXPECT_TRUE(a.value("ok").toBool());
        return a.value("heard").toObject();
    };
    b.ask(0, req("setDevName", {{"name", "Stage"}}));
    b.ask(0, req("setDevName", {{"name", "Stage left"}}));
    b.ask(0, req("getAllPhyGainDbRx", {{"idStart", "0"}}));
    EXPECT_EQ(heard(), (QJsonObject{{"setDevName", 2}, {"getAllPhyGainDbRx", 1}}));
    EXPECT_EQ(heard(), QJsonObject()) << "nothing since the last look";
    b.net->device(0).setSilenced(true);
    b.ask(0, req("setDevName", {{"name", "Gone"}}));
    EXPECT_EQ(heard(), (QJsonObject{{"setDevName", 1}})) << "a silenced device still counts what it hears";
    EXPECT_FALSE(control.handleLine(R"({"cmd":"heard","devId":"nobody"})").value("ok").toBool());
}

TEST(SimArchiveCommands, HeardWithoutDeviceSumsEveryDeviceAndSetsTheirMarks)
{
    Bench b(QVector<SimDeviceConfig>{bare("10.0.0.1", 8), bare("10.0.0.2", 8)});
    SimControl control(*b.net);
    const auto heardAll = [&] { return control.handleLine(R"({"cmd":"heard"})"); };
    b.ask(0, req("setDevName", {{"name", "Stage"}}));
    b.ask(1, req("setDevName", {{"name", "Foyer"}}));
    b.ask(1, req("getAllPhyGainDbRx", {{"idStart", "0"}}));
    QJsonObject a = heardAll();
    EXPECT_TRUE(a.value("ok").toBool());
    EXPECT_EQ(a.value("heard").toObject(), (QJsonObject{{"setDevName", 2}, {"getAllPhyGainDbRx", 1}}));
    EXPECT_EQ(a.value("devices").toInt(), 2);
    b.ask(1, req("setDevName", {{"name", "Foyer 2"}}));
    a = heardAll();
    EXPECT_EQ(a.value("heard").toObject(), (QJsonObject{{"setDevName", 1}})) << "only what came since";
    EXPECT_EQ(a.value("devices").toInt(), 1);
    const QJsonObject one = control.handleLine(compact({{"cmd", "heard"}, {"devId", b.net->device(1).devId()}}));
    EXPECT_EQ(one.value("heard").toObject(), QJsonObject()) << "the device's own mark moved too";
}

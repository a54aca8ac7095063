// The processor's stored programs: list, save, load, delete and the factory program, over UDP 8999 and TCP.

#include "SimDspPrograms.h"
#include "SimControl.h"
#include "SimDspCommands.h"
#include "SimDspConfig.h"
#include "SimTestUtil.h"

using namespace simtest;

namespace {

QVector<SimDeviceConfig> processor(const char* model = "MRD-P64")
{
    QVector<SimDeviceConfig> c{bare("10.0.0.1", 8)};
    c[0].model = QLatin1String(model);
    c[0].phyChNumRx = c[0].phyChNumTx = 4;
    return c;
}

/// Configurations a test stores, told apart by a letter: "F" the factory one, "A" and "B" variants of it, "R" one
/// made at another sample rate, "W" one for other channel counts.
QJsonObject configFor(const SimDeviceConfig& device, char tag)
{
    QJsonObject c = SimDspConfig::generate(device);
    if (tag == 'A' || tag == 'B')
        c.insert("customStr", QString("variant %1").arg(tag));
    if (tag == 'R')
        c.insert("sampleRate", "96000");
    if (tag == 'W') {
        SimDeviceConfig other = device;
        other.chNumRx += 1;
        c = SimDspConfig::generate(other);
    }
    return c;
}

struct Step
{
    const char* ops;
    const char* name;
    const char* oldName; ///< saveToFile only
    char config;         ///< saveConfigToFile: the configuration sent; 0 none
    const char* reason;  ///< "" for success
};

struct Story
{
    const char* what;
    std::vector<Step> steps;
    const char* names;   ///< the program list afterwards, comma-separated
    const char* configs; ///< the configuration of each program, one letter each
    const char* last;    ///< "getDefaultFile"
    char current;        ///< the configuration in use
};

/// Sends one program request the way the controller does: the configurations over TCP, the rest over UDP.
QJsonObject send(Bench& b, const Step& s)
{
    QJsonObject r = req(s.ops, {{"uiTag", "dspUiTag"}, {"devId", b.net->device(0).devId()}});
    if (s.name)
        r.insert("name", s.name);
    if (s.oldName)
        r.insert("oldName", s.oldName);
    if (s.config)
        r.insert("config", s.config == 'T' ? QJsonValue("text") : configFor(b.net->device(0).config(), s.config));
    const bool tcp = QByteArray(s.ops) == "saveConfigToFile" || QByteArray(s.ops) == "getConfigByName";
    const QVector<QByteArray> out = tcp ? SimDspCommands::handleTcp(*b.net, 0, compact(r))
                                        : b.net->handlers().handleDatagram(*b.net, 0, compact(r), SimServiceDsp);
    EXPECT_EQ(out.size(), 1) << s.ops;
    return out.isEmpty() ? QJsonObject() : parse(out.first());
}

class ProgramStories : public ::testing::TestWithParam<Story>
{
};

} // namespace

TEST_P(ProgramStories, EndWithTheListTheLastLoadedAndTheConfigurationInUse)
{
    const Story& st = GetParam();
    Bench b(processor());
    const SimDeviceConfig& dev = b.net->device(0).config();
    for (const Step& s : st.steps) {
        const QJsonObject r = send(b, s);
        EXPECT_EQ(r.value("result").toString(), *s.reason ? "fail" : "succ") << st.what << ": " << s.ops;
        EXPECT_EQ(r.value("reason").toString(), s.reason) << st.what << ": " << s.ops << " " << (s.name ? s.name : "");
        EXPECT_EQ(r.value("uiTag").toString(), "dspUiTag");
    }
    const QJsonObject list = send(b, {"getConfigNameArr", nullptr, nullptr, 0, ""});
    const QStringList names = QString(st.names).split(',');
    EXPECT_EQ(list.value("nameArr").toArray(), QJsonArray::fromStringList(names)) << st.what;
    EXPECT_EQ(send(b, {"getDefaultFile", nullptr, nullptr, 0, ""}).value("name").toString(), st.last) << st.what;
    EXPECT_EQ(SimDspConfig::current(b.net->device(0)), configFor(dev, st.current)) << st.what;
    SimControl control(*b.net);
    const QJsonObject seen = control.handleLine(compact({{"cmd", "programs"}, {"devId", b.net->device(0).devId()}}));
    EXPECT_EQ(seen.value("nameArr").toArray(), QJsonArray::fromStringList(names)) << st.what;
    EXPECT_EQ(seen.value("lastLoaded").toString(), st.last) << st.what;
    EXPECT_EQ(seen.value("sha1Arr").toArray().size(), names.size()) << st.what;
    for (int i = 0; i < names.size() && i < int(strlen(st.configs)); ++i) {
        const QByteArray name = names[i].toUtf8();
        const QJsonObject got = send(b, {"getConfigByName", name.constData(), nullptr, 0, ""});
        EXPECT_EQ(got.value("config").toObject(), configFor(dev, st.configs[i])) << st.what << ": " << name.data();
        EXPECT_EQ(got.value("version").toString(), configFor(dev, st.configs[i]).value("version").toString());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Programs, ProgramStories,
    ::testing::Values(
        Story{"a new device", {}, "default", "F", "default", 'F'},
        Story{"two imports",
              {{"saveConfigToFile", "Stage-A", nullptr, 'A', ""}, {"saveConfigToFile", "b_2", nullptr, 'B', ""}},
              "default,Stage-A,b_2",
              "FAB",
              "default",
              'F'},
        Story{"an import replaces its name",
              {{"saveConfigToFile", "A", nullptr, 'A', ""}, {"saveConfigToFile", "A", nullptr, 'B', ""}},
              "default,A",
              "FB",
              "default",
              'F'},
        Story{"load",
              {{"saveConfigToFile", "A", nullptr, 'A', ""}, {"loadFromFile", "A", nullptr, 0, ""}},
              "default,A",
              "FA",
              "A",
              'A'},
        Story{"save the current one in place of another",
              {{"saveConfigToFile", "A", nullptr, 'A', ""},
               {"saveConfigToFile", "B", nullptr, 'B', ""},
               {"loadFromFile", "B", nullptr, 0, ""},
               {"saveToFile", "C", "A", 0, ""}},
              "default,C,B",
              "FBB",
              "B",
              'B'},
        Story{"save under a new name, then rename the loaded one",
              {{"saveToFile", "D", "", 0, ""}, {"loadFromFile", "D", nullptr, 0, ""}, {"saveToFile", "E", "D", 0, ""}},
              "default,E",
              "FF",
              "E",
              'F'},
        Story{"save onto an existing name from another place",
              {{"saveConfigToFile", "A", nullptr, 'A', ""},
               {"saveConfigToFile", "B", nullptr, 'B', ""},
               {"saveToFile", "B", "A", 0, ""}},
              "default,B",
              "FF",
              "default",
              'F'},
        Story{"names refused",
              {{"saveConfigToFile", "with space", nullptr, 'A', "invalid name"},
               {"saveConfigToFile", "x1234567890123456789012345678901234567890", nullptr, 'A', "invalid name"},
               {"saveConfigToFile", "", nullptr, 'A', "invalid name"},
               {"saveConfigToFile", "名字", nullptr, 'A', "invalid name"},
               {"saveConfigToFile", "default", nullptr, 'A', "default program"},
               {"saveToFile", "default", "", 0, "default program"},
               {"saveToFile", "N", "default", 0, "default program"},
               {"saveConfigToFile", "x123456789012345678901234567890123456789", nullptr, 'A', ""}},
              "default,x123456789012345678901234567890123456789",
              "FA",
              "default",
              'F'},
        Story{"configurations refused",
              {{"saveConfigToFile", "A", nullptr, 'T', "invalid config"},
               {"saveConfigToFile", "A", nullptr, 0, "invalid config"},
               {"saveConfigToFile", "A", nullptr, 'W', "channel count mismatch"}},
              "default",
              "F",
              "default",
              'F'},
        Story{"deletes",
              {{"saveConfigToFile", "A", nullptr, 'A', ""},
               {"saveConfigToFile", "B", nullptr, 'B', ""},
               {"loadFromFile", "A", nullptr, 0, ""},
               {"deleteFile", "A", nullptr, 0, "program in use"},
               {"deleteFile", "default", nullptr, 0, "default program"},
               {"deleteFile", "Z", nullptr, 0, "unknown name"},
               {"deleteFile", "B", nullptr, 0, ""}},
              "default,A",
              "FA",
              "A",
              'A'},
        Story{"back to the factory program",
              {{"saveConfigToFile", "A", nullptr, 'A', ""},
               {"loadFromFile", "A", nullptr, 0, ""},
               {"loadFromFactory", nullptr, nullptr, 0, ""},
               {"deleteFile", "A", nullptr, 0, ""}},
              "default",
              "F",
              "default",
              'F'},
        Story{"the factory reset button runs program 0 again",
              {{"saveConfigToFile", "A", nullptr, 'A', ""},
               {"loadFromFile", "A", nullptr, 0, ""},
               {"setFactoryConfig", nullptr, nullptr, 0, ""}},
              "default,A",
              "FA",
              "default",
              'F'},
        Story{"the default program loads by name",
              {{"saveConfigToFile", "A", nullptr, 'A', ""},
               {"loadFromFile", "A", nullptr, 0, ""},
               {"loadFromFile", "default", nullptr, 0, ""}},
              "default,A",
              "FA",
              "default",
              'F'},
        Story{"another sample rate",
              {{"saveConfigToFile", "R", nullptr, 'R', ""}, {"loadFromFile", "R", nullptr, 0, "sample rate mismatch"}},
              "default,R",
              "FR",
              "default",
              'F'},
        Story{"unknown names",
              {{"loadFromFile", "Z", nullptr, 0, "unknown name"}, {"getConfigByName", "Z", nullptr, 0, "unknown name"}},
              "default",
              "F",
              "default",
              'F'}));

TEST(SimDspPrograms, TwentyProgramsAtMost)
{
    Bench b(processor());
    for (int i = 1; i < SimDspPrograms::kMaxPrograms; ++i) {
        const QByteArray name = "P" + QByteArray::number(i);
        EXPECT_EQ(send(b, {"saveConfigToFile", name.constData(), nullptr, 'A', ""}).value("result").toString(), "succ");
    }
    EXPECT_EQ(send(b, {"saveConfigToFile", "more", nullptr, 'A', ""}).value("reason").toString(), "too many programs");
    EXPECT_EQ(send(b, {"saveToFile", "more", "", 0, ""}).value("reason").toString(), "too many programs");
    EXPECT_EQ(send(b, {"saveConfigToFile", "P3", nullptr, 'B', ""}).value("result").toString(), "succ")
        << "replacing needs no room";
    EXPECT_EQ(SimDspPrograms::names(b.net->device(0)).size(), SimDspPrograms::kMaxPrograms);
}

TEST(SimDspPrograms, LockRefusesEveryChangeButNotTheReads)
{
    Bench b(processor());
    ASSERT_EQ(send(b, {"saveConfigToFile", "A", nullptr, 'A', ""}).value("result").toString(), "succ");
    ASSERT_EQ(send(b, {"loadFromFile", "A", nullptr, 0, ""}).value("result").toString(), "succ");
    b.net->device(0).setDspLockMask(1);
    const Step changes[] = {{"saveConfigToFile", "B", nullptr, 'B', ""},
                            {"saveToFile", "C", "A", 0, ""},
                            {"loadFromFile", "default", nullptr, 0, ""},
                            {"loadFromFactory", nullptr, nullptr, 0, ""},
                            {"deleteFile", "A", nullptr, 0, ""}};
    for (const Step& s : changes)
        EXPECT_EQ(send(b, s).value("reason").toString(), "LOCK_UCAST_MCAST") << s.ops;
    EXPECT_EQ(SimDspPrograms::names(b.net->device(0)), QStringList({"default", "A"}));
    EXPECT_EQ(send(b, {"getDefaultFile", nullptr, nullptr, 0, ""}).value("name").toString(), "A");
    EXPECT_EQ(send(b, {"getConfigByName", "A", nullptr, 0, ""}).value("result").toString(), "succ");
    EXPECT_EQ(SimDspConfig::current(b.net->device(0)), configFor(b.net->device(0).config(), 'A'));
}

TEST(SimDspPrograms, AnsweredOnTheProcessorServicesOfProcessorModelsOnly)
{
    struct Case
    {
        const char* model;
        const char* ops;
        SimServices on;
        bool answers;
    } cases[] = {
        {"MRD-P64", "getConfigNameArr", SimServiceDsp, true},
        {"MRD-M8", "getDefaultFile", SimServiceDsp, true},
        {"MRD-P64", "getConfigNameArr", SimServiceCommand, false},
        {"MRD-P64", "getConfigByName", SimServiceDsp, false}, // a configuration outgrows a datagram
        {"MRD-A16", "getConfigNameArr", SimServiceDsp, false},
        {"MRD-A16", "loadFromFactory", SimServiceDsp, false},
    };
    for (const Case& c : cases) {
        Bench b(processor(c.model));
        const QJsonObject r = req(c.ops, {{"name", "default"}, {"uiTag", "dspUiTag"}});
        EXPECT_EQ(!b.ask(0, r, c.on).isEmpty(), c.answers) << c.model << " " << c.ops;
    }
}

TEST(SimDspPrograms, ExportReadsAnswerOverTcp)
{
    Bench b(processor());
    const QString devId = b.net->device(0).devId();
    struct Case
    {
        const char* ops;
        std::vector<const char*> keys;
    } cases[] = {{"getVersion", {"chNumIn", "chNumOut", "model", "version", "dspVer", "memory", "funcList"}},
                 {"getConfigNameArr", {"nameArr"}},
                 {"getDefaultFile", {"name"}},
                 {"getConfig", {"config"}}};
    for (const Case& c : cases) {
        const QVector<QByteArray> out = SimDspCommands::handleTcp(
            *b.net, 0, compact(req(c.ops, {{"devId", devId}, {"uiTag", "dspUiTag"}, {"cookie", "7"}})));
        ASSERT_EQ(out.size(), 1) << c.ops;
        const QJsonObject r = parse(out.first());
        EXPECT_EQ(r.value("result").toString(), "succ") << c.ops;
        EXPECT_EQ(r.value("uiTag").toString(), "dspUiTag") << c.ops;
        EXPECT_EQ(r.value("cookie").toString(), "7") << c.ops;
        expectAllText(r, c.ops);
        for (const char* key : c.keys)
            EXPECT_TRUE(r.contains(key)) << c.ops << " lacks " << key;
    }
    const QJsonObject version =
        parse(SimDspCommands::handleTcp(*b.net, 0, compact(req("getVersion", {{"devId", devId}}))).value(0));
    EXPECT_EQ(num(version.value("chNumIn")), 4 + 8);
    EXPECT_EQ(num(version.value("chNumOut")), 4 + 8);
}

TEST(SimDspPrograms, AFactoryConfigurationBecomesTheDefaultProgramAfterTheReboot)
{
    Bench b(processor());
    SimDevice& dev = b.net->device(0);
    const QJsonObject a = configFor(dev.config(), 'A');
    ASSERT_EQ(send(b, {"saveConfigToFile", "B", nullptr, 'B', ""}).value("result").toString(), "succ");
    ASSERT_EQ(send(b, {"loadFromFile", "B", nullptr, 0, ""}).value("result").toString(), "succ");
    const QVector<QByteArray> set = SimDspCommands::handleTcp(
        *b.net, 0, compact(req("setFactoryConfig", {{"devId", dev.devId()}, {"sampleRate", "48000"}, {"config", a}})));
    ASSERT_EQ(parse(set.value(0)).value("result").toString(), "succ");
    EXPECT_EQ(SimDspPrograms::factory(dev), configFor(dev.config(), 'F')) << "not before the reboot";
    ++dev.state().rebootCount;
    EXPECT_EQ(SimDspPrograms::factory(dev), a);
    EXPECT_EQ(send(b, {"getDefaultFile", nullptr, nullptr, 0, ""}).value("name").toString(), "default");
    ASSERT_EQ(send(b, {"loadFromFile", "B", nullptr, 0, ""}).value("result").toString(), "succ");
    ASSERT_EQ(send(b, {"loadFromFactory", nullptr, nullptr, 0, ""}).value("result").toString(), "succ");
    EXPECT_EQ(SimDspConfig::current(dev), a);
}

// ---- Channel programs ---------------------------------------------------------------------------------------

namespace {

QJsonObject chSend(Bench& b, const char* ops, QJsonObject keys)
{
    keys.insert("uiTag", "dspUiTag");
    keys.insert("devId", b.net->device(0).devId());
    QJsonObject r = keys;
    r.insert("ops", ops);
    const bool tcp = QByteArray(ops) == "getChConfigByName" || QByteArray(ops) == "saveChConfigToFile";
    const QVector<QByteArray> out = tcp ? SimDspCommands::handleTcp(*b.net, 0, compact(r))
                                        : b.net->handlers().handleDatagram(*b.net, 0, compact(r), SimServiceDsp);
    EXPECT_EQ(out.size(), 1) << ops;
    return out.isEmpty() ? QJsonObject() : parse(out.first());
}

QJsonArray channelEntries(const QJsonObject& config, bool input, const char* list)
{
    const QJsonArray nodes = config.value("nodeArr").toArray();
    const QJsonObject node = (input ? nodes.first() : nodes.last()).toObject();
    return QByteArray(list) == "commArr" ? node.value("commArr").toArray()
                                         : node.value("obj").toObject().value("portArr").toArray();
}

} // namespace

TEST(SimDspChannelPrograms, SavedFromOneChannelAndPutOntoAnother)
{
    Bench b(processor());
    SimDevice& dev = b.net->device(0);
    const QJsonObject before = SimDspConfig::current(dev);
    const QJsonArray ports = channelEntries(before, true, "portArr");
    // Two input channels with different chains.
    int from = -1;
    int to = -1;
    for (int i = 0; i < ports.size() && to < 0; ++i)
        for (int j = 0; j < ports.size(); ++j)
            if (ports[i] != ports[j] && from < 0) {
                from = i;
                to = j;
            }
    ASSERT_GE(from, 0) << "the generated configuration has differing chains";
    const auto ch = [](bool in, int i) { return QJsonObject{{"isInput", in ? "1" : "0"}, {"ch", QString::number(i)}}; };
    auto with = [](QJsonObject o, const QJsonObject& more) {
        for (auto it = more.begin(); it != more.end(); ++it)
            o.insert(it.key(), it.value());
        return o;
    };
    EXPECT_EQ(chSend(b, "saveChConfig", with(ch(true, from), {{"name", "Vocal"}, {"oldName", ""}}))
                  .value("result")
                  .toString(),
              "succ");
    EXPECT_EQ(chSend(b, "getChConfigNameArr", {}).value("nameArr").toArray(), QJsonArray({"Vocal"}));
    const QJsonObject stored = chSend(b, "getChConfigByName", {{"name", "Vocal"}}).value("config").toObject();
    EXPECT_EQ(stored.value("side").toString(), "in");
    EXPECT_EQ(stored.value("port"), ports[from]);

    EXPECT_EQ(chSend(b, "loadChConfig", with(ch(true, to), {{"name", "Vocal"}})).value("result").toString(), "succ");
    const QJsonObject after = SimDspConfig::current(dev);
    EXPECT_EQ(channelEntries(after, true, "portArr")[to], ports[from]);
    EXPECT_EQ(channelEntries(after, true, "commArr")[to], channelEntries(before, true, "commArr")[from]);
    EXPECT_EQ(channelEntries(after, false, "portArr"), channelEntries(before, false, "portArr")) << "outputs kept";

    struct Case
    {
        const char* ops;
        QJsonObject keys;
        const char* reason;
    } refused[] = {
        {"loadChConfig", with(ch(false, 0), {{"name", "Vocal"}}), "channel type mismatch"},
        {"loadChConfig", with(ch(true, 99), {{"name", "Vocal"}}), "invalid channel"},
        {"loadChConfig", with(ch(true, -1), {{"name", "Vocal"}}), "invalid channel"},
        {"loadChConfig", with(ch(true, 0), {{"name", "None"}}), "unknown name"},
        {"saveChConfig", with(ch(true, 0), {{"name", "with space"}}), "invalid name"},
        {"saveChConfig", QJsonObject{{"name", "X"}, {"isInput", "2"}, {"ch", "0"}}, "invalid channel"},
        {"saveChConfigToFile", QJsonObject{{"name", "F"}, {"config", QJsonObject{{"side", "up"}}}}, "invalid config"},
        {"renameChConfig", QJsonObject{{"name", "N"}, {"oldName", "None"}}, "unknown name"},
        {"deleteChConfig", QJsonObject{{"name", "None"}}, "unknown name"},
        {"getChConfigByName", QJsonObject{{"name", "None"}}, "unknown name"},
    };
    for (const Case& c : refused)
        EXPECT_EQ(chSend(b, c.ops, c.keys).value("reason").toString(), c.reason) << c.ops;
    EXPECT_EQ(SimDspConfig::current(dev), after) << "refusals change nothing";

    EXPECT_EQ(chSend(b, "saveChConfigToFile", {{"name", "Copy"}, {"config", stored}}).value("result").toString(),
              "succ");
    EXPECT_EQ(chSend(b, "renameChConfig", {{"name", "Lead"}, {"oldName", "Vocal"}}).value("result").toString(), "succ");
    EXPECT_EQ(chSend(b, "renameChConfig", {{"name", "Copy"}, {"oldName", "Lead"}}).value("reason").toString(),
              "name taken");
    EXPECT_EQ(chSend(b, "deleteChConfig", {{"name", "Copy"}}).value("result").toString(), "succ");
    EXPECT_EQ(chSend(b, "getChConfigNameArr", {}).value("nameArr").toArray(), QJsonArray({"Lead"}));

    dev.setDspLockMask(1);
    EXPECT_EQ(chSend(b, "deleteChConfig", {{"name", "Lead"}}).value("reason").toString(), "LOCK_UCAST_MCAST");
}

TEST(SimDspChannelPrograms, BoundedCount)
{
    Bench b(processor());
    const QJsonObject program{
        {"side", "out"}, {"comm", QJsonObject()}, {"port", QJsonObject{{"procArr", QJsonArray()}}}};
    for (int i = 0; i < SimDspPrograms::kMaxChannelPrograms; ++i)
        ASSERT_EQ(chSend(b, "saveChConfigToFile", {{"name", QString("C%1").arg(i)}, {"config", program}})
                      .value("result")
                      .toString(),
                  "succ");
    EXPECT_EQ(chSend(b, "saveChConfigToFile", {{"name", "more"}, {"config", program}}).value("reason").toString(),
              "too many programs");
    EXPECT_EQ(chSend(b, "saveChConfigToFile", {{"name", "C3"}, {"config", program}}).value("result").toString(), "succ")
        << "replacing needs no room";
}

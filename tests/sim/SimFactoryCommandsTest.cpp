// What a device window's test page sends beyond the settings: the factory service (SSH start, reset, OEM data),
// the GPIO test, memory figures and the amplifier modules.

#include "SimFactoryCommands.h"
#include "SimControl.h"
#include "SimTestUtil.h"

using namespace simtest;

namespace {

constexpr int kDev = 0;
constexpr int kAmp = 1;

QVector<SimDeviceConfig> devices()
{
    SimDeviceConfig dev = bare("10.0.0.1", 4);
    dev.phyChNumRx = dev.phyChNumTx = 4;
    dev.model = QStringLiteral("MRD-M8");
    SimDeviceConfig amp = bare("10.0.0.2", 4);
    amp.model = QStringLiteral("MRA-4");
    amp.phyChNumRx = 0;
    amp.phyChNumTx = 4;
    return {dev, amp};
}

struct FactoryBench : Bench
{
    SimControl control{*net};

    FactoryBench() : Bench(devices()) {}

    QJsonObject state(int index)
    {
        return control.handleLine(compact({{"cmd", "state"}, {"devId", net->device(index).devId()}}));
    }
    QByteArray text(int index, const QByteArray& datagram)
    {
        return SimFactoryCommands::handleText(*net, index, datagram);
    }
};

} // namespace

TEST(SimFactoryCommands, SshStartAnswersOnlyItsOwnAddress)
{
    FactoryBench b;
    struct Case
    {
        QByteArray datagram;
        QByteArray answer;
    } cases[] = {
        {"hostname=10.0.0.1 startSsh", "startSsh ok"},
        {"  hostname=10.0.0.1   startSsh\r\n", "startSsh ok"},
        {"hostname=10.0.0.2 startSsh", "startSsh fail: hostname mismatch"},
        {"hostname= startSsh", ""},
        {"hostname=10.0.0.1 startSsh now", ""},
        {"startSsh", ""},
        {"hostname=10.0.0.1 stopSsh", ""},
        {"hostname=" + QByteArray(600, '1') + " startSsh", ""},
        {"", ""},
    };
    int started = 0;
    for (const Case& c : cases) {
        EXPECT_TRUE(SimFactoryCommands::isText(c.datagram));
        EXPECT_EQ(b.text(kDev, c.datagram), c.answer) << c.datagram.left(40).toStdString();
        started += c.answer == "startSsh ok" ? 1 : 0;
    }
    EXPECT_EQ(b.state(kDev).value("factory").toObject().value("sshStarts").toInt(), started);
    EXPECT_FALSE(SimFactoryCommands::isText(R"( {"ops":"resetFactory"})"));

    // A silenced device hears the start but neither answers nor starts anything.
    b.net->device(kDev).setSilenced(true);
    EXPECT_TRUE(b.text(kDev, "hostname=10.0.0.1 startSsh").isEmpty());
    const QJsonObject st = b.state(kDev);
    EXPECT_EQ(st.value("factory").toObject().value("sshStarts").toInt(), started);
    EXPECT_EQ(st.value("requests").toObject().value("startSsh").toInt(), started + 2);
}

TEST(SimFactoryCommands, ResetRestoresTheFactorySettingsInBothSpellings)
{
    for (const char* ops : {"resetFactory", "resetFacotry"}) {
        FactoryBench b;
        const QJsonObject before = b.state(kDev);
        // Change everything a reset restores, and some things it keeps.
        ASSERT_EQ(b.result(kDev, req("setDevName", {{"name", "Stage left"}})), "succ");
        ASSERT_EQ(b.result(kDev, req("setChNameRx", {{"id", "1"}, {"name", "Mic"}})), "succ");
        ASSERT_EQ(b.result(kDev, req("setPhyChNameTx", {{"id", "0"}, {"name", "Spk"}})), "succ");
        ASSERT_EQ(b.result(kDev, req("setGpioInfo", {{"index", "GPIO_2"}, {"gpioInfo", QJsonObject{{"enable", "1"}}}}),
                           SimServiceAmp),
                  "succ");
        ASSERT_EQ(b.result(kDev, req("testGpio", {{"index", "GPIO_2"}, {"isHigh", "1"}}), SimServiceAmp), "succ");
        ASSERT_EQ(b.result(kDev, req("setCfg", {{"cfg", "sampleRate=96000\nfmtType=tdmI2s"}}), SimServiceCfg), "succ");
        ASSERT_EQ(b.result(kDev, req("setOemData", {{"name", "cpuKHz"}, {"val", "816000"}}), SimServiceFactory),
                  "succ");
        ASSERT_EQ(b.result(kDev, req("setDscp", {{"dscp", "10"}})), "succ");
        ASSERT_NE(b.state(kDev).value("name"), before.value("name"));

        // Not on the settings port: the factory service only.
        EXPECT_TRUE(b.ask(kDev, req(ops), SimServiceSettings).isEmpty());
        const QJsonObject r = b.one(kDev, req(ops), SimServiceFactory);
        EXPECT_EQ(r.value("result").toString(), "succ") << ops;
        EXPECT_EQ(r.value("ops").toString(), ops);
        const QJsonObject after = b.state(kDev);
        for (const char* key : {"name", "rxChNames", "phyTxChNames", "gpio", "cfg", "oemData"})
            EXPECT_EQ(after.value(key), before.value(key)) << ops << ": " << key << " not restored";
        EXPECT_EQ(after.value("factory").toObject().value("testGpio").toObject(), QJsonObject());
        EXPECT_EQ(after.value("factory").toObject().value("resets").toInt(), 1);
        EXPECT_EQ(after.value("dscp").toInt(), 10) << "the stream DSCP is no factory setting";
    }
}

TEST(SimFactoryCommands, ResetIsRefusedWhileAnyLockIsSet)
{
    struct Case
    {
        const char* lockLine;
        bool dsp;
    } cases[] = {{"0x1", false}, {"0x4", false}, {"0x1", true}};
    for (const Case& c : cases) {
        FactoryBench b;
        ASSERT_EQ(b.result(kDev, req("setDevName", {{"name", "Kept"}})), "succ");
        QJsonObject lock = req("setLock", {{"password", ""}, {"val", c.lockLine}});
        if (c.dsp)
            lock.insert("uiTag", "dspUiTag");
        ASSERT_EQ(b.result(kDev, lock, SimServiceLock), "succ");
        for (const char* ops : {"resetFactory", "resetFacotry"}) {
            const QJsonObject r = b.one(kDev, req(ops), SimServiceFactory);
            EXPECT_EQ(r.value("result").toString(), "fail") << c.lockLine << " dsp " << c.dsp;
            EXPECT_EQ(r.value("reason").toString(), "locked");
        }
        const QJsonObject st = b.state(kDev);
        EXPECT_EQ(st.value("name").toString(), "Kept");
        EXPECT_EQ(st.value("factory").toObject().value("resets").toInt(), 0);
    }
}

TEST(SimFactoryCommands, OemDataIsStoredAndReadBackOnBothPorts)
{
    FactoryBench b;
    auto get = [&b](const char* name, SimServices on) { return b.one(kDev, req("getOemData", {{"name", name}}), on); };
    EXPECT_EQ(get("cpuKHz", SimServiceFactory).value("val").toString(), "0") << "never set: the device's own";
    EXPECT_EQ(get("customOemType", SimServiceSettings).value("val").toString(), "standard");
    EXPECT_EQ(get("nothing", SimServiceFactory).value("reason").toString(), "unknown name");

    struct Case
    {
        QJsonValue name;
        QJsonValue val;
        const char* reason; // empty: stored
    } cases[] = {
        {"cpuKHz", "Default", ""},
        {"cpuKHz", "408000", ""},
        {"cpuKHz", 600000, ""},
        {"cpuKHz", "816000", ""},
        {"cpuKHz", "1008000", ""},
        {"cpuKHz", "1200000", ""},
        {"cpuKHz", "0", ""},
        {"cpuKHz", "500000", "invalid val"},
        {"cpuKHz", "fast", "invalid val"},
        {"cpuKHz", QJsonValue(), "invalid val"},
        {"customOemType", "custom", ""},
        {"serial", QString(255, 'x'), ""},
        {"serial", QString(256, 'x'), "invalid val"},
        {"", "1", "invalid name"},
        {"  ", "1", "invalid name"},
        {QString(64, 'n'), "1", "invalid name"},
        {5, "1", "invalid name"},
    };
    for (const Case& c : cases) {
        QJsonObject set = req("setOemData", {{"name", c.name}});
        if (!c.val.isNull())
            set.insert("val", c.val);
        const QJsonObject r = b.one(kDev, set, SimServiceFactory);
        EXPECT_EQ(r.value("result").toString(), *c.reason ? "fail" : "succ") << compact(set).toStdString();
        EXPECT_EQ(r.value("reason").toString(), QLatin1String(c.reason)) << compact(set).toStdString();
        if (!*c.reason) {
            const QString want = c.val.isDouble() ? QString::number(c.val.toInt()) : c.val.toString();
            for (SimServices on : {SimServices(SimServiceFactory), SimServices(SimServiceSettings)})
                EXPECT_EQ(get(c.name.toString().toUtf8().constData(), on).value("val").toString(), want);
        }
    }
    EXPECT_EQ(b.state(kDev).value("oemData").toObject().value("cpuKHz").toString(), "0");

    // The store is bounded: new names are refused once it is full, known ones still change.
    int stored = b.state(kDev).value("oemData").toObject().size();
    for (int i = 0; stored < SimFactoryCommands::kMaxOemEntries; ++i, ++stored)
        ASSERT_EQ(b.result(kDev, req("setOemData", {{"name", QStringLiteral("k%1").arg(i)}, {"val", "v"}}),
                           SimServiceSettings),
                  "succ");
    EXPECT_EQ(b.one(kDev, req("setOemData", {{"name", "one more"}, {"val", "v"}}), SimServiceSettings)
                  .value("reason")
                  .toString(),
              "too many entries");
    EXPECT_EQ(b.result(kDev, req("setOemData", {{"name", "cpuKHz"}, {"val", "408000"}}), SimServiceFactory), "succ");
}

TEST(SimFactoryCommands, GpioTestDrivesTheNamedEntry)
{
    FactoryBench b;
    struct Case
    {
        QJsonObject request;
        const char* reason;
        int index; // the entry driven when accepted
    } cases[] = {
        {req("testGpio", {{"index", "GPIO_3"}, {"isHigh", "1"}}), "", 3},
        {req("testGpio", {{"index", "5"}, {"isHigh", "1"}}), "", 5},
        {req("testGpio", {{"index", 7}, {"isHigh", "0"}}), "", 7},
        {req("testGpio", {{"isHigh", "1"}}), "", 0},
        {req("testGpio", {{"index", "GPIO_3"}, {"isHigh", "0"}}), "", 3},
        {req("testGpio", {{"index", "GPIO_16"}, {"isHigh", "1"}}), "out of range", -1},
        {req("testGpio", {{"index", "GPIO_"}, {"isHigh", "1"}}), "out of range", -1},
        {req("testGpio", {{"index", "GPIO_x"}, {"isHigh", "1"}}), "out of range", -1},
        {req("testGpio", {{"index", "-1"}, {"isHigh", "1"}}), "out of range", -1},
        {req("testGpio", {{"index", "1"}, {"isHigh", "2"}}), "invalid isHigh", -1},
        {req("testGpio", {{"index", "1"}}), "invalid isHigh", -1},
    };
    QJsonObject expected;
    for (const Case& c : cases) {
        const QJsonObject r = b.one(kDev, c.request, SimServiceAmp);
        EXPECT_EQ(r.value("result").toString(), *c.reason ? "fail" : "succ") << compact(c.request).toStdString();
        EXPECT_EQ(r.value("reason").toString(), QLatin1String(c.reason)) << compact(c.request).toStdString();
        EXPECT_EQ(r.value("isHigh"), c.request.value("isHigh")) << "echoed";
        if (c.index >= 0)
            expected.insert(QString::number(c.index), c.request.value("isHigh").toString().toInt());
    }
    EXPECT_EQ(b.state(kDev).value("factory").toObject().value("testGpio").toObject(), expected);
    EXPECT_TRUE(b.ask(kDev, req("testGpio", {{"isHigh", "1"}}), SimServiceSettings).isEmpty()) << "9992 only";

    // The page names entries the same way when it reads and stores them.
    ASSERT_EQ(b.result(kDev, req("setGpioInfo", {{"index", "GPIO_4"}, {"gpioInfo", QJsonObject{{"type", "2"}}}}),
                       SimServiceAmp),
              "succ");
    const QJsonObject got = b.one(kDev, req("getGpioInfo", {{"index", "4"}}), SimServiceAmp);
    EXPECT_EQ(got.value("gpioInfo").toObject().value("type").toString(), "2");
    EXPECT_EQ(b.one(kDev, req("getGpioInfo", {{"index", "GPIO_4"}}), SimServiceAmp).value("gpioInfo"),
              got.value("gpioInfo"));
}

TEST(SimFactoryCommands, DebugInfoCarriesMemoryFigures)
{
    FactoryBench b;
    const QJsonObject r = b.one(kDev, req("getDebugInfo"), SimServiceSettings);
    const QString free = r.value("free").toString();
    for (const char* figure : {"MemTotal:", "MemFree:", "MemAvailable:"})
        EXPECT_TRUE(free.contains(QLatin1String(figure))) << figure << " in " << free.toStdString();
    // Free memory lies below the total.
    const QStringList words = free.simplified().split(' ');
    ASSERT_GE(words.size(), 5);
    EXPECT_LT(words[4].toInt(), words[1].toInt());
    EXPECT_GT(words[4].toInt(), 0);
}

TEST(SimFactoryCommands, BothAmplifierModulesAnswerOnTheAmplifierOnly)
{
    FactoryBench b;
    ASSERT_EQ(b.result(kAmp, req("setGain", {{"id", "2"}, {"val", "3"}}), SimServiceAmp), "succ");
    for (SimServices module : {SimServices(SimServiceAmpModule), SimServices(SimServiceAmpModule2)}) {
        const QJsonObject info = b.one(kAmp, req("getInfo"), module);
        EXPECT_EQ(info.value("model").toString(), "MRA-4");
        EXPECT_EQ(info.value("gainLev").toArray().at(2).toString(), "3");
        const QJsonObject power = b.one(kAmp, req("getPowerGainInfo"), module);
        EXPECT_EQ(power.value("chNum").toString(), "4");
        EXPECT_EQ(power.value("powerGainArr").toArray().at(2).toString(), "38");
        for (const char* ops : {"getInfo", "getPowerGainInfo"})
            EXPECT_TRUE(b.ask(kDev, req(ops), module).isEmpty()) << ops << ": no amplifier module";
    }
    // 9992 still answers every model.
    EXPECT_EQ(b.result(kDev, req("getInfo"), SimServiceAmp), "succ");
}

TEST(SimFactoryCommands, ConfigurationTextStaysBounded)
{
    // The configuration grows by what each request adds, but never beyond what one answer carries.
    FactoryBench b;
    int added = 0;
    for (int i = 0; i < 1000; ++i) {
        const QJsonObject r = b.one(
            kDev, req("setCfg", {{"cfg", QStringLiteral("key%1=%2").arg(i).arg(QString(40, 'v'))}}), SimServiceCfg);
        if (r.value("result").toString() != "succ") {
            EXPECT_EQ(r.value("reason").toString(), "cfg too long");
            break;
        }
        ++added;
    }
    EXPECT_GT(added, 10);
    EXPECT_LT(added, 1000) << "no bound";
    const QJsonObject full = b.one(kDev, req("getCfg"), SimServiceCfg); // the helper checks the datagram's size
    EXPECT_FALSE(full.value("cfg").toString().contains(QStringLiteral("key%1=").arg(added))) << "refused whole";
    // Overlong keys and values are bad lines.
    for (const QString& bad : {QString(64, 'k') + "=1", "key5=" + QString(256, 'v')})
        EXPECT_EQ(b.one(kDev, req("setCfg", {{"cfg", bad}}), SimServiceCfg).value("reason").toString(), "bad cfg");
    // Known keys still change.
    EXPECT_EQ(b.result(kDev, req("setCfg", {{"cfg", "key5=changed\nchNum_dspToNet=4"}}), SimServiceCfg), "succ");
    EXPECT_EQ(b.state(kDev).value("cfg").toObject().value("key5").toString(), "changed");
}

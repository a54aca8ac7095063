// The answers of the service commands a controller sends to a new device, without sockets.

#include "SimCommandHandlers.h"
#include "SimProbeResponder.h"
#include "SimTestUtil.h"

#include <QSet>

using namespace simtest;

namespace {

/// One device with every reported value set away from its default.
SimDeviceConfig described()
{
    SimDeviceConfig c = bare("10.0.0.1");
    c.devId = QStringLiteral("MRP-0A000001");
    c.name = QStringLiteral("Stage Left");
    c.model = QStringLiteral("MRD-A16");
    c.chNumRx = 3;
    c.chNumTx = 2;
    c.phyChNumRx = 0;
    c.phyChNumTx = 1;
    c.rxChNames = QStringList{QStringLiteral("Kick"), QStringLiteral("Snare")};
    c.password = QStringLiteral("s3cret");
    c.lock = 0x10003;
    c.dspLock = 0x1f;
    c.version = QStringLiteral("2.0.1-77");
    c.oemCode = QStringLiteral("A1B2C3");
    c.oemData = {{QStringLiteral("customOemType"), QStringLiteral("touring")}};
    c.customStr = QStringLiteral("Hall B");
    c.temp = 81000;
    c.tempJitter = 0;
    c.uptime = 3725;
    c.fixedIp = 1;
    c.gateway = ip("10.0.0.254");
    c.dns = ip("10.0.0.53");
    c.secondaryIp = ip("10.0.0.9");
    c.ptpPriority = 100;
    c.ptpDomain = 3;
    c.ptpDscp = 48;
    c.sampleRates = {48000, 96000};
    c.packetTimeDivs = {1, 4};
    return c;
}

/// The described device alone, on a clock the test moves.
struct ServiceFixture : Bench
{
    explicit ServiceFixture(const SimDeviceConfig& config = described(), int pageSize = 8)
        : Bench({config}, options(pageSize))
    {
    }

    static SimNetwork::Options options(int pageSize)
    {
        SimNetwork::Options o;
        o.pageSize = pageSize;
        return o;
    }

    QVector<QJsonObject> ask(const QByteArray& request, SimServices on) { return Bench::ask(0, parse(request), on); }
    QJsonObject one(const QByteArray& request, SimServices on) { return Bench::one(0, parse(request), on); }
    QJsonObject one(const QJsonObject& request, SimServices on) { return Bench::one(0, request, on); }
};

struct ReplyCase
{
    const char* request;
    SimServiceFlag on;
    const char* expected; ///< members the reply must carry, with their values
};

void PrintTo(const ReplyCase& c, std::ostream* os)
{
    *os << c.request;
}

class SimServiceReply : public ::testing::TestWithParam<ReplyCase>
{
};

const ReplyCase kReplies[] = {
    {R"({"ops":"getLock"})", SimServiceLock, R"({"result":"succ","val":"0x10003"})"},
    {R"({"ops":"getLock","uiTag":"dspUiTag"})", SimServiceDsp, R"({"result":"succ","val":"0x1f","uiTag":"dspUiTag"})"},
    // Two DSP models take their DSP lock on 9995; the tag, not the port, chooses the mask.
    {R"({"ops":"getLock","uiTag":"dspUiTag","cookie":"0"})", SimServiceLock,
     R"({"result":"succ","val":"0x1f","uiTag":"dspUiTag","cookie":"0"})"},
    {R"({"ops":"setPassword","old":"","new":"","isByself":"isByself"})", SimServiceSettings,
     R"({"result":"fail","reason":"mismatch","old":"","new":"","isByself":"isByself"})"},
    {R"({"ops":"getVersion"})", SimServiceSettings,
     R"({"result":"succ","version":"2.0.1-77","oemCode":"A1B2C3","ptpPriority":"100","ptpDomain":"3",
         "ptpDscp":"48","sampleRateArr":"48000,96000","packetTimeDivArr":"1,4"})"},
    {R"({"ops":"getVersion","devId":"MRP-0A000001"})", SimServiceCommand, R"({"result":"succ","version":"2.0.1-77"})"},
    {R"({"ops":"getDebugInfo"})", SimServiceSettings,
     R"({"result":"succ","devName":"Stage Left","model":"MRD-A16","temp":"81000","uptime":"3725"})"},
    {R"({"ops":"getOemData","name":"customOemType"})", SimServiceSettings,
     R"({"result":"succ","name":"customOemType","val":"touring"})"},
    {R"({"ops":"getOemData","name":"serial"})", SimServiceSettings,
     R"({"result":"fail","reason":"unknown name","name":"serial"})"},
    {R"({"ops":"getIp"})", SimServiceSettings,
     R"({"result":"succ","fixedIp":"1","ip":"10.0.0.1","gw":"10.0.0.254","dns":"10.0.0.53"})"},
    {R"({"ops":"getCustomStr"})", SimServiceCommand, R"({"result":"succ","str":"Hall B"})"},
    {R"({"ops":"getAllChNameRx","idStart":"0"})", SimServiceCommand,
     R"({"result":"succ","idStart":"0","idNext":"3",
         "arr":[{"id":"0","name":"Kick"},{"id":"1","name":"Snare"},{"id":"2","name":"NetIn3"}]})"},
    {R"({"ops":"getAllChNameTx","idStart":"1"})", SimServiceCommand,
     R"({"idStart":"1","idNext":"2","arr":[{"id":"1","name":"NetOut2"}]})"},
    {R"({"ops":"getAllPhyChNameTx","idStart":"0"})", SimServiceCommand,
     R"({"idNext":"1","arr":[{"id":"0","name":"AnalogOut1"}]})"},
    // No physical inputs: the first page is already the end.
    {R"({"ops":"getAllPhyChNameRx","idStart":"0"})", SimServiceCommand, R"({"idNext":"0","arr":[]})"},
};

} // namespace

TEST_P(SimServiceReply, CarriesTheDeviceValues)
{
    ServiceFixture f;
    const ReplyCase& c = GetParam();
    const QJsonObject request = QJsonDocument::fromJson(c.request).object();
    const QJsonObject reply = f.one(c.request, c.on);
    EXPECT_EQ(reply.value("ops"), request.value("ops"));
    EXPECT_EQ(reply.value("devId").toString(), QStringLiteral("MRP-0A000001"));
    const QJsonObject expected = QJsonDocument::fromJson(c.expected).object();
    ASSERT_FALSE(expected.isEmpty()) << "bad expectation " << c.expected;
    for (auto it = expected.begin(); it != expected.end(); ++it)
        EXPECT_EQ(reply.value(it.key()), it.value())
            << it.key().toStdString() << " in " << compact(reply).toStdString();
    // Scalars travel as text, as everywhere on the wire.
    for (auto it = reply.begin(); it != reply.end(); ++it)
        EXPECT_TRUE(it.value().isString() || it.key() == QLatin1String("arr")) << it.key().toStdString();
}

INSTANTIATE_TEST_SUITE_P(Commands, SimServiceReply, ::testing::ValuesIn(kReplies));

TEST(SimDeviceServices, NamePagesWalkTheWholeListWithinOneDatagram)
{
    SimDeviceConfig c = bare("10.0.0.1", 64);
    // 63-byte names: a page of 32 would not fit one datagram, so pages also end early.
    for (int id = 0; id < 64; ++id)
        c.txChNames.append(QStringLiteral("%1").arg(id, 63, 10, QLatin1Char('n')));
    c.rxChNames = QStringList{QStringLiteral("\u9f13 1")}; // not ASCII
    ServiceFixture f(c, 32);
    for (SimNameList list : {SimNameList::Rx, SimNameList::Tx, SimNameList::PhyTx, SimNameList::PhyRx}) {
        const QString ops = SimDevice::opsForNameList(list);
        int pages = 0;
        QStringList seen;
        for (const QJsonValue& e : f.walk(0, ops, SimServiceCommand, &pages)) {
            EXPECT_EQ(num(e.toObject().value("id")), seen.size()) << ops.toStdString();
            seen.append(e.toObject().value("name").toString());
        }
        EXPECT_EQ(seen, f.net->device(0).names(list)) << ops.toStdString();
        if (list == SimNameList::Tx) {
            EXPECT_GT(pages, 2) << "long names should have cut pages short";
        }
    }
    EXPECT_EQ(f.net->device(0).names(SimNameList::Rx).first(), QStringLiteral("\u9f13 1"));
    EXPECT_EQ(f.net->device(0).names(SimNameList::Rx).last(), QStringLiteral("NetIn64"));

    // The walk ended on an empty page; beyond it, or unreadable, there is no answer.
    for (const char* bad : {R"({"ops":"getAllChNameRx","idStart":"65"})", R"({"ops":"getAllChNameRx","idStart":"-1"})",
                            R"({"ops":"getAllChNameRx"})", R"({"ops":"getAllChNameRx","idStart":"x"})"})
        EXPECT_TRUE(f.ask(bad, SimServiceCommand).isEmpty()) << bad;
}

TEST(SimDeviceServices, PasswordGuardsLocksAndIsNeverSentBack)
{
    ServiceFixture f;
    auto setPassword = [](const QString& oldPw, const QString& newPw) {
        return req("setPassword", {{"old", oldPw}, {"new", newPw}, {"isByself", "isByself"}});
    };
    auto setLock = [](const QString& pw, const char* val) { return req("setLock", {{"password", pw}, {"val", val}}); };
    QJsonObject setDspLock = setLock("n3w-pass", "65567");
    setDspLock.insert("uiTag", "dspUiTag");
    const struct
    {
        QJsonObject request;
        SimServiceFlag on;
        const char* result;   ///< "succ", "fail", or "mismatch": refused for a wrong password
        const char* password; ///< the one that matches afterwards
        const char* lock;
        const char* dspLock;
    } steps[] = {
        {setPassword("guess", "mine"), SimServiceSettings, "mismatch", "s3cret", "0x10003", "0x1f"},
        {setLock("guess", "0x0"), SimServiceLock, "mismatch", "s3cret", "0x10003", "0x1f"},
        {setPassword("s3cret", "n3w-pass"), SimServiceSettings, "succ", "n3w-pass", "0x10003", "0x1f"},
        {setLock("s3cret", "0x3"), SimServiceLock, "mismatch", "n3w-pass", "0x10003", "0x1f"},
        // Device and DSP locks are separate masks, both behind the same password.
        {setLock("n3w-pass", "0x3"), SimServiceLock, "succ", "n3w-pass", "0x3", "0x1f"},
        {setDspLock, SimServiceDsp, "succ", "n3w-pass", "0x3", "0x1001f"},
        {setLock("n3w-pass", "0xZZ"), SimServiceLock, "fail", "n3w-pass", "0x3", "0x1001f"},
        {setLock("n3w-pass", "0x100000000"), SimServiceLock, "fail", "n3w-pass", "0x3", "0x1001f"},
        // An oversized new password is refused rather than cut.
        {setPassword("n3w-pass", QString(64, 'p')), SimServiceSettings, "fail", "n3w-pass", "0x3", "0x1001f"},
        // Cleared: the discovery probe (empty texts) then succeeds, and so does any setLock.
        {setPassword("n3w-pass", ""), SimServiceSettings, "succ", "", "0x3", "0x1001f"},
        {setPassword("", ""), SimServiceSettings, "succ", "", "0x3", "0x1001f"},
        {setLock("", "0x0"), SimServiceLock, "succ", "", "0x0", "0x1001f"},
    };
    for (const auto& step : steps) {
        const std::string what = compact(step.request).toStdString();
        const QJsonObject r = f.one(step.request, step.on);
        const bool mismatch = QLatin1String(step.result) == QLatin1String("mismatch");
        EXPECT_EQ(r.value("result").toString(), mismatch ? "fail" : step.result) << what;
        if (mismatch) {
            EXPECT_EQ(r.value("reason").toString(), "mismatch") << what;
        }
        if (step.request.value("ops") == "setPassword") {
            EXPECT_FALSE(compact(r).contains("n3w-pass") || compact(r).contains("s3cret")) << what;
            if (QLatin1String(step.result) == QLatin1String("succ")) {
                EXPECT_EQ(r.value("new").toString().isEmpty(), step.request.value("new").toString().isEmpty()) << what;
            }
        }
        EXPECT_TRUE(*step.password ? f.net->device(0).passwordMatches(QLatin1String(step.password))
                                   : !f.net->device(0).hasPassword())
            << what;
        EXPECT_EQ(f.one(R"({"ops":"getLock"})", SimServiceLock).value("val").toString(), step.lock) << what;
        EXPECT_EQ(f.one(R"({"ops":"getLock","uiTag":"dspUiTag"})", SimServiceDsp).value("val").toString(), step.dspLock)
            << what;
    }
}

TEST(SimDeviceServices, TemperatureVariesWithinItsJitterAndUptimeCounts)
{
    SimDeviceConfig c = described();
    c.temp = 45000;
    c.tempJitter = 300;
    ServiceFixture f(c);
    QSet<int> temps;
    for (int i = 0; i < 200; ++i) {
        const int t = num(f.one(R"({"ops":"getDebugInfo"})", SimServiceSettings).value("temp"));
        EXPECT_GE(t, 44700);
        EXPECT_LE(t, 45300);
        temps.insert(t);
    }
    EXPECT_GT(temps.size(), 10) << "the temperature should vary";

    auto uptime = [&f] { return num(f.one(R"({"ops":"getDebugInfo"})", SimServiceSettings).value("uptime")); };
    EXPECT_EQ(uptime(), 3725);
    f.now += 999;
    EXPECT_EQ(uptime(), 3725);
    f.now += 1;
    EXPECT_EQ(uptime(), 3726);
    f.now += 3600 * 1000;
    EXPECT_EQ(uptime(), 7326);
}

TEST(SimDeviceServices, ProbeAnswerNamesTheSecondaryUnit)
{
    ServiceFixture f;
    const QByteArray answer = f.net->device(0).probeAnswer();
    EXPECT_EQ(answer, QByteArray("iAmMeridane!\nhostname=SMRP-0A000001\nip=10.0.0.9\n"));

    SimDeviceConfig q = described();
    q.devId = QStringLiteral("MRQ-77");
    EXPECT_TRUE(SimDevice(q, 9990).probeAnswer().contains("\nhostname=SMRQ-77\n"));
    q.secondaryIp = 0;
    EXPECT_TRUE(SimDevice(q, 9990).probeAnswer().isEmpty()) << "no unit, no answer";
    SimDeviceConfig other = described();
    other.devId = QStringLiteral("MRD-0A000001");
    EXPECT_TRUE(SimDevice(other, 9990).probeAnswer().isEmpty()) << "only two families have secondary units";
    other.devId = QStringLiteral("XMRP-1");
    EXPECT_TRUE(SimDevice(other, 9990).probeAnswer().isEmpty());

    for (const char* probe : {"AreYouMeridane?", "AreYouMeridane?\n", "AreYouMeridane?\r\n"})
        EXPECT_TRUE(SimProbeResponder::isProbe(probe)) << probe;
    EXPECT_TRUE(SimProbeResponder::isProbe(QByteArray("AreYouMeridane?\0", 16)));
    for (const char* other : {"", "areyoumeridane?", "AreYouMeridane", " AreYouMeridane?", "AreYouMeridane??",
                              "iAmMeridane!\nhostname=SMRP-1\nip=1.2.3.4\n"})
        EXPECT_FALSE(SimProbeResponder::isProbe(other)) << other;
}

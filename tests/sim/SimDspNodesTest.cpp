// The processor's echo-canceller and automixer nodes: setNodeData and the automixer's live polls.

#include "SimDspCommands.h"
#include "SimDspConfig.h"
#include "SimTestUtil.h"

#include <cmath>

using namespace simtest;

namespace {

constexpr int kDsp = 2; // the P64 of the generated network: 64 inputs
constexpr int kAutomixer0 = 1;
constexpr int kAec = 3;
constexpr int kMatrix = 4;

struct NodeBench : Bench
{
    NodeBench() : Bench(SimDeviceConfig::generate({ip("10.0.0.1"), ip("10.0.0.2"), ip("10.0.0.3")}))
    {
        SimDspConfig::current(net->device(kDsp));
    }

    QJsonObject dsp(QJsonObject request)
    {
        request.insert("uiTag", "dspUiTag");
        return one(kDsp, request, SimServiceDsp);
    }

    QJsonObject setNode(int nodeId, const QJsonValue& obj)
    {
        return dsp({{"ops", "setNodeData"}, {"nodeId", QString::number(nodeId)}, {"obj", obj}, {"blockFlag", "bf_x"}});
    }

    QJsonObject poll(const char* ops, int nodeId = kAutomixer0)
    {
        return dsp({{"ops", ops}, {"nodeId", QString::number(nodeId)}, {"blockFlag", "bf_automix_0"}});
    }

    /// The node's "obj" as getConfig over TCP serves it.
    QJsonObject servedObj(int nodeId)
    {
        const QJsonObject request{{"ops", "getConfig"}, {"devId", net->device(kDsp).devId()}};
        const QVector<QByteArray> r = SimDspCommands::handleTcp(*net, kDsp, compact(request));
        EXPECT_EQ(r.size(), 1);
        const QJsonObject config = r.isEmpty() ? QJsonObject() : QJsonDocument::fromJson(r.first()).object();
        return config.value("config")
            .toObject()
            .value("nodeArr")
            .toArray()
            .at(nodeId)
            .toObject()
            .value("obj")
            .toObject();
    }

    const QJsonObject& stored() { return net->device(kDsp).state().dsp.config; }
};

QJsonArray flags(int count, int setIndex)
{
    QJsonArray a;
    for (int k = 0; k < count; ++k)
        a.append(k == setIndex ? "1" : "0");
    return a;
}

QString mask(int chId, int bits)
{
    return QString::number((quint64(chId) << 21) | quint64(bits));
}

double levelOf(const QString& text)
{
    return text.contains("inf") ? -INFINITY : text.toDouble();
}

} // namespace

TEST(SimDspNodes, SetNodeDataIsStoredAndServedByGetConfig)
{
    NodeBench b;
    const QJsonObject aec{{"hasAec", "0"}, {"aecLevel", "3"}, {"nearArr", flags(64, 5)}, {"farArr", flags(64, 9)}};
    const QJsonObject mixer{{"mode", "1"},
                            {"trigDb", "-42.5"},
                            {"chNumLimit", "3"},
                            {"maskArr", QJsonArray{mask(7, 5), mask(8, 0x100000)}}};
    for (const auto& c : {qMakePair(kAec, aec), qMakePair(kAutomixer0, mixer)}) {
        const QJsonObject before = b.servedObj(c.first);
        const QJsonObject r = b.setNode(c.first, c.second);
        EXPECT_EQ(r.value("result").toString(), "succ") << r.value("reason").toString().toStdString();
        EXPECT_EQ(r.value("nodeId").toString(), QString::number(c.first));
        EXPECT_EQ(r.value("blockFlag").toString(), "bf_x");
        const QJsonObject after = b.servedObj(c.first);
        for (auto it = before.begin(); it != before.end(); ++it)
            EXPECT_EQ(after.value(it.key()), c.second.contains(it.key()) ? c.second.value(it.key()) : it.value())
                << it.key().toStdString();
    }
}

TEST(SimDspNodes, BadRequestsAreRefusedWholeAndChangeNothing)
{
    NodeBench b;
    const QJsonObject saved = b.stored();
    QJsonArray tooMany;
    for (int k = 0; k < 65; ++k)
        tooMany.append(mask(k % 64, 0));
    const struct
    {
        int nodeId;
        QJsonValue obj;
        const char* reason;
    } cases[] = {
        {0, QJsonObject{{"hasAec", "1"}}, "out of range"},     // the input node
        {kMatrix, QJsonObject{{"mode", "1"}}, "out of range"}, // the matrix
        {99, QJsonObject{{"hasAec", "1"}}, "out of range"},
        {kAec, QJsonValue("1"), "invalid obj"},
        {kAec, QJsonObject{{"hasAec", "1"}, {"slope", "1"}}, "unknown key slope"}, // an automixer key on the AEC
        {kAec, QJsonObject{{"hasAec", "2"}}, "invalid hasAec"},
        {kAec, QJsonObject{{"nearArr", flags(63, 0)}}, "invalid nearArr"},
        {kAutomixer0, QJsonObject{{"hasAec", "1"}}, "unknown key hasAec"},
        {kAutomixer0, QJsonObject{{"trigDb", "5"}}, "invalid trigDb"},
        {kAutomixer0, QJsonObject{{"holdMs", "1.5"}}, "invalid holdMs"},
        {kAutomixer0, QJsonObject{{"maskArr", QJsonArray{mask(64, 0)}}}, "invalid maskArr"}, // no input 64
        {kAutomixer0, QJsonObject{{"maskArr", QJsonArray{"twelve"}}}, "invalid maskArr"},
        {kAutomixer0, QJsonObject{{"maskArr", tooMany}}, "invalid maskArr"},
        {kAutomixer0, QJsonObject{{"mode", "0"}, {"chNumLimit", "0"}}, "invalid chNumLimit"}, // the good key too
    };
    for (const auto& c : cases) {
        const QJsonObject r = b.setNode(c.nodeId, c.obj);
        EXPECT_EQ(r.value("result").toString(), "fail") << c.reason;
        EXPECT_EQ(r.value("reason").toString(), c.reason);
    }
    EXPECT_EQ(b.stored(), saved);

    b.net->device(kDsp).setDspLockMask(1);
    EXPECT_EQ(b.setNode(kAec, QJsonObject{{"hasAec", "0"}}).value("reason").toString(), "LOCK_UCAST_MCAST");
    EXPECT_EQ(b.stored(), saved);
    // The polls are reads: the lock does not stop them.
    EXPECT_EQ(b.poll("getAutomixActive").value("result").toString(), "succ");
}

TEST(SimDspNodes, PollsFollowTheMembersLevels)
{
    NodeBench b;
    // Members: inputs 0 and 1 plain, input 2 always on, input 3 bypassed, input 4 muted after the mix.
    const QJsonArray masks{mask(0, 0), mask(1, 0), mask(2, 1 << 20), mask(3, 1 << 17), mask(4, 1 << 19)};
    ASSERT_EQ(b.setNode(kAutomixer0, QJsonObject{{"maskArr", masks}, {"trigDb", "-30"}, {"duckDb", "-20"}})
                  .value("result")
                  .toString(),
              "succ");
    bool seenOpen = false;
    bool seenClosed = false;
    for (int step = 0; step < 40; ++step) {
        b.now += 200;
        const QJsonArray in = b.dsp({{"ops", "getVolumeDb"}}).value("inArr").toArray();
        const QJsonObject active = b.poll("getAutomixActive");
        const QJsonObject post = b.poll("getAutomixVolumeDbPost");
        EXPECT_EQ(active.value("blockFlag").toString(), "bf_automix_0");
        const QJsonArray open = active.value("arr").toArray();
        const QJsonArray levels = post.value("arr").toArray();
        ASSERT_EQ(open.size(), masks.size());
        ASSERT_EQ(levels.size(), masks.size());
        for (int k = 0; k < 2; ++k) {
            const double level = levelOf(in.at(k).toString());
            const bool isOpen = level > -30;
            EXPECT_EQ(open.at(k).toString(), isOpen ? "1" : "0") << step << " member " << k;
            const double expected = isOpen ? level : level - 20;
            if (std::isfinite(level)) {
                EXPECT_NEAR(levelOf(levels.at(k).toString()), expected, 0.11) << step << " member " << k;
            }
            (isOpen ? seenOpen : seenClosed) = true;
        }
        EXPECT_EQ(open.at(2).toString(), "1");
        EXPECT_EQ(open.at(3).toString(), "0");
        EXPECT_TRUE(levels.at(4).toString().contains("inf"));
    }
    EXPECT_TRUE(seenOpen && seenClosed) << "members never moved with their levels";
    EXPECT_EQ(b.poll("getAutomixActive", kAec).value("reason").toString(), "out of range");
}

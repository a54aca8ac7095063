// The processor's group commands: what they store in "groupArr", their bounds and the lock.

#include "SimDspCommands.h"
#include "SimDspConfig.h"
#include "SimTestUtil.h"

using namespace simtest;

namespace {

/// A D8 and a P64 (both with a processor), as the generated networks rotate them.
struct GroupBench : Bench
{
    static constexpr int kDsp = 2;

    GroupBench() : Bench(SimDeviceConfig::generate({ip("10.0.0.1"), ip("10.0.0.2"), ip("10.0.0.3")})) {}

    QJsonObject dsp(QJsonObject request)
    {
        request.insert("uiTag", "dspUiTag");
        return one(kDsp, request, SimServiceDsp);
    }

    /// "groupArr" as getConfig reports it over the TCP service.
    QJsonArray groups()
    {
        const QJsonObject request{{"devId", net->device(kDsp).devId()}, {"ops", "getConfig"}, {"uiTag", "dspUiTag"}};
        const QVector<QByteArray> r = SimDspCommands::handleTcp(*net, kDsp, compact(request));
        EXPECT_EQ(r.size(), 1);
        if (r.isEmpty())
            return {};
        return QJsonDocument::fromJson(r.first()).object().value("config").toObject().value("groupArr").toArray();
    }
};

struct GroupCase
{
    const char* name;
    QJsonObject request;
    bool succ;
    int index;       ///< the group expected to change (when succ)
    const char* key; ///< its member
    const char* value;
};

const GroupCase kCases[] = {
    {"gain", {{"ops", "setGroupGain"}, {"index", "1"}, {"val", "-7.5"}}, true, 1, "gainDb", "-7.5"},
    {"gainTop", {{"ops", "setGroupGain"}, {"index", "15"}, {"val", "12"}}, true, 15, "gainDb", "12"},
    {"gainBottom", {{"ops", "setGroupGain"}, {"index", "0"}, {"val", "-60"}}, true, 0, "gainDb", "-60"},
    {"gainAbove", {{"ops", "setGroupGain"}, {"index", "0"}, {"val", "12.5"}}, false, 0, "", ""},
    {"gainBelow", {{"ops", "setGroupGain"}, {"index", "0"}, {"val", "-60.5"}}, false, 0, "", ""},
    {"gainText", {{"ops", "setGroupGain"}, {"index", "0"}, {"val", "loud"}}, false, 0, "", ""},
    {"gainNan", {{"ops", "setGroupGain"}, {"index", "0"}, {"val", "nan"}}, false, 0, "", ""},
    {"mute", {{"ops", "setGroupMute"}, {"index", "2"}, {"val", "1"}}, true, 2, "mute", "1"},
    {"muteOther", {{"ops", "setGroupMute"}, {"index", "2"}, {"val", "yes"}}, false, 0, "", ""},
    {"name", {{"ops", "setGroupName"}, {"index", "3"}, {"name", "Choir"}}, true, 3, "name", "Choir"},
    {"name32",
     {{"ops", "setGroupName"}, {"index", "4"}, {"name", QString(32, 'x')}},
     true,
     4,
     "name",
     "xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx"},
    {"emptyName", {{"ops", "setGroupName"}, {"index", "5"}, {"name", ""}}, true, 5, "name", ""},
    {"name33", {{"ops", "setGroupName"}, {"index", "4"}, {"name", QString(33, 'x')}}, false, 0, "", ""},
    {"nameMissing", {{"ops", "setGroupName"}, {"index", "4"}}, false, 0, "", ""},
    {"index16", {{"ops", "setGroupMute"}, {"index", "16"}, {"val", "1"}}, false, 0, "", ""},
    {"indexNegative", {{"ops", "setGroupMute"}, {"index", "-1"}, {"val", "1"}}, false, 0, "", ""},
    {"indexMissing", {{"ops", "setGroupGain"}, {"val", "1"}}, false, 0, "", ""},
};

class SimDspGroupsTest : public ::testing::TestWithParam<GroupCase>
{
};

TEST_P(SimDspGroupsTest, ChangesShowInTheConfigurationOrNothingChanges)
{
    const GroupCase& c = GetParam();
    GroupBench b;
    const QJsonArray before = b.groups();
    ASSERT_EQ(before.size(), SimDspConfig::kGroups);
    const QJsonObject r = b.dsp(c.request);
    EXPECT_EQ(r.value("result").toString(), c.succ ? "succ" : "fail");
    EXPECT_EQ(r.value("ops"), c.request.value("ops"));
    EXPECT_EQ(r.value("uiTag").toString(), "dspUiTag");
    QJsonArray expected = before;
    if (c.succ) {
        EXPECT_EQ(r.value("index"), c.request.value("index")) << "the reply names the group";
        QJsonObject g = expected[c.index].toObject();
        ASSERT_TRUE(g.contains(c.key));
        g.insert(c.key, QString::fromUtf8(c.value));
        expected[c.index] = g;
    } else {
        EXPECT_FALSE(r.value("reason").toString().isEmpty());
    }
    EXPECT_EQ(b.groups(), expected);
}

INSTANTIATE_TEST_SUITE_P(Requests, SimDspGroupsTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<GroupCase>& i) { return std::string(i.param.name); });

TEST(SimDspGroups, RefusedWhileTheProcessorIsLocked)
{
    GroupBench b;
    const QJsonArray before = b.groups();
    b.net->device(GroupBench::kDsp).setDspLockMask(1);
    for (const QJsonObject& request : {QJsonObject{{"ops", "setGroupGain"}, {"index", "0"}, {"val", "-3"}},
                                       QJsonObject{{"ops", "setGroupMute"}, {"index", "0"}, {"val", "1"}},
                                       QJsonObject{{"ops", "setGroupName"}, {"index", "0"}, {"name", "Locked"}}}) {
        const QJsonObject r = b.dsp(request);
        EXPECT_EQ(r.value("result").toString(), "fail");
        EXPECT_EQ(r.value("reason").toString(), "LOCK_UCAST_MCAST");
    }
    EXPECT_EQ(b.groups(), before);
    b.net->device(GroupBench::kDsp).setDspLockMask(0);
    EXPECT_EQ(b.dsp({{"ops", "setGroupMute"}, {"index", "0"}, {"val", "1"}}).value("result").toString(), "succ");
}

} // namespace

#include "LevelPaging.h"

#include <QJsonDocument>
#include <QStringList>
#include <array>
#include <climits>
#include <gtest/gtest.h>

namespace {

using Side = LevelPaging::Side;
const QString kDev = "MRD-0001";
const char* const kTags[LevelPaging::SideCount] = {"In", "out", "netIn", "netOut"};

QString compact(const QJsonObject& o)
{
    return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact));
}

/// "In:-5,-6 out:-120 ..." for the sides that have channels: levels, or on physical sides gains or mutes.
enum class Dump
{
    Levels,
    Gains,
    Mutes
};
QString dump(const LevelPaging& p, Dump what)
{
    QStringList out;
    for (int s = 0; s < (what == Dump::Levels ? LevelPaging::SideCount : 2); ++s) {
        QStringList v;
        for (int i = 0; i < p.count(Side(s)); ++i)
            v << QString::number(what == Dump::Levels  ? p.level(Side(s), i)
                                 : what == Dump::Gains ? p.gain(Side(s), i)
                                                       : (p.isMuted(Side(s), i) ? 1 : 0));
        if (!v.isEmpty())
            out << QLatin1String(kTags[s]) + ':' + v.join(',');
    }
    return out.join(' ');
}

/// Requests as "port:json" ("0:" for command messages), joined by ";".
QString requests(const QVector<LevelPaging::Request>& rs)
{
    QStringList out;
    for (const LevelPaging::Request& r : rs)
        out << QString::number(r.port) + QLatin1Char(':') + compact(r.msg);
    return out.join(QLatin1Char(';'));
}

QString changed(const LevelPaging::Outcome& o)
{
    QStringList out;
    for (const auto& r : o.changed)
        out << QStringLiteral("%1:%2+%3").arg(QLatin1String(kTags[r.side])).arg(r.first).arg(r.count);
    return out.join(QLatin1Char(' '));
}

struct ReplyCase
{
    const char* what;
    std::array<int, 4> counts;
    bool batch;
    bool offset;
    const char* reply;
    const char* levels;   ///< expected level dump, or null
    const char* physical; ///< expected gain (for gain replies) or mute dump, or null
    const char* changed;
    const char* requests;
    LevelPaging::Question question;
    bool complete; ///< last page of a gain or mute read-out
};

class LevelPagingReplyTest : public ::testing::TestWithParam<ReplyCase>
{
};

TEST_P(LevelPagingReplyTest, AppliesThePageAndAsksWhatFollows)
{
    const ReplyCase& c = GetParam();
    LevelPaging p(kDev);
    p.setCounts(c.counts.data());
    p.setBatch(c.batch);
    p.setLevelOffset(c.offset);
    const QJsonObject reply = QJsonDocument::fromJson(QByteArray(c.reply)).object();
    ASSERT_FALSE(reply.isEmpty());
    const LevelPaging::Outcome out = p.handle(reply);
    if (c.levels) {
        EXPECT_EQ(dump(p, Dump::Levels), QLatin1String(c.levels));
    }
    const bool gains = QByteArray(c.reply).contains("getAllPhyGain");
    if (c.physical) {
        EXPECT_EQ(dump(p, gains ? Dump::Gains : Dump::Mutes), QLatin1String(c.physical));
    }
    EXPECT_EQ(changed(out), QLatin1String(c.changed));
    EXPECT_EQ(requests(out.requests), QLatin1String(c.requests));
    EXPECT_EQ(out.question, c.question);
    EXPECT_EQ(out.gainsComplete || out.mutesComplete, c.complete);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Replies, LevelPagingReplyTest, ::testing::Values(
    ReplyCase{"more values than rows", {4, 0, 0, 0}, false, false,
              R"({"ops":"getAllPhyLevel","devId":"MRD-0001","inOrOut":"0","idStart":"0","idNext":"6",)"
              R"("arr":["-inf","-12.7","5","-30","-1","-2"],"result":"succ"})",
              "In:-120,-12,5,-30", nullptr, "In:0+4", "", LevelPaging::NoQuestion, false},
    ReplyCase{"negative start ignored", {4, 0, 0, 0}, false, false,
              R"({"ops":"getAllPhyLevel","inOrOut":"0","idStart":"-2","idNext":"4","arr":["-1","-1","-1"]})",
              "In:-120,-120,-120,-120", nullptr, "", "", LevelPaging::NoQuestion, false},
    ReplyCase{"absurd start ignored", {4, 0, 0, 0}, false, false,
              R"({"ops":"getAllPhyLevel","inOrOut":"0","idStart":"2147483647","idNext":"4","arr":["-1"]})",
              "In:-120,-120,-120,-120", nullptr, "", "", LevelPaging::NoQuestion, false},
    ReplyCase{"another device", {2, 0, 0, 0}, false, false,
              R"({"ops":"getAllPhyLevel","devId":"MRD-9999","inOrOut":"0","idStart":"0","idNext":"2","arr":["-1","-1"]})",
              "In:-120,-120", nullptr, "", "", LevelPaging::NoQuestion, false},
    ReplyCase{"first network page asks the next", {2, 0, 0, 8}, false, false,
              R"({"ops":"getAllNetLevel","inOrOut":"1","idStart":"0","idNext":"4","arr":["-10","-11","-12","-13"]})",
              "In:-120,-120 netOut:-10,-11,-12,-13,-120,-120,-120,-120", nullptr, "netOut:0+4",
              R"(0:{"devId":"MRD-0001","idStart":"4","inOrOut":"1","ops":"getAllNetLevel"})",
              LevelPaging::NoQuestion, false},
    ReplyCase{"no progress ends the read-out", {0, 0, 0, 8}, false, false,
              R"({"ops":"getAllNetLevel","inOrOut":"1","idStart":"4","idNext":"4","arr":[]})",
              nullptr, nullptr, "", "", LevelPaging::NoQuestion, false},
    ReplyCase{"old firmware reads 3 dB higher", {2, 0, 0, 0}, false, true,
              R"({"ops":"getAllPhyLevel","inOrOut":"0","idStart":"0","idNext":"2","arr":["-20.6","-inf"]})",
              "In:-17,-117", nullptr, "In:0+2", "", LevelPaging::NoQuestion, false},
    ReplyCase{"batch covers physical then network on 8999", {2, 1, 3, 1}, true, false,
              R"({"ops":"getVolumeDbBatchIn","idStart":"0","idNext":"3","arr":["-5","-6","-7"],"result":"succ"})",
              "In:-5,-6 out:-120 netIn:-7,-120,-120 netOut:-120", nullptr, "In:0+2 netIn:0+1",
              R"(8999:{"idStart":"3","ops":"getVolumeDbBatchIn"})", LevelPaging::NoQuestion, false},
    ReplyCase{"batch values beyond the channels dropped", {2, 1, 3, 1}, true, false,
              R"({"ops":"getVolumeDbBatchIn","idStart":"3","idNext":"9","arr":["-8","-9","-1","-1","-1","-1"]})",
              "In:-120,-120 out:-120 netIn:-120,-8,-9 netOut:-120", nullptr, "netIn:1+2", "",
              LevelPaging::NoQuestion, false},
    ReplyCase{"batch outputs", {1, 1, 0, 2}, true, false,
              R"({"ops":"getVolumeDbBatchOut","idStart":"0","idNext":"3","arr":["-1","-2","-3"]})",
              "In:-120 out:-1 netOut:-2,-3", nullptr, "out:0+1 netOut:0+2", "", LevelPaging::NoQuestion, false},
    ReplyCase{"failed batch asks nothing", {1, 1, 0, 0}, true, false,
              R"({"ops":"getVolumeDbBatchOut","result":"fail"})",
              nullptr, nullptr, "", "", LevelPaging::NoQuestion, false},
    ReplyCase{"gains limited and paged", {4, 0, 0, 0}, false, false,
              R"({"ops":"getAllPhyGain","inOrOut":"0","idStart":"0","idNext":"2","arr":["15","-inf"]})",
              nullptr, "In:12,-60,0,0", "In:0+2",
              R"(0:{"devId":"MRD-0001","idStart":"2","inOrOut":"0","ops":"getAllPhyGain"})",
              LevelPaging::NoQuestion, false},
    ReplyCase{"last gain page completes the side", {4, 0, 0, 0}, false, false,
              R"({"ops":"getAllPhyGain","inOrOut":"0","idStart":"2","idNext":"4","arr":["-3.5","x"]})",
              nullptr, "In:0,0,-3.5,0", "In:2+2", "", LevelPaging::NoQuestion, true},
    ReplyCase{"mutes of the outputs", {1, 3, 0, 0}, false, false,
              R"({"ops":"getAllPhyMute","inOrOut":"1","idStart":"0","idNext":"3","arr":["1","0","1","1"]})",
              nullptr, "In:0 out:1,0,1", "out:0+3", "", LevelPaging::NoQuestion, true},
    ReplyCase{"failed physical levels", {2, 2, 0, 0}, false, false,
              R"({"ops":"getAllPhyLevel","inOrOut":"1","result":"fail"})",
              nullptr, nullptr, "", "", LevelPaging::PhyLevelQuestion, false},
    ReplyCase{"failed network levels", {0, 0, 2, 0}, false, false,
              R"({"ops":"getAllNetLevel","inOrOut":"0","result":"fail"})",
              nullptr, nullptr, "", "", LevelPaging::NetLevelQuestion, false},
    ReplyCase{"failed gains", {2, 2, 0, 0}, false, false,
              R"({"ops":"getAllPhyGain","inOrOut":"1","result":"fail","arr":["1","1"],"idStart":"0"})",
              nullptr, "In:0,0 out:0,0", "", "", LevelPaging::PhyGainQuestion, false},
    ReplyCase{"failed mutes", {2, 0, 0, 0}, false, false,
              R"({"ops":"getAllPhyMute","inOrOut":"0","result":"fail"})",
              nullptr, nullptr, "", "", LevelPaging::PhyMuteQuestion, false}));
// clang-format on

TEST(LevelPaging, RetriesStartOverOnTheFailedSideAndBatchModelsUseTheirMeters)
{
    const struct
    {
        bool batch;
        LevelPaging::Question question;
        Side side;
        const char* request;
    } cases[] = {
        {false, LevelPaging::PhyLevelQuestion, LevelPaging::PhyOut,
         R"(0:{"devId":"MRD-0001","idStart":"0","inOrOut":"1","ops":"getAllPhyLevel"})"},
        {false, LevelPaging::NetLevelQuestion, LevelPaging::NetIn,
         R"(0:{"devId":"MRD-0001","idStart":"0","inOrOut":"0","ops":"getAllNetLevel"})"},
        {true, LevelPaging::NetLevelQuestion, LevelPaging::NetOut,
         R"(8999:{"idStart":"0","ops":"getVolumeDbBatchOut"})"},
        {true, LevelPaging::PhyLevelQuestion, LevelPaging::PhyIn, R"(8999:{"idStart":"0","ops":"getVolumeDbBatchIn"})"},
        {false, LevelPaging::PhyGainQuestion, LevelPaging::PhyOut,
         R"(0:{"devId":"MRD-0001","idStart":"0","inOrOut":"1","ops":"getAllPhyGain"})"},
        {false, LevelPaging::PhyMuteQuestion, LevelPaging::PhyIn,
         R"(0:{"devId":"MRD-0001","idStart":"0","inOrOut":"0","ops":"getAllPhyMute"})"},
    };
    for (const auto& c : cases) {
        LevelPaging p(kDev);
        p.setBatch(c.batch);
        EXPECT_EQ(requests(p.retryRequests(c.question, c.side)), QLatin1String(c.request)) << c.request;
    }
}

TEST(LevelPaging, GainAndMuteReadSkipsSidesWithoutChannels)
{
    LevelPaging p(kDev);
    const int counts[LevelPaging::SideCount] = {0, 2, 4, 4};
    p.setCounts(counts);
    EXPECT_EQ(requests(p.gainAndMuteRequests()),
              QStringLiteral(R"(0:{"devId":"MRD-0001","idStart":"0","inOrOut":"1","ops":"getAllPhyGain"};)"
                             R"(0:{"devId":"MRD-0001","idStart":"0","inOrOut":"1","ops":"getAllPhyMute"})"));
}

TEST(LevelPaging, CountsFromTheNetworkAreBounded)
{
    // A table may announce any count: the lists never go negative nor grow beyond what a device can have.
    LevelPaging p(kDev);
    const int hostile[LevelPaging::SideCount] = {INT_MIN, INT_MAX, -1, LevelPaging::kMaxChannels + 1};
    p.setCounts(hostile);
    EXPECT_EQ(p.count(LevelPaging::PhyIn), 0);
    EXPECT_EQ(p.count(LevelPaging::PhyOut), LevelPaging::kMaxChannels);
    EXPECT_EQ(p.count(LevelPaging::NetIn), 0);
    EXPECT_EQ(p.count(LevelPaging::NetOut), LevelPaging::kMaxChannels);
    EXPECT_FALSE(p.setGain(LevelPaging::PhyIn, 0, 1.0));
    EXPECT_TRUE(p.setGain(LevelPaging::PhyOut, LevelPaging::kMaxChannels - 1, 1.0));
}

TEST(LevelPaging, NewCountsKeepTheGainsOfChannelsThatRemainAndRefuseOthers)
{
    LevelPaging p(kDev);
    const int three[LevelPaging::SideCount] = {3, 0, 0, 0};
    p.setCounts(three);
    p.setGains(LevelPaging::PhyIn, {1, 2, 3, 4, 5}); // a longer stored list is cut to the channels
    EXPECT_EQ(p.gains(LevelPaging::PhyIn), (QVector<double>{1, 2, 3}));
    const int two[LevelPaging::SideCount] = {2, 0, 0, 0};
    p.setCounts(two);
    EXPECT_EQ(p.gains(LevelPaging::PhyIn), (QVector<double>{1, 2}));
    EXPECT_FALSE(p.setGain(LevelPaging::PhyIn, 2, 5.0));
    EXPECT_FALSE(p.setMute(LevelPaging::NetIn, 0, true));
    EXPECT_TRUE(p.setMute(LevelPaging::PhyIn, 1, true));
    EXPECT_EQ(p.mutes(LevelPaging::PhyIn), (QVector<int>{0, 1}));
}

} // namespace

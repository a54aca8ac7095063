// Channel and route tables: paged requests, stored replies, completion and invalidation.

#include "DvmTestSupport.h"

#include <algorithm>
#include <cstring>
#include <functional>

namespace {

const uint32_t kDevIp = 0x0A4D000B; // 10.77.0.11
using Ops = std::vector<QString>;

class DvmSync : public DvmTest
{
protected:
    /// Announces the device with the given counts (texts, so hostile values can be passed).
    DevRecord* addDevice(const char* chNumRx, const char* ucastNumRx = "0", const char* ucastNumTx = "0",
                         const char* mcastNumRx = "0", const char* mcastNumTx = "0", const char* port = "9990")
    {
        QJsonObject a = announcement("MD0A", "10.77.0.11");
        const char* keys[] = {"chNumRx", "ucastNumRx", "ucastNumTx", "mcastNumRx", "mcastNumTx", "port"};
        const char* values[] = {chNumRx, ucastNumRx, ucastNumTx, mcastNumRx, mcastNumTx, port};
        for (int i = 0; i < 6; ++i)
            a.insert(keys[i], values[i]);
        announce(a);
        return findDevById("MD0A");
    }

    /// A page as a device would build it for the request, ids [idStart, idNext).
    static QJsonArray page(const QString& ops, int idStart, int idNext)
    {
        QJsonArray arr;
        for (int id = idStart; id < idNext; ++id) {
            const QString sid = QString::number(id);
            if (ops == "getAllRxCh") {
                arr.append(QJsonObject{{"id", sid}, {"rtpChId", QString::number(100 + id)}});
            } else if (ops == "getAllRtpCh") {
                arr.append(QJsonObject{{"id", sid}, {"srcDevId", "SRC"}, {"srcChId", QString::number(id % 4)}});
            } else if (ops.startsWith("getAllActive")) {
                if (id % 2 == 0)
                    arr.append(sid);
            } else {
                const QJsonObject sdp{{"srcIp", "10.77.0.11"}, {"dstIp", "239.1.0." + sid},
                                      {"dstPort", "5004"},     {"chNum", "2"},
                                      {"sampleByteNum", "3"},  {"rtpTsOffset", "4000000000"}};
                QJsonObject el{{"id", sid}, {"sdp", sdp}};
                if (ops.endsWith("Rx")) {
                    el.insert("rtpChIdArr", QJsonArray{QString::number(id), "-1"});
                    el.insert("active", "1");
                } else {
                    el.insert("srcChIdArr", QJsonArray{"0", "1"});
                    el.insert("name", "tx" + sid);
                }
                arr.append(el);
            }
        }
        return arr;
    }
    void replyWhole(const QString& ops, int total)
    {
        reply(kDevIp, ops.toLatin1().constData(), 0, total, page(ops, 0, total));
    }

    /// Answers every request of one step in pages of `pageSize`, clamped to `total` per table.
    /// Returns the number of requests answered.
    int serveStep(int pageSize, const int total[DVM_T_COUNT])
    {
        sent.clear();
        tick();
        const std::vector<SentDatagram> requests = sent;
        for (const SentDatagram& req : requests) {
            const QString ops = req.msg.value("ops").toString();
            int t = 0;
            while (t < DVM_T_COUNT && ops != dvm_tableOps(static_cast<DvmTable>(t)))
                ++t;
            const int idStart = req.msg.value("idStart").toString().toInt();
            const int idNext = std::min(idStart + pageSize, total[t]);
            reply(kDevIp, ops.toLatin1().constData(), idStart, idNext, page(ops, idStart, idNext));
        }
        return int(requests.size());
    }
    int serveUntilQuiet(int pageSize, const int total[DVM_T_COUNT], int maxSteps = 100)
    {
        int steps = 0;
        while (steps < maxSteps && serveStep(pageSize, total) > 0)
            ++steps;
        return steps;
    }
    /// The "ops" of the requests sent at the next step.
    Ops askedNext()
    {
        sent.clear();
        tick();
        Ops asked;
        for (const SentDatagram& d : sent)
            asked.push_back(d.msg.value("ops").toString());
        return asked;
    }
};

const int kSmall[DVM_T_COUNT] = {4, 4, 2, 2, 2, 2, 2, 2};
const QString kOps[DVM_T_COUNT] = {"getAllRxCh",    "getAllRtpCh",   "getAllUcastRx",       "getAllUcastTx",
                                   "getAllMcastRx", "getAllMcastTx", "getAllActiveUcastId", "getAllActiveMcastId"};

TEST_F(DvmSync, RequestsGoInTableOrderToTheAnnouncedPortEveryStep)
{
    addDevice("16", "2", "3", "4", "5");
    tick();
    ASSERT_EQ(8u, sent.size());
    for (int t = 0; t < DVM_T_COUNT; ++t) {
        const QJsonObject expected{{"ops", dvm_tableOps(static_cast<DvmTable>(t))}, {"idStart", "0"}};
        EXPECT_EQ(QJsonDocument(expected).toJson(QJsonDocument::Compact), sent[t].bytes);
        EXPECT_EQ(kDevIp, sent[t].ip);
        EXPECT_EQ(9990, sent[t].port);
    }
    tick();
    EXPECT_EQ(8u, sent.size()) << "one outstanding request per table";
}

TEST_F(DvmSync, PagesOfEightCompleteSixteenChannelsWithOneUpdateRoute)
{
    DevRecord* rec = addDevice("16", "2", "2", "2", "2");
    const int total[DVM_T_COUNT] = {16, 16, 2, 2, 2, 2, 2, 2};
    EXPECT_EQ(2, serveUntilQuiet(8, total));
    EXPECT_EQ(1, count("updateRoute"));
    EXPECT_EQ(0, count("updateActive"));
    EXPECT_TRUE(dvm_tablesComplete(rec));
    EXPECT_EQ("updateRoute", notes.back().value("ops").toString());
    EXPECT_EQ("MD0A", notes.back().value("devId").toString());

    const DevTables& t = rec->tables;
    EXPECT_EQ(115, t.rxChMap(15));
    EXPECT_EQ(-1, t.rxChMap(16));
    EXPECT_STREQ("SRC", t.rtpCh[13].srcDevId);
    EXPECT_EQ(1, t.rtpCh[13].srcChId());
    EXPECT_EQ(-1, t.rtpCh[16].srcChId());
    const RxStreamEntry& rx = t.ucastRx[1];
    EXPECT_EQ(0xEF010001u, rx.stream.dstIp);
    EXPECT_EQ(5004, rx.stream.dstPort);
    EXPECT_EQ(4000000000u, rx.stream.rtpTsOffset);
    EXPECT_EQ(1, rx.rtpChId(0));
    EXPECT_EQ(-1, rx.rtpChId(1));
    EXPECT_EQ(-1, rx.rtpChId(7));
    EXPECT_EQ(0, rx.active) << "the active-flag listing names only even ids";
    EXPECT_EQ(1, t.ucastRx[0].active);
    EXPECT_STREQ("tx1", t.mcastTx[1].name);
    EXPECT_EQ(1, t.mcastTx[1].srcChId(1));
    EXPECT_EQ(-1, t.mcastTx[1].srcChId(2));
    EXPECT_TRUE(askedNext().empty());
}

TEST_F(DvmSync, RepeatedLastPageDoesNotNotifyAgain)
{
    DevRecord* rec = addDevice("4");
    replyWhole("getAllRxCh", 4);
    EXPECT_EQ(0, count("updateRoute"));
    replyWhole("getAllRtpCh", 4);
    EXPECT_EQ(1, count("updateRoute"));
    replyWhole("getAllRtpCh", 4); // a late answer to a repeated request
    EXPECT_EQ(1, count("updateRoute"));
    EXPECT_TRUE(dvm_tablesComplete(rec));
}

// Counts of an announcement are untrusted: they must neither reach outside the tables nor keep
// the registry asking for pages forever. A device without a usable port cannot be asked at all.
TEST_F(DvmSync, DevicesWithNothingToAskOrNoPortAreNeverAsked)
{
    const struct
    {
        const char* name;
        const char* counts[5];
        const char* port;
        bool complete;
    } cases[] = {
        {"no channels", {"0", "0", "0", "0", "0"}, "9990", true},
        {"negative counts", {"-5", "-2147483648", "-1", "-7", "-99999999999"}, "9990", true},
        {"port out of range", {"4", "0", "0", "0", "0"}, "70000", false},
    };
    for (const auto& c : cases) {
        dvm_resetForTest();
        const char* const* n = c.counts;
        DevRecord* rec = addDevice(n[0], n[1], n[2], n[3], n[4], c.port);
        ASSERT_NE(nullptr, rec) << c.name;
        if (c.complete) {
            for (int t = 0; t < DVM_T_COUNT; ++t)
                EXPECT_EQ(0, dvm_expectedCount(rec, static_cast<DvmTable>(t))) << c.name << " table " << t;
        }
        EXPECT_EQ(c.complete, dvm_tablesComplete(rec)) << c.name;
        sent.clear();
        tick(3);
        EXPECT_TRUE(sent.empty()) << c.name;
        EXPECT_EQ(0, count("updateRoute")) << c.name;
    }
}

// Each change a device or a window announces refetches only its own tables; old entries stay
// visible until refetched, and the refetch ends with one notification.
TEST_F(DvmSync, ChangesRefetchOnlyTheirOwnTables)
{
    const struct
    {
        const char* name;
        std::function<int(uint32_t ip)> trigger;
        Ops asked;
        const char* notified;
    } cases[] = {
        {"updateRoute",
         [](uint32_t ip) {
             return mcast(QJsonObject{{"ops", "updateRoute"}}, ip);
         },
         {"getAllRxCh", "getAllRtpCh", "getAllUcastRx", "getAllMcastRx"},
         "updateRoute"},
        {"updateActive",
         [](uint32_t ip) {
             return mcast(QJsonObject{{"ops", "updateActive"}}, ip);
         },
         {"getAllActiveUcastId"},
         "updateActive"},
        {"transmit refetch",
         [](uint32_t ip) { return dvm_refetchTransmitTables(ip); },
         {"getAllUcastTx", "getAllMcastTx"},
         "updateRoute"},
    };
    for (const auto& c : cases) {
        dvm_resetForTest();
        notes.clear();
        DevRecord* rec = addDevice("4", "2", "2", "2", "2");
        serveUntilQuiet(8, kSmall);
        ASSERT_EQ(1, count("updateActive")) << "the completing reply was an active-flag page";
        const int before = count(c.notified);

        EXPECT_EQ(0, c.trigger(kDevIp + 1)) << c.name << ": unknown sender";
        EXPECT_EQ(1, c.trigger(kDevIp)) << c.name;
        sent.clear();
        tick();
        Ops asked;
        for (const SentDatagram& d : sent) {
            asked.push_back(d.msg.value("ops").toString());
            EXPECT_EQ("0", d.msg.value("idStart").toString()) << c.name;
        }
        EXPECT_EQ(c.asked, asked) << c.name;
        EXPECT_EQ(103, rec->tables.rxChMap(3)) << c.name;
        EXPECT_EQ(1, rec->tables.mcastRx[0].active) << c.name;

        for (const QString& ops : asked) // answers the outstanding requests
            replyWhole(ops, kSmall[std::find(kOps, kOps + DVM_T_COUNT, ops) - kOps]);
        EXPECT_EQ(before + 1, count(c.notified)) << c.name;
        EXPECT_EQ(2, count("updateRoute") + count("updateActive")) << c.name << ": one notification only";
    }
}

TEST_F(DvmSync, RouteChangeCompletedByAnActiveFlagPageStillSaysUpdateRoute)
{
    // A device announces both changes at once; the active-flag page happens to complete the refetch.
    DevRecord* rec = addDevice("4", "2", "2", "2", "2");
    serveUntilQuiet(8, kSmall);
    const int routesBefore = count("updateRoute");
    EXPECT_EQ(1, mcast(QJsonObject{{"ops", "updateRoute"}}, kDevIp));
    EXPECT_EQ(1, mcast(QJsonObject{{"ops", "updateActive"}}, kDevIp));
    for (int table : {DVM_T_RXCH, DVM_T_RTPCH, DVM_T_UCAST_RX, DVM_T_MCAST_RX})
        replyWhole(dvm_tableOps(static_cast<DvmTable>(table)), kSmall[table]);
    EXPECT_EQ(routesBefore, count("updateRoute")) << "not complete while the active flags are refetched";
    reply(kDevIp, "getAllActiveUcastId", 0, 2, QJsonArray{"0"});
    ASSERT_TRUE(dvm_tablesComplete(rec));
    EXPECT_EQ(routesBefore + 1, count("updateRoute"));

    // A later change of the active flags alone is one again.
    const int activeBefore = count("updateActive");
    EXPECT_EQ(1, mcast(QJsonObject{{"ops", "updateActive"}}, kDevIp));
    reply(kDevIp, "getAllActiveUcastId", 0, 2, QJsonArray{"1"});
    EXPECT_EQ(activeBefore + 1, count("updateActive"));
    EXPECT_EQ(routesBefore + 1, count("updateRoute"));
}

TEST_F(DvmSync, EmptyPageClearsItsIdsAndActiveListingClearsTheRestOfThePage)
{
    DevRecord* rec = addDevice("16", "4");
    const DevTables& t = rec->tables;
    replyWhole("getAllRxCh", 8);
    reply(kDevIp, "getAllRxCh", 4, 8, QJsonArray{});
    EXPECT_EQ(103, t.rxChMap(3));
    for (int id = 4; id < 8; ++id)
        EXPECT_EQ(-1, t.rxChMap(id)) << id;
    EXPECT_EQ(8, t.fetched[DVM_T_RXCH]);

    replyWhole("getAllUcastRx", 4); // every stream active
    reply(kDevIp, "getAllActiveUcastId", 0, 4, QJsonArray{"0", "2"});
    for (int id = 0; id < 4; ++id)
        EXPECT_EQ(id % 2 == 0, t.ucastRx[id].active) << id;
    EXPECT_EQ(4, t.fetched[DVM_T_ACTIVE_UCAST]);
}

TEST_F(DvmSync, StreamMembersAreCutToTheirFields)
{
    DevRecord* rec = addDevice("0", "0", "1");
    QJsonArray chans;
    for (int i = 0; i < 12; ++i)
        chans.append(QString::number(i));
    const QJsonObject el{{"id", "0"},
                         {"sdp", QJsonObject{{"dstPort", "99999"}, {"chNum", "300"}}},
                         {"srcChIdArr", chans},
                         {"name", QString(80, 'n')}};
    reply(kDevIp, "getAllUcastTx", 0, 1, QJsonArray{el});
    const TxStreamEntry& e = rec->tables.ucastTx[0];
    EXPECT_EQ(7, e.srcChId(7)) << "the first eight channels are kept";
    EXPECT_EQ(QByteArray(63, 'n'), QByteArray(e.name));
    EXPECT_EQ(65535, e.stream.dstPort) << "out-of-range numbers saturate";
    EXPECT_EQ(255, e.stream.chNum);
    EXPECT_EQ(0u, e.stream.srcIp);
}

TEST_F(DvmSync, OutOfRangeIdsAreSkippedAndInRangeOnesStored)
{
    DevRecord* rec = addDevice("8");
    QJsonArray arr;
    const char* ids[] = {"-1", "4096", "99999999999999999999", "abc", "4095", "2"};
    for (int i = 0; i < 6; ++i)
        arr.append(QJsonObject{{"id", ids[i]}, {"rtpChId", QString::number(i + 1)}});
    EXPECT_EQ(1, reply(kDevIp, "getAllRxCh", -5, 3, arr));
    const DevTables& t = rec->tables;
    EXPECT_EQ(-1, t.rxChMap(0)) << "no bad id lands on id 0";
    EXPECT_EQ(6, t.rxChMap(2));
    EXPECT_EQ(5, t.rxChMap(4095));
    EXPECT_EQ(3, t.fetched[DVM_T_RXCH]);
    EXPECT_EQ(4096, t.highWater[DVM_T_RXCH]);
    EXPECT_EQ(1, reply(kDevIp, "getAllActiveMcastId", -100, 100000, QJsonArray{"-3", "4096", "1"}));
    EXPECT_EQ(1, t.mcastRx[1].active);
}

TEST_F(DvmSync, HugeCountsStopAtTableSize)
{
    DevRecord* rec = addDevice("100000", "5000", "2147483647", "99999999999999", "4097");
    for (int t = 0; t < DVM_T_COUNT; ++t)
        EXPECT_EQ(DVM_TABLE_SIZE, dvm_expectedCount(rec, static_cast<DvmTable>(t))) << t;
    int total[DVM_T_COUNT];
    std::fill(total, total + DVM_T_COUNT, 100000); // the device pages past the end of the table
    EXPECT_EQ(2, serveUntilQuiet(2048, total, 10));
    EXPECT_EQ(1, count("updateRoute") + count("updateActive"));
    EXPECT_EQ(4195, rec->tables.rxChMap(4095));
    EXPECT_EQ(4096, rec->tables.fetched[DVM_T_UCAST_TX]);
    EXPECT_EQ(4096, rec->tables.highWater[DVM_T_UCAST_TX]);
}

TEST_F(DvmSync, PageBeyondTableEndIsOverCompleteAndStopsRequests)
{
    DevRecord* rec = addDevice("16");
    reply(kDevIp, "getAllRxCh", 0, 1000000, page("getAllRxCh", 0, 16));
    EXPECT_EQ(DVM_TABLE_SIZE, rec->tables.fetched[DVM_T_RXCH]);
    replyWhole("getAllRtpCh", 16);
    EXPECT_FALSE(dvm_tablesComplete(rec));
    EXPECT_EQ(0, count("updateRoute"));
    for (int step = 0; step < 3; ++step)
        EXPECT_TRUE(askedNext().empty()) << "over-complete tables are not asked again";
    mcast(QJsonObject{{"ops", "updateRoute"}}, kDevIp);
    EXPECT_EQ((Ops{"getAllRxCh", "getAllRtpCh"}), askedNext());
}

TEST_F(DvmSync, BackwardPageStoresItsElementsWithoutMoving)
{
    DevRecord* rec = addDevice("16");
    reply(kDevIp, "getAllRxCh", 8, 0, page("getAllRxCh", 8, 16));
    EXPECT_EQ(0, rec->tables.fetched[DVM_T_RXCH]);
    EXPECT_EQ(108, rec->tables.rxChMap(8)) << "elements are stored even when the bounds are reversed";
}

TEST_F(DvmSync, OtherDatagramsAreLeftToTheCommandLayer)
{
    addDevice("16");
    EXPECT_EQ(0, reply(kDevIp + 1, "getAllRxCh", 0, 8, page("getAllRxCh", 0, 8))) << "unknown sender";
    EXPECT_EQ(0, ucast(QJsonObject{{"ops", "setDevName"}, {"result", "succ"}}, kDevIp));
    const char bad[] = "{\"ops\":\"getAllRxCh\"";
    EXPECT_EQ(0, userCallLib_handleUdp_ucast(bad, int(sizeof bad) - 1, kDevIp, 1));
    EXPECT_EQ(0, findDevByIp(kDevIp)->tables.fetched[DVM_T_RXCH]);
}

TEST_F(DvmSync, ReusedSlotStartsWithEmptyTables)
{
    DevRecord* rec = addDevice("4", "2", "2");
    const int total[DVM_T_COUNT] = {4, 4, 2, 2, 0, 0, 2, 0};
    serveUntilQuiet(8, total);
    dvm_setDevLife(rec, 0);
    tick();
    ASSERT_EQ(1, count("delDev"));

    QJsonObject b = announcement("OTHER", "10.77.0.12");
    b.insert("chNumRx", "4");
    announce(b);
    ASSERT_EQ(rec, findDevById("OTHER"));
    const DevTables& t = rec->tables;
    EXPECT_EQ(-1, t.rxChMap(0));
    EXPECT_STREQ("", t.rtpCh[1].srcDevId);
    EXPECT_EQ(-1, t.rtpCh[1].srcChId());
    EXPECT_EQ(0u, t.ucastRx[0].stream.dstIp);
    EXPECT_EQ(-1, t.ucastRx[0].rtpChId(0));
    EXPECT_EQ(0, t.ucastRx[0].active);
    EXPECT_STREQ("", t.ucastTx[1].name);
    for (int k = 0; k < DVM_T_COUNT; ++k)
        EXPECT_EQ(0, t.fetched[k]) << k;
}

TEST(DvmStreamJson, RoundTripsAsText)
{
    StreamDesc s{0x0A4D000B, 0xEF010203, 5004, 8, 3, 4294967295u};
    const QJsonObject o = streamToJson(s);
    EXPECT_EQ(QJsonObject({{"srcIp", "10.77.0.11"},
                           {"dstIp", "239.1.2.3"},
                           {"dstPort", "5004"},
                           {"chNum", "8"},
                           {"sampleByteNum", "3"},
                           {"rtpTsOffset", "4294967295"}}),
              o);
    StreamDesc back;
    EXPECT_EQ(1, parseStreamJson(o, &back));
    EXPECT_EQ(0, std::memcmp(&s, &back, sizeof s));
}

} // namespace

#include "ActiveStreamList.h"
#include "DeviceTestSupport.h"
#include "NewDelayCounter.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>

using namespace devicetest;

namespace {

const char* const kRxIp = "192.168.10.21";
const char* const kTxIp = "192.168.10.40";

QJsonObject sdp(const char* src, const char* dst)
{
    return QJsonObject{{"srcIp", src}, {"dstIp", dst},         {"dstPort", "5004"},
                       {"chNum", "2"}, {"sampleByteNum", "3"}, {"rtpTsOffset", "0"}};
}

QJsonObject page(const char* ops, int idStart, int idNext, const QJsonArray& arr)
{
    return QJsonObject{
        {"ops", ops}, {"idStart", QString::number(idStart)}, {"idNext", QString::number(idNext)}, {"arr", arr}};
}

QJsonObject rxEntry(int id, const QJsonObject& stream)
{
    return QJsonObject{
        {"id", QString::number(id)}, {"sdp", stream}, {"rtpChIdArr", QJsonArray{"0", "1"}}, {"active", "0"}};
}

/// Delay statistics with the given total; the first buckets are halves of it, the rest fixed.
QJsonObject stats(const char* ops, const char* sdpId, const char* result, int total)
{
    QJsonObject o{{"ops", ops}, {"sdpId", sdpId}, {"result", result}};
    const char* const keys[] = {"total", "in125",  "in250", "in500", "in1ms",       "in2ms",
                                "in4ms", "out4ms", "avgUs", "maxUs", "notContinue", "exceedDelay"};
    const int values[] = {total, total / 2, total / 4, total / 8, 4, 3, 2, 1, 210, 4300, 5, 6};
    for (int i = 0; i < 12; ++i)
        o.insert(QLatin1String(keys[i]), QString::number(values[i]));
    return o;
}

class DelayCounterPageTest : public DeviceTest
{
protected:
    /// A sender with one named unicast stream, and a receiver with three unicast and two multicast
    /// receive streams of which unicast 0 and 2 and multicast 1 are active.
    void buildNetwork()
    {
        announce("S1", kTxIp, "MRD-A16", QJsonObject{{"ucastNumTx", "1"}});
        announce("D1", kRxIp, "MRD-A16", QJsonObject{{"ucastNumRx", "3"}, {"mcastNumRx", "2"}});
        fromDevice(kTxIp, page("getAllUcastTx", 0, 1,
                               QJsonArray{QJsonObject{{"id", "0"},
                                                      {"sdp", sdp(kTxIp, kRxIp)},
                                                      {"srcChIdArr", QJsonArray{"0", "1"}},
                                                      {"name", "StageLeft"}}}));
        fromDevice(kRxIp, page("getAllUcastRx", 0, 3,
                               QJsonArray{rxEntry(0, sdp(kTxIp, kRxIp)), rxEntry(1, sdp("192.168.10.50", kRxIp)),
                                          rxEntry(2, sdp("192.168.10.99", kRxIp))}));
        fromDevice(kRxIp, page("getAllActiveUcastId", 0, 3, QJsonArray{"0", "2"}));
        fromDevice(kRxIp, page("getAllMcastRx", 0, 2,
                               QJsonArray{rxEntry(0, sdp(kTxIp, "239.69.1.1")), rxEntry(1, sdp(kTxIp, "239.69.1.2"))}));
        fromDevice(kRxIp, page("getAllActiveMcastId", 0, 2, QJsonArray{"1"}));
    }

    static QJsonObject message(const QVariant& v) { return QJsonDocument::fromJson(v.toString().toUtf8()).object(); }
    static QString field(NewDelayCounter& p, const char* name)
    {
        return p.findChild<QLineEdit*>(QLatin1String(name))->text();
    }
    static QComboBox* combo(NewDelayCounter& p) { return p.findChild<QComboBox*>("comboBox"); }
    static void click(NewDelayCounter& p, const char* name) { p.findChild<QPushButton*>(QLatin1String(name))->click(); }

    /// A reply as the device sends it, through the registry and the dispatcher, to the page.
    void deliver(NewDelayCounter& p, const QJsonObject& deviceReply)
    {
        for (const QString& m : fromDevice(kRxIp, deviceReply))
            p.recvRequest(m);
    }
};

TEST_F(DelayCounterPageTest, ActiveStreamsAreListedWithTheirLabels)
{
    buildNetwork();
    const QVector<ActiveStreamList::Entry> streams = ActiveStreamList::forDevice("D1");
    ASSERT_EQ(streams.size(), 3);
    EXPECT_EQ(streams[0].text, "ucast:StageLeft 192.168.10.40->192.168.10.21");
    EXPECT_EQ(streams[0].sdpId, 0);
    EXPECT_FALSE(streams[0].multicast);
    // No name known for the sender's stream: the stream id stands in.
    EXPECT_EQ(streams[1].text, "ucast:2 192.168.10.99->192.168.10.21");
    EXPECT_EQ(streams[1].sdpId, 2);
    EXPECT_EQ(streams[2].text, "mcast:1 239.69.1.2");
    EXPECT_TRUE(streams[2].multicast);
    EXPECT_EQ(streams[2].sdpId, 1);

    EXPECT_TRUE(ActiveStreamList::forDevice("S1").isEmpty());
    EXPECT_TRUE(ActiveStreamList::forDevice("nobody").isEmpty());
}

TEST_F(DelayCounterPageTest, NoActiveStreamShowsSoAndSendsNothing)
{
    announce("D1", kRxIp, "MRD-A16", QJsonObject{{"ucastNumRx", "2"}});
    fromDevice(kRxIp, page("getAllUcastRx", 0, 2, QJsonArray{rxEntry(0, sdp(kTxIp, kRxIp))}));
    NewDelayCounter p("D1");
    QSignalSpy sends(&p, &NewDelayCounter::sendChangeData);
    p.show();
    click(p, "refresh_bt");
    click(p, "clear_bt");
    QMetaObject::invokeMethod(p.findChild<QTimer*>("poll_timer"), "timeout");
    EXPECT_EQ(sends.count(), 0);
    ASSERT_EQ(combo(p)->count(), 1);
    EXPECT_EQ(combo(p)->itemText(0), "暂无活跃通道");
    EXPECT_FALSE(p.findChild<QPushButton*>("clear_bt")->isEnabled());
}

TEST_F(DelayCounterPageTest, OpeningAndChoosingAskForTheStreamOfItsKind)
{
    buildNetwork();
    NewDelayCounter p("D1");
    QSignalSpy sends(&p, &NewDelayCounter::sendChangeData);
    EXPECT_EQ(sends.count(), 0); // nothing until the page is shown
    p.show();
    ASSERT_EQ(sends.count(), 1);
    EXPECT_EQ(message(sends.last().at(0)),
              (QJsonObject{{"ops", "getDelayStatUcast"}, {"devId", "D1"}, {"sdpId", "0"}}));
    ASSERT_EQ(combo(p)->count(), 3);

    combo(p)->setCurrentIndex(2);
    p.on_comboBox_activated(2);
    ASSERT_EQ(sends.count(), 2);
    EXPECT_EQ(message(sends.last().at(0)),
              (QJsonObject{{"ops", "getDelayStatMcast"}, {"devId", "D1"}, {"sdpId", "1"}}));

    click(p, "refresh_bt");
    ASSERT_EQ(sends.count(), 3);
    EXPECT_EQ(message(sends.last().at(0)).value("ops"), "getDelayStatMcast");
    click(p, "clear_bt");
    ASSERT_EQ(sends.count(), 4);
    EXPECT_EQ(message(sends.last().at(0)),
              (QJsonObject{{"ops", "clrDelayStatMcast"}, {"devId", "D1"}, {"sdpId", "1"}}));
}

TEST_F(DelayCounterPageTest, RepliesOfTheChosenStreamAreShown)
{
    buildNetwork();
    NewDelayCounter p("D1");
    p.show();
    deliver(p, stats("getUcastStats", "0", "succ", 800));
    const char* const shown[][2] = {{"total", "800"}, {"in125", "400"},  {"in250", "200"},     {"in500", "100"},
                                    {"in1ms", "4"},   {"in2ms", "3"},    {"in4ms", "2"},       {"out4ms", "1"},
                                    {"avgUs", "210"}, {"maxUs", "4300"}, {"notContinue", "5"}, {"exceedDelay", "6"}};
    for (const auto& f : shown)
        EXPECT_EQ(field(p, (QByteArray(f[0]) + "_le").constData()), QLatin1String(f[1])) << f[0];
    EXPECT_DOUBLE_EQ(p.shownStats().share(0), 0.5);

    // Answers about another stream, another kind or another device leave the fields alone.
    deliver(p, stats("getUcastStats", "2", "succ", 50));
    deliver(p, stats("getMcastStats", "0", "succ", 60));
    QJsonObject other = stats("getDelayStatUcast", "0", "succ", 70);
    other.insert("devId", "S1");
    p.recvRequest(compact(other));
    // A failed read keeps what was shown.
    deliver(p, stats("getUcastStats", "0", "fail", 0));
    EXPECT_EQ(field(p, "total_le"), "800");
}

TEST_F(DelayCounterPageTest, ClearingShowsTheResetValuesOrSaysItFailed)
{
    buildNetwork();
    NewDelayCounter p("D1");
    QSignalSpy tips(&p, &NewDelayCounter::signal_showTips);
    p.show();
    combo(p)->setCurrentIndex(2);
    p.on_comboBox_activated(2);
    deliver(p, stats("getMcastStats", "1", "succ", 1600));
    ASSERT_EQ(field(p, "total_le"), "1600");

    click(p, "clear_bt");
    QJsonObject failed{{"ops", "clrMcastStats"}, {"sdpId", "1"}, {"result", "fail"}, {"reason", "busy"}};
    deliver(p, failed);
    ASSERT_EQ(tips.count(), 1);
    EXPECT_EQ(tips.last().at(0).toString(), "清除失败");
    EXPECT_EQ(field(p, "total_le"), "1600");
    EXPECT_EQ(field(p, "in125_le"), "800");

    deliver(p, stats("clrMcastStats", "1", "succ", 0));
    EXPECT_EQ(tips.count(), 1);
    EXPECT_EQ(field(p, "total_le"), "0");
    EXPECT_EQ(field(p, "in125_le"), "0");
}

TEST_F(DelayCounterPageTest, PollsWhileVisibleAndNeverOffline)
{
    buildNetwork();
    NewDelayCounter p("D1");
    QSignalSpy sends(&p, &NewDelayCounter::sendChangeData);
    auto* poll = p.findChild<QTimer*>("poll_timer");
    ASSERT_NE(poll, nullptr);
    EXPECT_FALSE(poll->isActive());
    p.show();
    EXPECT_TRUE(poll->isActive());
    EXPECT_EQ(poll->interval(), 2000);
    QMetaObject::invokeMethod(poll, "timeout");
    EXPECT_EQ(sends.count(), 2);
    p.hide();
    EXPECT_FALSE(poll->isActive());

    AppState::setMode(AppState::kOfflineMode);
    NewDelayCounter offline("D1");
    QSignalSpy offlineSends(&offline, &NewDelayCounter::sendChangeData);
    offline.show();
    click(offline, "refresh_bt");
    click(offline, "clear_bt");
    EXPECT_EQ(offlineSends.count(), 0);
}

TEST_F(DelayCounterPageTest, ChoiceFollowsStreamsThatStartAndStop)
{
    buildNetwork();
    NewDelayCounter p("D1");
    p.show();
    combo(p)->setCurrentIndex(1); // unicast 2
    p.on_comboBox_activated(1);
    deliver(p, stats("getUcastStats", "2", "succ", 100));
    ASSERT_EQ(field(p, "total_le"), "100");

    // Unicast 0 stops: the choice stays on unicast 2 and its values stay.
    fromDevice(kRxIp, page("getAllActiveUcastId", 0, 3, QJsonArray{"2"}));
    click(p, "refresh_bt");
    ASSERT_EQ(combo(p)->count(), 2);
    EXPECT_EQ(combo(p)->currentText(), "ucast:2 192.168.10.99->192.168.10.21");
    EXPECT_EQ(field(p, "total_le"), "100");

    // Unicast 2 stops too: its values are no longer shown.
    fromDevice(kRxIp, page("getAllActiveUcastId", 0, 3, QJsonArray{}));
    click(p, "refresh_bt");
    ASSERT_EQ(combo(p)->count(), 1);
    EXPECT_EQ(combo(p)->currentText(), "mcast:1 239.69.1.2");
    EXPECT_EQ(field(p, "total_le"), "0");
}

} // namespace

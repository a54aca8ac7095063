// Datagrams any host may send unasked (clock events, identify requests): a flood costs bounded memory and
// bounded signals, and the newest state wins.
#include "DevManager.h"
#include "McastEventQueue.h"
#include "MyThread.h"
#include "PeriodicTicker.h"
#include "QtTestApp.h"
#include "StoreTestSupport.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

QString eventText(uint32_t sender, int seq)
{
    return QStringLiteral("{\"ops\":\"clockEvent\",\"from\":%1,\"seq\":%2}").arg(sender).arg(seq);
}

struct QueueCase
{
    const char* name;
    int capacity;
    int senders;
    int eventsEach;
};

class McastEventQueueFlood : public ::testing::TestWithParam<QueueCase>
{
};

} // namespace

TEST_P(McastEventQueueFlood, BoundedNewestPerSenderAndEveryDropCounted)
{
    const QueueCase c = GetParam();
    McastEventQueue queue(c.capacity);
    // Interleaved, as a flood from several hosts arrives.
    for (int seq = 0; seq < c.eventsEach; ++seq)
        for (int s = 0; s < c.senders; ++s)
            queue.push(0x0A000000u + uint32_t(s), QStringLiteral("masterOffset"), eventText(uint32_t(s), seq));
    const int kept = std::min(c.senders, c.capacity);
    ASSERT_EQ(queue.size(), kept);
    const int64_t pushed = int64_t(c.senders) * c.eventsEach;
    EXPECT_EQ(queue.refused(), int64_t(c.senders - kept) * c.eventsEach);
    EXPECT_EQ(queue.superseded(), int64_t(kept) * (c.eventsEach - 1));
    EXPECT_EQ(pushed, kept + queue.refused() + queue.superseded()) << "every event taken or counted";

    const QStringList taken = queue.take();
    ASSERT_EQ(taken.size(), kept);
    for (int s = 0; s < kept; ++s)
        EXPECT_EQ(taken.at(s), eventText(uint32_t(s), c.eventsEach - 1)) << "first senders kept, newest state";
    EXPECT_EQ(queue.size(), 0);
    // Emptied: a sender refused before may now be queued.
    EXPECT_TRUE(queue.push(0x0A000000u + uint32_t(c.senders), QStringLiteral("masterOffset"), QStringLiteral("late")));
}

INSTANTIATE_TEST_SUITE_P(Cases, McastEventQueueFlood,
                         ::testing::Values(QueueCase{"one_sender_flooding", 4, 1, 10000},
                                           QueueCase{"many_senders_over_capacity", 16, 300, 20},
                                           QueueCase{"exactly_full", 8, 8, 3},
                                           QueueCase{"single_event", McastEventQueue::kMaxPending, 1, 1}),
                         [](const ::testing::TestParamInfo<QueueCase>& i) { return std::string(i.param.name); });

TEST(McastEventQueueKinds, EachKindOfASenderKeepsItsNewestEvent)
{
    // A device reports its state, offset and frequency in quick succession: none may hide another.
    McastEventQueue queue;
    const QStringList kinds = {"state", "masterOffset", "adjustFreq"};
    for (int seq = 0; seq < 50; ++seq)
        for (const QString& kind : kinds)
            queue.push(0x0A000001u, kind, kind + QString::number(seq));
    queue.push(0x0A000002u, QStringLiteral("state"), QStringLiteral("other"));
    EXPECT_EQ(queue.take(), QStringList({"state49", "masterOffset49", "adjustFreq49", "other"}));
}

class BlinkFlood : public ::testing::Test
{
protected:
    void SetUp() override
    {
        qtTestApp();
        dvm_resetForTest();
    }
    void TearDown() override { dvm_resetForTest(); }
};

TEST_F(BlinkFlood, OnlyListedDevicesBlinkAndRepeatsRestartWithoutNewStart)
{
    PeriodicTicker ticker;
    storetest::announce("dev-L", "10.1.0.5");
    const struct
    {
        const char* devId;
        PeriodicTicker::BlinkStart first;
        PeriodicTicker::BlinkStart again;
    } cases[] = {{"dev-L", PeriodicTicker::BlinkStarted, PeriodicTicker::BlinkRestarted},
                 {"dev-unlisted", PeriodicTicker::BlinkRefused, PeriodicTicker::BlinkRefused},
                 {"", PeriodicTicker::BlinkRefused, PeriodicTicker::BlinkRefused}};
    for (const auto& c : cases) {
        EXPECT_EQ(ticker.startBlink(c.devId), c.first) << c.devId;
        EXPECT_EQ(ticker.startBlink(c.devId), c.again) << c.devId;
    }
    for (int i = 0; i < 5000; ++i)
        ticker.startBlink(QStringLiteral("forged-%1").arg(i));
    EXPECT_EQ(ticker.blinkCount(), 1);
}

TEST_F(BlinkFlood, NetworkThreadForwardsOneStartAndCoalescedClockEvents)
{
    storetest::announce("dev-B", "10.1.0.7");
    MyThread thread;
    QSignalSpy blinks(&thread, &MyThread::signal_blinkingDev);
    QSignalSpy messages(&thread, &MyThread::signal_recv_message);
    const QByteArray blink = R"({"ops":"devReqGuiBlink","devId":"dev-B"})";
    const QByteArray forged = R"({"ops":"devReqGuiBlink","devId":"nobody"})";
    const uint32_t hosts[] = {0x0A010007, 0x0A010008, 0x0A010009};
    for (int i = 0; i < 3000; ++i) {
        thread.handleUdpMcast(blink.constData(), blink.size(), hosts[0], 9996);
        thread.handleUdpMcast(forged.constData(), forged.size(), hosts[1], 9996);
        const QByteArray event = QStringLiteral(R"({"event":"masterOffset","offset":"%1"})").arg(i).toUtf8();
        thread.handleUdpMcast(event.constData(), event.size(), hosts[i % 3], 9996);
        ASSERT_LE(thread.pendingEvents().size(), 3);
    }
    EXPECT_EQ(blinks.count(), 1);
    EXPECT_EQ(thread.ticker().blinkCount(), 1);
    EXPECT_EQ(messages.count(), 0) << "clock events wait for the next hand-over";

    for (int t = 0; t < PeriodicTicker::kEventTicks; ++t)
        thread.periodicTick();
    ASSERT_EQ(messages.count(), 3);
    // The newest of each sender: offsets 2997, 2998, 2999 in sender order.
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(messages.at(i).at(0).toString().contains(QStringLiteral("\"offset\":\"%1\"").arg(2997 + i)))
            << messages.at(i).at(0).toString().toStdString();
    EXPECT_EQ(thread.pendingEvents().superseded(), 3000 - 3);
}

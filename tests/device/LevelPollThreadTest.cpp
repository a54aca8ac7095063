#include "LevelTestSupport.h"
#include "ShowDataThread.h"

#include <QSignalSpy>
#include <QTest>

using namespace levelstest;

namespace {

ShowDataThread::Target target(bool batch = false)
{
    ShowDataThread::Target t;
    t.devId = QStringLiteral("MRD-0001");
    t.batch = batch;
    t.ip = kDevIp;
    t.phyIn = 2;
    t.phyOut = 0;
    t.netIn = 4;
    t.netOut = 4;
    return t;
}

class LevelPollThreadTest : public LevelsTest
{
};

TEST_F(LevelPollThreadTest, RoundAsksEverySideThatHasChannels)
{
    EXPECT_EQ(
        ShowDataThread::roundRequests(target()),
        (QStringList{QStringLiteral(R"({"devId":"MRD-0001","idStart":"0","inOrOut":"0","ops":"getAllPhyLevel"})"),
                     QStringLiteral(R"({"devId":"MRD-0001","idStart":"0","inOrOut":"0","ops":"getAllNetLevel"})"),
                     QStringLiteral(R"({"devId":"MRD-0001","idStart":"0","inOrOut":"1","ops":"getAllNetLevel"})")}));
    ShowDataThread::Target t = target(true);
    t.netIn = 0;
    t.phyIn = 0;
    EXPECT_EQ(ShowDataThread::roundRequests(t),
              (QStringList{QStringLiteral(R"({"idStart":"0","ops":"getVolumeDbBatchOut"})")}));
    EXPECT_TRUE(ShowDataThread::roundRequests(ShowDataThread::Target()).isEmpty());
}

TEST_F(LevelPollThreadTest, RunningItKeepsAskingStoppedItFallsSilent)
{
    ShowDataThread poller;
    poller.setTarget(target());
    QSignalSpy spy(&poller, &ShowDataThread::sendRequest);
    poller.startThread();
    EXPECT_TRUE(poller.isRunning());
    // Several rounds of three requests each.
    QTRY_VERIFY_WITH_TIMEOUT(spy.count() >= 9, 10000);
    EXPECT_TRUE(sentCopy().empty());

    poller.stopThread();
    EXPECT_FALSE(poller.isRunning());
    QCoreApplication::processEvents();
    const int after = spy.count();
    QTest::qWait(700);
    EXPECT_EQ(spy.count(), after);

    // It can be started again.
    poller.startThread();
    QTRY_VERIFY_WITH_TIMEOUT(spy.count() > after, 10000);
    poller.stopThread();
}

TEST_F(LevelPollThreadTest, BatchTargetSendsToPort8999AndEmitsNothing)
{
    ShowDataThread poller;
    poller.setTarget(target(true));
    QSignalSpy spy(&poller, &ShowDataThread::sendRequest);
    poller.startThread();
    QTRY_VERIFY_WITH_TIMEOUT(sentCopy().size() >= 4, 10000);
    poller.stopThread();
    const std::vector<Sent> out = sentCopy();
    for (const Sent& s : out) {
        EXPECT_EQ(s.port, 8999);
        EXPECT_EQ(s.ip, kDevIp);
    }
    EXPECT_EQ(out.at(0).msg.value(QStringLiteral("ops")).toString(), QStringLiteral("getVolumeDbBatchIn"));
    EXPECT_EQ(out.at(1).msg.value(QStringLiteral("ops")).toString(), QStringLiteral("getVolumeDbBatchOut"));
    QCoreApplication::processEvents();
    EXPECT_EQ(spy.count(), 0);
}

TEST_F(LevelPollThreadTest, StopWithoutStartAndDestroyWhileRunningReturn)
{
    {
        ShowDataThread idle;
        idle.stopThread();
        EXPECT_FALSE(idle.isRunning());
    }
    auto* running = new ShowDataThread;
    running->setTarget(target());
    bool finished = false;
    QObject::connect(running, &QThread::finished, [&finished] { finished = true; });
    running->startThread();
    delete running; // the destructor stops and waits
    EXPECT_TRUE(finished);
}

TEST_F(LevelPollThreadTest, NewTargetIsPickedUpWhileRunning)
{
    ShowDataThread poller;
    poller.setTarget(target());
    QSignalSpy spy(&poller, &ShowDataThread::sendRequest);
    poller.startThread();
    ShowDataThread::Target t = target();
    t.devId = QStringLiteral("MRD-0002");
    poller.setTarget(t);
    QTRY_VERIFY_WITH_TIMEOUT(!spy.isEmpty() && spy.last().at(0).toString().contains(QStringLiteral("MRD-0002")), 10000);
    poller.stopThread();
}

} // namespace

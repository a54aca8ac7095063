#include "DeviceTestSupport.h"
#include "ShowDataThread.h"

#include <QSignalSpy>
#include <QTest>

using namespace devicetest;

namespace {

ShowDataThread::Target target(bool batch = false)
{
    ShowDataThread::Target t;
    t.devId = "MRD-0001";
    t.batch = batch;
    t.ip = kDevIp;
    t.phyIn = 2;
    t.phyOut = 0;
    t.netIn = 4;
    t.netOut = 4;
    return t;
}

class LevelPollThreadTest : public DeviceTest
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

// Command-layer models hand their requests on as signals; batch models send straight to the meter port.
TEST_F(LevelPollThreadTest, RunningItKeepsAskingStoppedItFallsSilent)
{
    for (const bool batch : {false, true}) {
        SCOPED_TRACE(batch ? "batch" : "command layer");
        sent.clear();
        ShowDataThread poller;
        poller.setTarget(target(batch));
        QSignalSpy spy(&poller, &ShowDataThread::sendRequest);
        const auto asked = [&] { return batch ? int(sentOps().size()) : spy.count(); };
        poller.startThread();
        EXPECT_TRUE(poller.isRunning());
        // Several rounds.
        QTRY_VERIFY_WITH_TIMEOUT(asked() >= 6, 10000);
        poller.stopThread();
        EXPECT_FALSE(poller.isRunning());
        QCoreApplication::processEvents();
        EXPECT_EQ(batch ? spy.count() : int(sentOps().size()), 0);
        for (const Sent& s : sentOps()) {
            EXPECT_EQ(s.port, 8999);
            EXPECT_EQ(s.ip, kDevIp);
        }
        if (batch) {
            EXPECT_EQ(sentOps().at(0).msg.value("ops").toString(), "getVolumeDbBatchIn");
            EXPECT_EQ(sentOps().at(1).msg.value("ops").toString(), "getVolumeDbBatchOut");
        }
        const int after = asked();
        QTest::qWait(700);
        EXPECT_EQ(asked(), after);

        // It can be started again, and picks up a new target while running.
        poller.startThread();
        ShowDataThread::Target t = target(batch);
        t.devId = "MRD-0002";
        t.ip = kDevIp + 1;
        poller.setTarget(t);
        QTRY_VERIFY_WITH_TIMEOUT(
            batch ? sentOps().back().ip == kDevIp + 1 : spy.last().at(0).toString().contains("MRD-0002"), 10000);
        poller.stopThread();
    }
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

} // namespace

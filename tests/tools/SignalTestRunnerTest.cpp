#include "SignalTestRunner.h"
#include "SignalBench.h"

#include <QRegularExpression>
#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

class SignalTestRunnerTest : public ::testing::Test
{
protected:
    SignalTestRunnerTest() : bench(std::make_shared<SignalBench>()), runner(bench)
    {
        job.source = SignalBench::device("S", SignalBench::kSourceIp);
        job.dut = SignalBench::device("D", SignalBench::kDutIp);
        job.channels = 8;
        job.delayDots = bench->analogReturnDelay;
        job.settleMs = 0;
        job.probeSettleMs = 0;
    }

    struct Run
    {
        QStringList lines;
        QList<int> kinds;
        bool passed = false;
        int reports = 0;
    };
    Run test()
    {
        QSignalSpy lines(&runner, &SignalTestRunner::signal_line);
        QSignalSpy done(&runner, &SignalTestRunner::signal_tested);
        runner.test(job);
        Run r;
        for (const auto& l : lines) {
            r.lines.append(l.at(0).toString());
            r.kinds.append(l.at(1).toInt());
        }
        r.reports = done.count();
        r.passed = done.count() == 1 && done.at(0).at(0).toBool();
        return r;
    }
    static QStringList channelLines(const Run& r)
    {
        return r.lines.filter(QRegularExpression(QStringLiteral("^通道\\d+=>")));
    }

    std::shared_ptr<SignalBench> bench;
    SignalTestRunner runner;
    SignalTestRunner::Job job;
};

TEST_F(SignalTestRunnerTest, HealthyDevicePassesEveryChannelAndRoutesAreRemovedAfterwards)
{
    for (int channels : {2, 8, 16}) {
        SCOPED_TRACE(channels);
        job.channels = channels;
        const Run r = test();
        EXPECT_TRUE(r.passed);
        EXPECT_EQ(r.reports, 1);
        const QStringList ch = channelLines(r);
        ASSERT_EQ(ch.size(), channels) << r.lines.join('\n').toStdString();
        for (int c = 0; c < channels; ++c)
            EXPECT_EQ(ch.at(c),
                      QStringLiteral("通道%1=>输入电平:-20.0dBFS，反相抵消后电平:-96.0dbFS, 测试通过.").arg(c + 1));
        EXPECT_TRUE(r.lines.last().contains("测试通过"));
        EXPECT_TRUE(bench->dutRoutes().isEmpty());
        EXPECT_TRUE(bench->sourceRoutes().isEmpty());
        EXPECT_EQ(bench->stage(), job.delayDots);
    }
}

TEST_F(SignalTestRunnerTest, ThirtyTwoChannelsOneLevelAPage)
{
    bench->pageSize = 1;
    job.channels = 32;
    const Run r = test();
    EXPECT_TRUE(r.passed) << r.lines.join('\n').toStdString();
    EXPECT_EQ(channelLines(r).size(), 32);
}

TEST_F(SignalTestRunnerTest, ASourceChannelFarUpIsReadWhereItIs)
{
    // A source with many physical inputs: its network input 1 is transmit channel 40, beyond what a class holds.
    job.networkSource = true;
    job.source.phyInputs = 40;
    job.source.netOutputs = 64;
    ASSERT_TRUE(SignalTestRunner::refusal(job).isEmpty());
    const Run r = test(); // the bench has 32 channels: the read finds nothing there
    EXPECT_FALSE(r.passed);
    EXPECT_TRUE(r.lines.contains("ERR:getAllVolumeDbTx S")) << r.lines.join('\n').toStdString();
}

TEST_F(SignalTestRunnerTest, AnAmplifierIsTestedWithoutInputsAfterItsModules)
{
    bench->dutAmplifier = true;
    job.dut.amplifier = true;
    job.dut.phyInputs = 0;
    job.channels = 4;
    ASSERT_TRUE(SignalTestRunner::refusal(job).isEmpty());
    Run r = test();
    EXPECT_TRUE(r.passed) << r.lines.join('\n').toStdString();
    EXPECT_TRUE(r.lines.contains("功放: MRA-4 3.1.9"));
    EXPECT_TRUE(r.lines.contains("功放模块1: 通道数4，上电是，增益20/20/20/20"));
    EXPECT_TRUE(r.lines.contains("功放模块2: 通道数4，上电是，增益20/20/20/20"));
    EXPECT_EQ(channelLines(r).size(), 4);
    EXPECT_TRUE(bench->log.filter("D getAllPhyVolumeDbRx").isEmpty()) << "nothing is cabled back to an amplifier";

    // The output stage still counts: a silent amplifier channel fails there.
    bench->faults.insert(1, "silent");
    r = test();
    EXPECT_FALSE(r.passed);
    EXPECT_TRUE(channelLines(r).contains("通道2=>测试设备模拟输出电平异常:-infdBFS"));
    bench->faults.clear();

    const struct
    {
        const char* what;
        bool silent, off;
        const char* line;
    } modules[] = {{"module without power", false, true, "功放模块1未上电"},
                   {"second module silent", true, false, "功放模块2无应答"}};
    for (const auto& m : modules) {
        SCOPED_TRACE(m.what);
        bench->ampModule2Silent = m.silent;
        bench->ampPowerOff = m.off;
        bench->log.clear();
        r = test();
        EXPECT_FALSE(r.passed);
        EXPECT_TRUE(r.lines.contains(QString::fromUtf8(m.line))) << r.lines.join('\n').toStdString();
        EXPECT_TRUE(channelLines(r).isEmpty()) << "no channel is tested";
        EXPECT_TRUE(bench->log.filter("setUcastRx").isEmpty()) << "no route made";
    }
    // Not an amplifier: the missing inputs are refused.
    job.dut.amplifier = false;
    EXPECT_EQ(SignalTestRunner::refusal(job), QStringLiteral("待测设备通道数不足"));
}

TEST_F(SignalTestRunnerTest, AFaultFailsExactlyItsChannel)
{
    const struct
    {
        const char* what;
        int channel; // 0-based
        const char* kind;
        const char* message;
    } rows[] = {
        {"silent output", 2, "silent", "通道3=>测试设备模拟输出电平异常:-infdBFS"},
        {"6 dB low", 7, "low", "通道8=>测试设备模拟输出电平异常:-26.0dBFS"},
    };
    for (const auto& f : rows) {
        SCOPED_TRACE(f.what);
        bench->faults.clear();
        bench->faults.insert(f.channel, QString::fromLatin1(f.kind));
        const Run r = test();
        EXPECT_FALSE(r.passed);
        const QStringList ch = channelLines(r);
        ASSERT_EQ(ch.size(), 8);
        for (int c = 0; c < 8; ++c) {
            if (c == f.channel)
                EXPECT_EQ(ch.at(c), QString::fromUtf8(f.message));
            else
                EXPECT_TRUE(ch.at(c).endsWith("测试通过.")) << ch.at(c).toStdString();
        }
        EXPECT_EQ(r.kinds.at(r.lines.indexOf(QString::fromUtf8(f.message))), SignalTestRunner::Fail);
    }
}

TEST_F(SignalTestRunnerTest, WrongDelayOrStuckRouteFails)
{
    job.delayDots = bench->analogReturnDelay + 3; // an old calibration
    Run r = test();
    EXPECT_FALSE(r.passed);
    EXPECT_EQ(channelLines(r).filter("反相抵消后电平过高").size(), 8);

    job.delayDots = bench->analogReturnDelay;
    bench->strayRoutes.insert(1, 0);
    r = test();
    EXPECT_FALSE(r.passed);
    EXPECT_EQ(channelLines(r).filter("无路由时测试设备网络输入有电平").size(), 1);
    EXPECT_TRUE(channelLines(r).at(1).startsWith("通道2=>"));
}

TEST_F(SignalTestRunnerTest, CommunicationFailuresEndTheTestWithTheirText)
{
    bench->dutSilent = true;
    Run r = test();
    EXPECT_FALSE(r.passed);
    EXPECT_EQ(r.reports, 1) << "always one result";
    EXPECT_TRUE(r.lines.first().startsWith("ERR:No Return With 2000ms D")) << r.lines.first().toStdString();

    bench->dutSilent = false;
    bench->refuseRoutes = true;
    r = test();
    EXPECT_FALSE(r.passed);
    EXPECT_TRUE(r.lines.contains("通道1=>创建路由失败 D no free sdpId")) << r.lines.join('\n').toStdString();

    bench->refuseRoutes = false;
    bench->sourceHasStage = false;
    r = test();
    EXPECT_FALSE(r.passed);
    EXPECT_TRUE(r.lines.contains("ERR:setBorderProc S out of range")) << r.lines.join('\n').toStdString();
}

TEST_F(SignalTestRunnerTest, CalibrationFindsBothDelays)
{
    bench->extraDelay.insert(1, 5); // the second output's way is 5 samples longer
    QSignalSpy lines(&runner, &SignalTestRunner::signal_line);
    QSignalSpy done(&runner, &SignalTestRunner::signal_calibrated);
    runner.calibrate(job);
    ASSERT_EQ(done.count(), 1);
    EXPECT_TRUE(done.at(0).at(0).toBool());
    EXPECT_EQ(done.at(0).at(1).toInt(), bench->analogReturnDelay);
    EXPECT_EQ(done.at(0).at(2).toInt(), bench->analogReturnDelay + 5);
    EXPECT_EQ(lines.last().at(0).toString(), QStringLiteral("DelayDots=143，DelayDots2=148，校准通过"));
    EXPECT_TRUE(bench->dutRoutes().isEmpty());

    // A device that cannot cancel (its output 3 dB low, still a signal): the lowest level is reported.
    bench->faults.insert(0, "low3");
    lines.clear();
    done.clear();
    runner.calibrate(job);
    ASSERT_EQ(done.count(), 1);
    EXPECT_FALSE(done.at(0).at(0).toBool());
    EXPECT_EQ(lines.last().at(0).toString(), QStringLiteral("设备校准不正常, 抵消后最低电平:-30.7dBFS"));

    // A silent or a 6 dB low output stops at the point that names it.
    const struct
    {
        const char* fault;
        const char* line;
    } stops[] = {{"silent", "S2=>测试设备模拟输出1电平异常:-infdBFS"},
                 {"low", "S2=>测试设备模拟输出1电平异常:-26.0dBFS"}};
    for (const auto& s : stops) {
        bench->faults.insert(0, QString::fromLatin1(s.fault));
        lines.clear();
        done.clear();
        runner.calibrate(job);
        EXPECT_EQ(lines.last().at(0).toString(), QString::fromUtf8(s.line));
        ASSERT_EQ(done.count(), 1);
        EXPECT_FALSE(done.at(0).at(0).toBool());
    }
}

TEST_F(SignalTestRunnerTest, RefusalsBeforeAnythingIsSent)
{
    const struct
    {
        const char* what;
        void (*edit)(SignalTestRunner::Job&);
        const char* refusal;
    } rows[] = {
        {"ready", [](SignalTestRunner::Job&) {}, ""},
        {"no source", [](SignalTestRunner::Job& j) { j.source = TestDevice(); }, "请选择信号源或待测设备"},
        {"same device", [](SignalTestRunner::Job& j) { j.dut = j.source; }, "请选择信号源或待测设备"},
        {"inactive", [](SignalTestRunner::Job& j) { j.dut.active = false; }, "设备未激活"},
        {"class too large",
         [](SignalTestRunner::Job& j) {
             j.channels = 16;
             j.dut.phyOutputs = 8;
         },
         "待测设备通道数不足"},
        {"network source beyond the transmit channels",
         [](SignalTestRunner::Job& j) {
             j.networkSource = true;
             j.source.netOutputs = j.source.phyInputs; // none left for the network inputs
         },
         "信号源通道不存在"},
        {"network source 4 of 2",
         [](SignalTestRunner::Job& j) {
             j.networkSource = true;
             j.sourceNumber = 4;
             j.source.netInputs = 2;
         },
         "信号源通道不存在"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        SignalTestRunner::Job j = job;
        r.edit(j);
        EXPECT_EQ(SignalTestRunner::refusal(j), QString::fromUtf8(r.refusal));
    }
}

} // namespace

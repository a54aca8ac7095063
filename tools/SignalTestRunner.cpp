#include "SignalTestRunner.h"

#include "DelaySearch.h"
#include "ReplyFields.h"
#include "ServiceLink.h"
#include "ToolsLog.h"

#include <QThread>

#include <algorithm>

using SignalTestPlan::Meter;
using namespace SignalVerdict;

SignalTestRunner::SignalTestRunner(std::shared_ptr<ServiceLink> link, QObject* parent)
    : QObject(parent), m_link(std::move(link))
{
}

QString SignalTestRunner::refusal(const Job& job)
{
    if (!job.source.listed || !job.dut.listed || job.source.devId == job.dut.devId)
        return QStringLiteral("请选择信号源或待测设备");
    if (!job.dut.active)
        return QStringLiteral("设备未激活");
    const int n = job.channels;
    // An amplifier has no physical inputs: its transmit channels carry its network inputs back.
    if (n < 1 || n > SignalTestPlan::kMaxChannels || job.dut.phyOutputs < n ||
        (!job.dut.amplifier && job.dut.phyInputs < n) || job.dut.netInputs < n || job.dut.netOutputs < n)
        return QStringLiteral("待测设备通道数不足");
    const int available = job.networkSource ? job.source.netInputs : job.source.phyInputs;
    if (job.sourceNumber < 1 || job.sourceNumber > SignalTestPlan::kSourceChannels || job.sourceNumber > available ||
        job.source.netInputs < SignalTestPlan::kReturnOutput || job.source.phyOutputs < SignalTestPlan::kReturnOutput ||
        SignalTestPlan::sourceTxChannel(job.networkSource, job.sourceNumber, job.source.phyInputs) >=
            job.source.netOutputs)
        return QStringLiteral("信号源通道不存在");
    return QString();
}

bool SignalTestRunner::send(const TestDevice& dev, quint16 port, const QString& text, QByteArray* answer)
{
    if (m_cancel)
        return false;
    const WaitedUdpRequest::Result r = m_link->request(text.toUtf8(), QHostAddress(dev.ip), port);
    if (!r.answered()) {
        line(QStringLiteral("%1 %2").arg(WaitedUdpRequest::errorText(r), dev.devId), Fail);
        return false;
    }
    if (answer)
        *answer = r.text.toUtf8();
    return true;
}

bool SignalTestRunner::sendOk(const TestDevice& dev, quint16 port, const QString& text, const QString& what)
{
    QByteArray answer;
    if (!send(dev, port, text, &answer))
        return false;
    const QJsonObject o = SignalTestPlan::replyObject(answer);
    if (ReplyFields::succeeded(o))
        return true;
    const QString reason = ReplyFields::text(o, "reason");
    line(QStringLiteral("%1 %2 %3")
             .arg(what, dev.devId, reason.isEmpty() ? QStringLiteral("通信错误") : reason.left(80)),
         Fail);
    return false;
}

SignalTestRunner::Levels SignalTestRunner::read(const TestDevice& dev, Meter meter, int count, int first)
{
    Levels out;
    SignalTestPlan::LevelPages pages(count, first);
    for (int i = 0; i < SignalTestPlan::kMaxLevelPages && !pages.complete(); ++i) {
        QByteArray answer;
        if (!send(dev, dev.port, SignalTestPlan::levelRequest(dev.devId, meter, pages.nextStart()), &answer))
            return out;
        if (!pages.take(answer))
            break;
    }
    if (!pages.complete()) {
        line(QStringLiteral("ERR:%1 %2").arg(SignalTestPlan::meterOps(meter), dev.devId), Fail);
        return out;
    }
    for (const QString& t : pages.texts())
        out.db.append(levelFromText(t));
    out.ok = true;
    return out;
}

void SignalTestRunner::settle(int ms)
{
    if (ms > 0 && !m_cancel)
        QThread::msleep(ulong(ms));
}

bool SignalTestRunner::clearRoutes(const Job& job)
{
    // Any answer will do: a channel without a route may be refused, and it is free either way.
    for (int c = 0; c < job.channels; ++c) {
        if (!send(job.dut, job.dut.port, SignalTestPlan::clearRequest(c)))
            return false;
    }
    return send(job.source, job.source.port, SignalTestPlan::clearRequest(SignalTestPlan::kReturnOutput - 1));
}

bool SignalTestRunner::findDelay(const Job& job, int returnTx, int* dots, double* level)
{
    const int r = SignalTestPlan::kReturnOutput;
    if (!sendOk(job.source, job.source.port, SignalTestPlan::routeRequest(job.dut.devId, returnTx, r - 1),
                QStringLiteral("ERR:setUcastRx")))
        return false;
    settle(job.settleMs);
    const DelaySearch::Result found = DelaySearch::find(
        [&](int delay, double* db) {
            if (!sendOk(job.source, job.source.port, SignalTestPlan::cancelStageRequest(job.source.devId, r, delay),
                        QStringLiteral("ERR:setBorderProc")))
                return false;
            settle(job.probeSettleMs);
            const Levels l = read(job.source, Meter::PhyTx, 1, r - 1);
            if (!l.ok)
                return false;
            *db = l.db.at(0);
            return true;
        },
        SignalTestPlan::kMaxDelayNum);
    qCDebug(lcTools) << "delay search" << found.ok << found.delay << found.level << "probes" << found.probes;
    if (!found.ok)
        return false;
    *dots = found.delay;
    *level = found.level;
    return true;
}

bool SignalTestRunner::checkAmpModules(const TestDevice& dut)
{
    QByteArray info;
    if (send(dut, SignalTestPlan::kAmpModulePorts[0], SignalTestPlan::ampInfoRequest(dut.devId), &info)) {
        const QJsonObject o = SignalTestPlan::replyObject(info);
        line(QStringLiteral("功放: %1 %2")
                 .arg(ReplyFields::text(o, "model").left(32), ReplyFields::text(o, "version").left(32)));
    }
    bool ok = true;
    for (int m = 0; m < 2; ++m) {
        QByteArray answer;
        if (!send(dut, SignalTestPlan::kAmpModulePorts[m], SignalTestPlan::ampPowerGainRequest(dut.devId), &answer)) {
            line(QStringLiteral("功放模块%1无应答").arg(m + 1), Fail);
            ok = false;
            continue;
        }
        bool powered = false;
        const QString text = SignalTestPlan::ampModuleLine(m + 1, SignalTestPlan::replyObject(answer), &powered);
        line(text, powered ? Info : Fail);
        if (!powered)
            line(QStringLiteral("功放模块%1未上电").arg(m + 1), Fail);
        ok = ok && powered;
    }
    return ok;
}

void SignalTestRunner::calibrate(const Job& job)
{
    m_cancel = false;
    const int srcTx = SignalTestPlan::sourceTxChannel(job.networkSource, job.sourceNumber, job.source.phyInputs);
    const Thresholds& t = job.thresholds;
    // The delay is measured through the first two outputs; the points on the way are checked on the first.
    Job two = job;
    two.channels = 2;
    auto done = [&](bool ok, int d1, int d2) {
        clearRoutes(two);
        emit signal_calibrated(ok, d1, d2);
    };
    auto bad = [&](const QString& what, double db) {
        line(what + QStringLiteral(":") + levelText(db) + QStringLiteral("dBFS"), Fail);
        done(false, 0, 0);
    };

    if (!clearRoutes(two))
        return done(false, 0, 0);
    for (int c = 0; c < two.channels; ++c) {
        if (!sendOk(job.dut, job.dut.port, SignalTestPlan::routeRequest(job.source.devId, srcTx, c),
                    QStringLiteral("ERR:setUcastRx")))
            return done(false, 0, 0);
    }
    settle(job.settleMs);

    const Levels srcIn = read(job.source, job.networkSource ? Meter::NetRx : Meter::PhyRx, 1, job.sourceNumber - 1);
    const Levels srcOut = read(job.source, Meter::NetTx, 1, srcTx);
    if (!srcIn.ok || !srcOut.ok)
        return done(false, 0, 0);
    if (!isPresent(srcIn.db.last(), t))
        return bad(QStringLiteral("S1=>信号源%1输入%2电平异常")
                       .arg(job.networkSource ? QStringLiteral("网络") : QStringLiteral("模拟"))
                       .arg(job.sourceNumber),
                   srcIn.db.last());
    if (!isPresent(srcOut.db.last(), t))
        return bad(QStringLiteral("S1=>信号源网络输出%1电平异常").arg(srcTx + 1), srcOut.db.last());

    const struct
    {
        Meter meter;
        const char* what;
    } points[] = {{Meter::NetRx, "S2=>测试设备网络输入1电平异常"},
                  {Meter::PhyTx, "S2=>测试设备模拟输出1电平异常"},
                  {Meter::PhyRx, "S2=>测试设备模拟输入1电平异常"},
                  {Meter::NetTx, "S2=>测试设备网络输出1电平异常"}};
    for (const auto& p : points) {
        if (job.dut.amplifier && p.meter == Meter::PhyRx)
            continue; // nothing cabled back to an amplifier
        const Levels l = read(job.dut, p.meter, 1);
        if (!l.ok)
            return done(false, 0, 0);
        if (!isPresent(l.db.at(0), t))
            return bad(QString::fromUtf8(p.what), l.db.at(0));
    }

    int dots = 0, dots2 = 0;
    double level = 0, level2 = 0;
    if (!findDelay(job, SignalTestPlan::analogReturnTx(1), &dots, &level))
        return done(false, 0, 0);
    line(QStringLiteral("AnalogOut1 Min Level dots:%1, level:%2dBFS").arg(dots).arg(levelText(level)));
    if (!findDelay(job, SignalTestPlan::analogReturnTx(2), &dots2, &level2))
        return done(false, 0, 0);
    line(QStringLiteral("AnalogOut2 Min Level dots:%1, level:%2dBFS").arg(dots2).arg(levelText(level2)));
    if (!isCancelled(level, t) || !isCancelled(level2, t)) {
        line(QStringLiteral("设备校准不正常, 抵消后最低电平:%1dBFS").arg(levelText(std::max(level, level2))), Fail);
        return done(false, dots, dots2);
    }
    line(QStringLiteral("DelayDots=%1，DelayDots2=%2，校准通过").arg(dots).arg(dots2), Pass);
    done(true, dots, dots2);
}

void SignalTestRunner::test(const Job& job)
{
    m_cancel = false;
    const int n = job.channels;
    const int r = SignalTestPlan::kReturnOutput;
    const int srcTx = SignalTestPlan::sourceTxChannel(job.networkSource, job.sourceNumber, job.source.phyInputs);
    auto done = [&](bool passed) {
        clearRoutes(job);
        line(summaryHtml(passed), passed ? Pass : Fail);
        emit signal_tested(passed, job.dut.devId);
    };

    if (job.dut.amplifier && !checkAmpModules(job.dut))
        return done(false);
    // Without routes first: a network input that carries a level now is fed from somewhere it should not be.
    if (!clearRoutes(job))
        return done(false);
    settle(job.settleMs);
    const Levels idle = read(job.dut, Meter::NetRx, n);
    if (!idle.ok)
        return done(false);

    for (int c = 0; c < n; ++c) {
        if (!sendOk(job.dut, job.dut.port, SignalTestPlan::routeRequest(job.source.devId, srcTx, c),
                    QStringLiteral("通道%1=>创建路由失败").arg(c + 1)))
            return done(false);
    }
    if (!sendOk(job.source, job.source.port, SignalTestPlan::cancelStageRequest(job.source.devId, r, job.delayDots),
                QStringLiteral("ERR:setBorderProc")))
        return done(false);
    settle(job.settleMs);

    const Levels src = read(job.source, Meter::NetTx, 1, srcTx);
    const Levels netIn = read(job.dut, Meter::NetRx, n);
    const Levels out = read(job.dut, Meter::PhyTx, n);
    const Levels in = job.dut.amplifier ? Levels{true, QVector<double>(n)} : read(job.dut, Meter::PhyRx, n);
    const Levels netOut = read(job.dut, Meter::NetTx, n);
    if (!src.ok || !netIn.ok || !out.ok || !in.ok || !netOut.ok)
        return done(false);

    bool allPassed = true;
    for (int c = 0; c < n; ++c) {
        // One return at a time: the source has one cancellation output.
        if (!sendOk(job.source, job.source.port,
                    SignalTestPlan::routeRequest(job.dut.devId, SignalTestPlan::analogReturnTx(c + 1), r - 1),
                    QStringLiteral("通道%1=>创建路由失败").arg(c + 1)))
            return done(false);
        settle(job.settleMs);
        const Levels cancelled = read(job.source, Meter::PhyTx, 1, r - 1);
        if (!cancelled.ok)
            return done(false);
        ChannelLevels l;
        l.channel = c + 1;
        l.idleNetIn = idle.db.at(c);
        l.sourceOut = src.db.at(0);
        l.netIn = netIn.db.at(c);
        l.analogOut = out.db.at(c);
        l.analogIn = in.db.at(c);
        l.hasAnalogIn = !job.dut.amplifier;
        l.netOut = netOut.db.at(c);
        l.cancelled = cancelled.db.at(0);
        const Result verdict = judge(l, job.thresholds);
        allPassed = allPassed && verdict.passed;
        line(verdict.message, verdict.passed ? Pass : Fail);
    }
    done(allPassed);
}

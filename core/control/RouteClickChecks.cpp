#include "RouteClickChecks.h"

#include "FirmwareVersion.h"
#include "SameNetwork.h"

#include <QCoreApplication>

namespace {

QString sampleRateText()
{
    return RouteClickChecks::tr("采样率不同不能创建路由");
}

QString pick(bool chinese, const QString& zh, const QString& en)
{
    return chinese ? zh : en;
}

QString replaceText(const RouteClickChecks::Facts& f, bool multicastWording)
{
    const QString& label = f.existingSourceLabel;
    if (!label.isEmpty())
        return pick(f.chinese, QStringLiteral("当前接收通道已有路由:") + label + QStringLiteral(",是否替换?"),
                    QStringLiteral("Current receiving channel already has a route:") + label +
                        QStringLiteral(",Whether to replace?"));
    return pick(f.chinese, QStringLiteral("当前接收通道已有组播路由,是否替换?"),
                multicastWording
                    ? QStringLiteral("Current receiving channel already has a mcast route, Whether to replace?")
                    : QStringLiteral("Current receiving channel already has a multicast route,Whether to replace?"));
}

using Step = RouteClickChecks::Step;

RouteClickChecks::Plan inform(RouteClickChecks::Plan plan, const QString& text)
{
    plan.steps.append({Step::Inform, text});
    plan.request = RouteClickChecks::Request::None;
    return plan;
}

RouteClickChecks::Plan unicastPlan(const RouteClickChecks::Facts& f)
{
    RouteClickChecks::Plan plan;
    if (!f.routed && f.senderSampleRate != f.receiverSampleRate)
        return inform(plan, sampleRateText());
    if (!SameNetwork::check(f.senderIp, f.receiverIp))
        plan.steps.append({Step::Ask, RouteClickChecks::tr("two device not same network, want to set routing?")});
    if (!f.streamSlotFree)
        plan.steps.append(
            {Step::Ask, pick(f.chinese, QStringLiteral("发送设备流达到上限，可能无法继续创建流，是否仍然创建路由?"),
                             QStringLiteral("The device streams have reached the limit, it maybe failed to "
                                            "create stream. Create route?"))});
    if (f.routed) {
        plan.request = RouteClickChecks::Request::ClrRxCh;
        return plan;
    }
    if (f.rxChannelActive)
        plan.steps.append({Step::Ask, replaceText(f, false)});
    plan.request = RouteClickChecks::Request::SetUcastRx;
    return plan;
}

RouteClickChecks::Plan multicastPlan(const RouteClickChecks::Facts& f)
{
    RouteClickChecks::Plan plan;
    if (!f.routed) {
        if (f.senderSampleRate != f.receiverSampleRate)
            return inform(plan, sampleRateText());
        if (f.senderIp == f.receiverIp)
            return inform(plan, RouteClickChecks::tr("组播由本设备创建，不能创建路由"));
        // Whole-number divisions on purpose: this is how the receiver sizes its buffer.
        const long long bufferFrames =
            static_cast<long long>(f.receiverDelayUs / 1000) * static_cast<long long>(f.receiverSampleRate / 1000);
        if (4LL * f.streamFrames > bufferFrames)
            plan.steps.append(
                {Step::Ask,
                 pick(f.chinese, QStringLiteral("包长度不匹配，可能会声音异常，建议调大延迟设置，是否忽略并继续?"),
                      QStringLiteral("Packet time dismatch, recommend to increase the delay "
                                     "settings. Ignore and continue?"))});
    }
    if (RouteClickChecks::firmwareBeforeAnyPort(f.receiverFirmware) && f.streamPort != 5004)
        return inform(plan, pick(f.chinese, QStringLiteral("接收非5004端口组播，请升级固件"),
                                 QStringLiteral("Receiving multicast on non-5004 port, please upgrade firmware")));
    if (f.receiverIsVirtualCard)
        return inform(plan, RouteClickChecks::tr("虚拟声卡不能作为接收设备"));
    if (f.routed) {
        plan.request = RouteClickChecks::Request::ClrRxCh;
        return plan;
    }
    if (f.rxChannelActive)
        plan.steps.append({Step::Ask, replaceText(f, true)});
    plan.request = RouteClickChecks::Request::SetMcastRx;
    return plan;
}
} // namespace

RouteClickChecks::Plan RouteClickChecks::plan(const Facts& facts)
{
    if (!facts.senderKnown || !facts.receiverKnown)
        return Plan();
    return facts.multicast ? multicastPlan(facts) : unicastPlan(facts);
}

bool RouteClickChecks::firmwareBeforeAnyPort(const QString& version)
{
    return FirmwareVersion::before(version, QStringLiteral("3.1.4.6"));
}

QString RouteClickChecks::sourceLabel(const QString& devId, bool deviceKnown, const QString& name,
                                      const QString& chName, int srcCh)
{
    const QString device = deviceKnown ? name : devId;
    const QString channel = (!deviceKnown || chName.isEmpty()) ? QString::number(srcCh + 1) : chName;
    return device + QLatin1Char(':') + channel;
}

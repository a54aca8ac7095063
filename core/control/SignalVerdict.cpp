#include "SignalVerdict.h"

#include <QCoreApplication>

#include <cmath>
#include <limits>

namespace SignalVerdict {

double levelFromText(const QString& text)
{
    bool ok = false;
    const double db = text.trimmed().toDouble(&ok);
    // NaN and infinities never come from a healthy meter; treated as silence so they cannot pass.
    if (!ok || !std::isfinite(db))
        return -std::numeric_limits<double>::infinity();
    return db;
}

QString levelText(double db)
{
    if (!std::isfinite(db))
        return QStringLiteral("-inf");
    return QString::number(db, 'f', 1);
}

bool isPresent(double db, const Thresholds& t)
{
    return std::isfinite(db) && db > t.presentDb;
}

bool isInOutputWindow(double db)
{
    return std::isfinite(db) && db > kOutputLowDb && db < kOutputHighDb;
}

bool isCancelled(double db, const Thresholds& t)
{
    // -inf is a perfect null; NaN cannot reach here (levelFromText).
    return db < t.cancelDb;
}

Result judge(const ChannelLevels& l, const Thresholds& t)
{
    const QString head = QStringLiteral("通道%1=>").arg(l.channel);
    auto fail = [&](const QString& what, double db) {
        return Result{false, head + what + levelText(db) + QStringLiteral("dBFS")};
    };
    if (isPresent(l.idleNetIn, t))
        return fail(QStringLiteral("无路由时测试设备网络输入有电平:"), l.idleNetIn);
    if (!isPresent(l.sourceOut, t))
        return fail(QStringLiteral("信号源网络输出电平异常:"), l.sourceOut);
    if (!isPresent(l.netIn, t))
        return fail(QStringLiteral("有路由时测试设备网络输入电平异常:"), l.netIn);
    if (!isInOutputWindow(l.analogOut))
        return fail(QStringLiteral("测试设备模拟输出电平异常:"), l.analogOut);
    if (l.hasAnalogIn && !isPresent(l.analogIn, t))
        return fail(QStringLiteral("测试设备模拟输入电平异常:"), l.analogIn);
    if (!isPresent(l.netOut, t))
        return fail(QStringLiteral("测试设备网络输出电平异常:"), l.netOut);
    if (!isCancelled(l.cancelled, t))
        return fail(QStringLiteral("反相抵消后电平过高:"), l.cancelled);
    return Result{true, QStringLiteral("通道%1=>输入电平:%2dBFS，反相抵消后电平:%3dbFS, 测试通过.")
                            .arg(l.channel)
                            .arg(levelText(l.hasAnalogIn ? l.analogIn : l.analogOut), levelText(l.cancelled))};
}

QString resultHtml(const QString& text, bool passed)
{
    return QStringLiteral("<strong><font size=5 color=%2>%1</font></strong>")
        .arg(text.toHtmlEscaped(), passed ? QStringLiteral("green") : QStringLiteral("red"));
}

QString summaryHtml(bool passed)
{
    return resultHtml(passed ? QCoreApplication::translate("SignalVerdict", "测试通过")
                             : QCoreApplication::translate("SignalVerdict", "测试不通过"),
                      passed);
}

} // namespace SignalVerdict

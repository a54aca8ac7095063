#include "ReasonText.h"

#include <QCoreApplication>

namespace ReasonText {

QString forReason(const QString& reason, bool chinese)
{
    if (reason == QLatin1String("LOCK_UCAST_MCAST"))
        return chinese ? QCoreApplication::translate("ReasonText", "设置失败,设备已上锁") : reason;
    if (reason == QLatin1String("mismatch"))
        return chinese ? QCoreApplication::translate("ReasonText", "密码错误") : QStringLiteral("Password error");
    if (reason == QLatin1String("no free sdpId"))
        return chinese ? QStringLiteral("达到组播上限") : QStringLiteral("Reach Stream Limit");
    if (reason == QStringLiteral("设置成功"))
        return chinese ? reason : QStringLiteral("Set successfully");
    return reason;
}

} // namespace ReasonText

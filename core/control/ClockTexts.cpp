#include "ClockTexts.h"

ClockTexts::Status ClockTexts::status(const QString& myClkId, const QString& gmClkId, int ptpState,
                                      bool virtualSoundCard)
{
    Status s;
    if (virtualSoundCard) {
        s.locked = true;
        return s;
    }
    s.master = !myClkId.isEmpty() && myClkId == gmClkId;
    s.locked = s.master || ptpState == 2;
    return s;
}

QString ClockTexts::roleText(const Status& status, int ptpDomain, bool chinese)
{
    QString text = status.master ? (chinese ? QStringLiteral("主") : QStringLiteral("Master"))
                                 : (chinese ? QStringLiteral("从") : QStringLiteral("Slave"));
    if (ptpDomain > 0)
        text += QStringLiteral(" (%1)").arg(ptpDomain);
    return text;
}

QString ClockTexts::syncText(const Status& status, bool chinese)
{
    if (status.locked)
        return chinese ? QStringLiteral("已同步") : QStringLiteral("locked");
    return chinese ? QStringLiteral("未同步") : QStringLiteral("unlock");
}

QString ClockTexts::priorityText(int priority, bool supported)
{
    if (!supported)
        return QStringLiteral("NA");
    if (priority < 0 || priority > 255)
        return QStringLiteral("—");
    return QString::number(priority);
}

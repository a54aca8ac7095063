#include "ReplyDecoders.h"

namespace ReplyDecoders {

uint32_t lockMask(const QString& val)
{
    const QString text = val.trimmed();
    bool ok = false;
    const qulonglong v =
        text.contains(QLatin1String("0x"), Qt::CaseInsensitive)
            ? text.mid(text.indexOf(QLatin1String("0x"), 0, Qt::CaseInsensitive) + 2).toULongLong(&ok, 16)
            : text.toULongLong(&ok, 10);
    return ok ? static_cast<uint32_t>(v) : 0u;
}

DeviceLock deviceLock(const QString& val)
{
    const uint32_t m = lockMask(val);
    DeviceLock lock;
    lock.routeLock = (m & 1u) ? 1 : 0;
    lock.detailLock = (m & (1u << 16)) ? 2 : ((m & 2u) ? 1 : 0);
    return lock;
}

int dspLockLevel(const QString& val)
{
    const uint32_t m = lockMask(val);
    const bool b0 = m & 1u, b1 = m & 2u, b16 = m & (1u << 16);
    if (m == 0)
        return 0;
    if (b0 && b1 && !b16)
        return 1;
    if (b0 && !b16)
        return 2;
    if (b0 && b16)
        return 3;
    return 0;
}

int passwordSetFlag(const QJsonObject& reply)
{
    if (reply.value(QStringLiteral("result")).toString() != QLatin1String("succ"))
        return 1;
    return reply.value(QStringLiteral("new")).toString().isEmpty() ? 0 : 1;
}

void applyVersion(const QJsonObject& reply, int currentSampleRate, DevDetail_t& d)
{
    const QString oem = reply.value(QStringLiteral("oemCode")).toString().trimmed();
    d.oemCode = oem.isEmpty() ? QStringLiteral("000000") : oem;
    QString version = reply.value(QStringLiteral("version")).toString();
    version.remove(QLatin1Char('\n'));
    const QStringList parts = version.trimmed().split(QLatin1Char('-'), Qt::SkipEmptyParts);
    d.firmwareVersion = parts.value(0);
    d.firmwareBuild = parts.value(1);
    d.ptpPriority = reply.value(QStringLiteral("ptpPriority")).toString().toInt();
    d.ptpDomain = reply.value(QStringLiteral("ptpDomain")).toString().toInt();
    d.ptpDscp = reply.value(QStringLiteral("ptpDscp")).toString().toInt();
    const QString rates = reply.value(QStringLiteral("sampleRateArr")).toString();
    d.sampleRates = rates.contains(QLatin1Char(',')) ? rates.split(QLatin1Char(','))
                                                     : QStringList{QString::number(currentSampleRate)};
    d.packetTimeDivs = reply.value(QStringLiteral("packetTimeDivArr")).toString().split(QLatin1Char(','));
}

} // namespace ReplyDecoders

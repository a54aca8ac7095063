#include "AppVersion.h"

QString AppVersion::ipv4Text(quint32 ip)
{
    return QStringLiteral("%1.%2.%3.%4").arg(ip >> 24).arg((ip >> 16) & 0xFF).arg((ip >> 8) & 0xFF).arg(ip & 0xFF);
}

QString AppVersion::infoLabel(const QString& ipText)
{
    return version() + QStringLiteral("  ") + buildId() + QStringLiteral("\n\nIP: ") + ipText;
}

QString AppVersion::crashDumpDir(const QString& documentsDir)
{
    return documentsDir + QStringLiteral("/Meridane3/");
}

QString AppVersion::crashDumpFileName(const QDateTime& when)
{
    return buildId() + QLatin1Char('_') + when.toString(QStringLiteral("yyMMddhhmmss")) + QStringLiteral(".dmp");
}

QString AppVersion::crashDumpPath(const QString& documentsDir, const QDateTime& when)
{
    return crashDumpDir(documentsDir) + crashDumpFileName(when);
}

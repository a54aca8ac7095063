#pragma once
#include <QDateTime>
#include <QString>

/// The application's version strings and the names derived from them.
class AppVersion
{
public:
    static QString version() { return QStringLiteral("3.2.0.9"); }
    static QString buildId() { return QStringLiteral("0918143025"); }

    /// An IPv4 address in host order (first octet most significant) as dotted text.
    static QString ipv4Text(quint32 ip);
    /// The information label: version, two spaces, build id, a blank line and "IP: " with the bound address.
    static QString infoLabel(const QString& ipText);
    static QString infoLabel(quint32 ip) { return infoLabel(ipv4Text(ip)); }

    /// The folder of crash dumps under the user's documents folder (ends with "/").
    static QString crashDumpDir(const QString& documentsDir);
    /// build id, "_", `when` as "yyMMddhhmmss" (24-hour), ".dmp".
    static QString crashDumpFileName(const QDateTime& when);
    /// Folder and name together. Compute the documents folder at start-up: a crash handler should call nothing
    /// that may itself fail.
    static QString crashDumpPath(const QString& documentsDir, const QDateTime& when);
};

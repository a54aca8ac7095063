#include "AppConfig.h"

#include <QFile>
#include <QStringList>

namespace {

const char* const kSwitchKeys[AppConfig::kSwitchCount] = {
    "CanShow",        "CanJump",         "CanShowOffline", "CanShowHelp",   "CanSwitchLanguage",
    "CanEditDevType", "CanResetFactory", "CanCtrl8",       "CanShowVolume", "CanAlwaysShowDiy",
};

struct LinkSpan
{
    int start = -1; // position of the trimmed link in the section, -1 when there is none
    QString link;
};

LinkSpan findLink(const QString& section, bool chinese)
{
    const QString marker = chinese ? QStringLiteral("链接: ") : QStringLiteral("InterLinkage: ");
    LinkSpan span;
    const int at = section.indexOf(marker);
    if (at < 0)
        return span;
    const int from = at + marker.size();
    int end = section.indexOf(QLatin1Char('\n'), from);
    if (end < 0)
        end = section.size();
    const QString raw = section.mid(from, end - from);
    span.link = raw.trimmed();
    if (!span.link.isEmpty())
        span.start = from + raw.indexOf(span.link);
    return span;
}

} // namespace

QString AppConfig::switchKey(Switch s)
{
    return QString::fromLatin1(kSwitchKeys[int(s)]);
}

AppConfig AppConfig::fromText(const QString& text)
{
    AppConfig cfg;
    const QStringList lines = text.split(QLatin1Char('\n'), Qt::KeepEmptyParts);
    const QString& first = lines.first();
    const int eq = first.indexOf(QLatin1Char('='));
    if (eq >= 0) {
        cfg.m_titleKey = first.left(eq);
        cfg.m_title = first.mid(eq + 1);
    }
    for (const QString& line : lines)
        cfg.parseSwitchLine(line);

    // English between the first and second "#", Chinese between the second and the last.
    // With fewer marks the missing text stays empty.
    const int hash1 = text.indexOf(QLatin1Char('#'));
    const int hash2 = hash1 < 0 ? -1 : text.indexOf(QLatin1Char('#'), hash1 + 1);
    const int hashLast = text.lastIndexOf(QLatin1Char('#'));
    if (hash2 > hash1)
        cfg.m_infoEn = text.mid(hash1 + 1, hash2 - hash1 - 1);
    if (hash2 >= 0 && hashLast > hash2)
        cfg.m_infoZh = text.mid(hash2 + 1, hashLast - hash2 - 1);
    return cfg;
}

void AppConfig::parseSwitchLine(QString line)
{
    // A CRLF file must not turn "Key=0" into "on" just because the value then reads "0\r".
    if (line.endsWith(QLatin1Char('\r')))
        line.chop(1);
    const QStringList parts = line.split(QLatin1Char('='), Qt::KeepEmptyParts);
    if (parts.size() != 2)
        return;
    for (int i = 0; i < kSwitchCount; ++i) {
        if (parts[0] == QLatin1String(kSwitchKeys[i]))
            m_switches[size_t(i)] = parts[1] != QLatin1String("0");
    }
}

AppConfig AppConfig::fromFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return AppConfig();
    QByteArray bytes = file.readAll();
    // Editors on the target system often save UTF-8 with a byte-order mark; it is no part of the title key.
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    return fromText(QString::fromUtf8(bytes));
}

QString AppConfig::infoLink(bool chinese) const
{
    return findLink(chinese ? m_infoZh : m_infoEn, chinese).link;
}

QString AppConfig::infoText(bool chinese) const
{
    QString text = chinese ? m_infoZh : m_infoEn;
    const LinkSpan span = findLink(text, chinese);
    if (span.start >= 0 && isOn(Switch::CanJump)) {
        // Escaped: the link comes from an editable file and must not be able to break out of the attribute.
        const QString safe = span.link.toHtmlEscaped();
        const QString anchor = QStringLiteral("<a style='color: rgb(0, 170, 255);' href=\"") + safe +
                               QStringLiteral("\">") + safe + QStringLiteral("</a>");
        text.replace(span.start, span.link.size(), anchor);
    }
    text.replace(QLatin1Char('\n'), QStringLiteral("<br>"));
    return text;
}

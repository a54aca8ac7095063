// The grammar reference (docs/DEFAULT_CONFIG_COMMANDS.md) kept true: every command it shows as accepted is
// accepted, and every fault it shows is refused at the place it names.

#include "DspFactoryConfig.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringList>

#include <gtest/gtest.h>

namespace {

QString reference()
{
    QFile f(QStringLiteral(MERIDANE_SOURCE_DIR "/docs/DEFAULT_CONFIG_COMMANDS.md"));
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

/// The lines of the section that starts with the heading `title`.
QStringList section(const QString& text, const QString& title)
{
    const int start = text.indexOf(QStringLiteral("\n## ") + title + QLatin1Char('\n'));
    if (start < 0)
        return {};
    const int end = text.indexOf(QStringLiteral("\n## "), start + 1);
    return text.mid(start, end < 0 ? -1 : end - start).split(QLatin1Char('\n'));
}

DspFactoryConfig::Result build(const QString& commands)
{
    return DspFactoryConfig::build({8, 8, 48000, commands}, false);
}

TEST(DspCommandReference, EveryCommandShownIsAccepted)
{
    const QStringList lines = section(reference(), QStringLiteral("Commands"));
    ASSERT_FALSE(lines.isEmpty()) << "the reference has a Commands section";
    const QRegularExpression row(QStringLiteral("^\\| `([^`]+)` \\|"));
    int rows = 0;
    QStringList example;
    bool inExample = false;
    for (const QString& line : lines) {
        const QRegularExpressionMatch m = row.match(line);
        if (m.hasMatch()) {
            ++rows;
            const DspFactoryConfig::Result r = build(m.captured(1));
            EXPECT_TRUE(r.ok()) << m.captured(1).toStdString() << ": " << r.failureText(false).toStdString();
        }
        if (line.startsWith(QLatin1String("```"))) {
            inExample = !inExample;
            continue;
        }
        if (inExample)
            example.append(line);
    }
    EXPECT_GE(rows, 10);
    ASSERT_GE(example.size(), 5) << "the whole example";
    const DspFactoryConfig::Result r = build(example.join(QLatin1Char('\n')));
    EXPECT_TRUE(r.ok()) << r.failureText(false).toStdString();
}

TEST(DspCommandReference, EveryFaultShownIsRefusedWhereItSays)
{
    const QStringList lines = section(reference(), QStringLiteral("Faults"));
    const QRegularExpression row(QStringLiteral("^\\| `([^`]+)` \\| (\\d+):(\\d+) \\|"));
    int rows = 0;
    for (const QString& line : lines) {
        const QRegularExpressionMatch m = row.match(line);
        if (!m.hasMatch())
            continue;
        ++rows;
        const DspFactoryConfig::Result r = build(m.captured(1));
        ASSERT_FALSE(r.ok()) << m.captured(1).toStdString();
        EXPECT_EQ(r.error.line, m.captured(2).toInt()) << m.captured(1).toStdString();
        EXPECT_EQ(r.error.column, m.captured(3).toInt()) << m.captured(1).toStdString();
    }
    EXPECT_GE(rows, 8);
}

} // namespace

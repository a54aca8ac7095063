#include "CtlCommandTable.h"

#include <algorithm>

namespace {

QList<CtlCommand>& rows()
{
    static QList<CtlCommand> table; // filled by static initialisers, so built on first use
    return table;
}

QString optionLine(const QCommandLineOption& o)
{
    QString left = QStringLiteral("--") + o.names().constLast();
    if (o.names().size() > 1)
        left = QStringLiteral("-") + o.names().constFirst() + QStringLiteral(", ") + left;
    if (!o.valueName().isEmpty())
        left += QLatin1Char(' ') + o.valueName();
    // Descriptions wrap under themselves so that no line passes 110 columns.
    const int indent = 26;
    QString out = QStringLiteral("  %1  ").arg(left, -22);
    int column = out.size();
    for (const QString& word : o.description().split(QLatin1Char(' '))) {
        if (column > indent && column + 1 + word.size() > 110) {
            out += QLatin1Char('\n') + QString(indent, QLatin1Char(' '));
            column = indent;
        } else if (column > indent) {
            out += QLatin1Char(' ');
            ++column;
        }
        out += word;
        column += word.size();
    }
    return out + QLatin1Char('\n');
}

QString optionLines(const QList<QCommandLineOption>& options)
{
    QString out;
    for (const QCommandLineOption& o : options)
        out += optionLine(o);
    return out;
}

/// "a", "a and b", "a, b and c".
QString spokenList(const QStringList& items)
{
    if (items.size() < 2)
        return items.join(QString());
    return items.mid(0, items.size() - 1).join(QStringLiteral(", ")) + QStringLiteral(" and ") + items.constLast();
}

const char* const kExitCodes =
    "Exit codes of the control commands: 0 done, 1 refused, 2 no reply in time, 3 unknown device, channel or\n"
    "stream, 4 bad arguments. The listings (devices, streams, watch) exit with 2 on any error.\n";

} // namespace

bool CtlCommandTable::add(const CtlCommand& command)
{
    rows().append(command);
    return true;
}

QList<CtlCommand> CtlCommandTable::all()
{
    QList<CtlCommand> sorted = rows();
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const CtlCommand& a, const CtlCommand& b) { return a.name < b.name; });
    return sorted;
}

const CtlCommand* CtlCommandTable::find(const QString& name)
{
    for (const CtlCommand& c : rows()) {
        if (c.name == name)
            return &c;
    }
    return nullptr;
}

bool CtlCommandTable::hasSubcommands(const QString& word)
{
    return !subcommandsOf(word).isEmpty();
}

QString CtlCommandTable::subcommandsOf(const QString& word)
{
    QStringList subs;
    for (const CtlCommand& c : rows()) {
        if (c.name.startsWith(word + QLatin1Char(' ')))
            subs << c.name.mid(word.size() + 1);
    }
    return subs.join(QStringLiteral(", "));
}

QList<QCommandLineOption> CtlCommandTable::commonOptions()
{
    return {
        {QStringLiteral("ip"), QStringLiteral("local IPv4 address to work on (default: the host's only one)"),
         QStringLiteral("ADDR")},
        {QStringLiteral("seconds"),
         QStringLiteral("listings: listen this long (3; watch: until interrupted); control commands: wait at most "
                        "this long for the devices they name (3)"),
         QStringLiteral("S")},
        {QStringLiteral("device-life-ms"), QStringLiteral("life an announcement gives (testing; default 120000)"),
         QStringLiteral("MS")},
        {{QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("show this help")},
    };
}

QList<QCommandLineOption> CtlCommandTable::controlOptions()
{
    return {
        {QStringLiteral("timeout"),
         QStringLiteral("wait this long for each reply, and again for the tables to show it (2)"), QStringLiteral("S")},
        {QStringLiteral("dry-run"), QStringLiteral("print the requests with their address and port; send nothing")},
        {QStringLiteral("json"), QStringLiteral("print JSON instead of text")},
        {QStringLiteral("lang"), QStringLiteral("language of refusals and questions (en)"), QStringLiteral("cn|en")},
        {QStringLiteral("yes"), QStringLiteral("accept the questions the window would ask")},
    };
}

QList<QCommandLineOption> CtlCommandTable::optionsOf(const CtlCommand& command)
{
    QList<QCommandLineOption> out = command.own;
    if (command.isControl())
        out = controlOptions() + out;
    return commonOptions() + out;
}

QStringList CtlCommandTable::valueOptionNames()
{
    QStringList names;
    QList<QCommandLineOption> every = commonOptions() + controlOptions();
    for (const CtlCommand& c : rows())
        every += c.own;
    for (const QCommandLineOption& o : every) {
        if (!o.valueName().isEmpty())
            names += o.names();
    }
    return names;
}

QString CtlCommandTable::commandsTaking(const QString& name)
{
    QStringList words;   // first words whose every row takes the option
    QStringList partial; // single rows of words where only some do
    for (const CtlCommand& c : all()) {
        const auto takes = [&name](const CtlCommand& row) {
            for (const QCommandLineOption& o : optionsOf(row)) {
                if (o.names().contains(name))
                    return true;
            }
            return false;
        };
        if (!takes(c) || words.contains(c.firstWord()))
            continue;
        bool everyRow = true;
        for (const CtlCommand& other : rows())
            everyRow = everyRow && (other.firstWord() != c.firstWord() || takes(other));
        if (everyRow)
            words << c.firstWord();
        else
            partial << c.name;
    }
    return spokenList(words + partial);
}

QString CtlCommandTable::overview()
{
    QString out = QStringLiteral("Usage: meridane-ctl [options] COMMAND [arguments]\n"
                                 "The headless controller: lists and watches the network, sends command messages, "
                                 "routes and\nmanages multicast streams through the same command layer as the "
                                 "application.\n\nCommands:\n");
    for (const CtlCommand& c : all())
        out += QStringLiteral("  %1  %2\n").arg(c.name, -16).arg(c.summary);
    out += QStringLiteral("\nOptions of every command:\n") + optionLines(commonOptions());
    out += QStringLiteral("  --version               show the version\n");
    out += QStringLiteral("\nDevices are named by name or devId, channels by 1-based number or name, multicast "
                          "streams by name or\ndestination address. `meridane-ctl COMMAND --help` shows a command's "
                          "arguments and options.\n");
    return out + QLatin1String(kExitCodes);
}

QString CtlCommandTable::groupHelp(const QString& word)
{
    QString out = QStringLiteral("Usage: meridane-ctl [options] %1 %2 [arguments]\n\nCommands:\n")
                      .arg(word, subcommandsOf(word).replace(QStringLiteral(", "), QStringLiteral("|")));
    for (const CtlCommand& c : rows()) {
        if (c.firstWord() == word)
            out += QStringLiteral("  %1  %2\n").arg(c.name, -16).arg(c.summary);
    }
    return out + QStringLiteral("\n`meridane-ctl %1 SUBCOMMAND --help` shows its arguments and options.\n").arg(word);
}

QString CtlCommandTable::help(const CtlCommand& command)
{
    QString usage = QStringLiteral("Usage: meridane-ctl [options] ") + command.name;
    if (!command.arguments.isEmpty())
        usage += QLatin1Char(' ') + command.arguments;
    QString out = usage + QStringLiteral("\n") + command.summary + QStringLiteral("\n\nOptions:\n") +
                  optionLines(optionsOf(command));
    if (command.isControl())
        out += QLatin1Char('\n') + QLatin1String(kExitCodes);
    return out;
}

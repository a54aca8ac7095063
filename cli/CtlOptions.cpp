#include "CtlOptions.h"

#include "CtlCommandTable.h"
#include "CtlExit.h"

#include <QCommandLineParser>
#include <QHostAddress>

namespace {

const int kListingSeconds = 3;
const int kControlSeconds = 3;

bool isOption(const QString& a)
{
    return a.startsWith(QLatin1String("--")) || a == QLatin1String("-h");
}

/// Where the command words stand: the index of the first word (-1: none) and of its second word (-1: none).
/// The value of an option is not taken for a word.
void locateWords(const QStringList& args, int* first, int* second)
{
    static const QStringList withValue = CtlCommandTable::valueOptionNames();
    *first = *second = -1;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args.at(i);
        if (isOption(a)) {
            if (!a.contains(QLatin1Char('=')) && withValue.contains(a.mid(2)))
                ++i;
            continue;
        }
        if (*first < 0) {
            *first = i;
            if (!CtlCommandTable::hasSubcommands(a))
                return;
        } else {
            *second = i;
            return;
        }
    }
}

bool parseInt(const QString& text, int min, int* out)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < min)
        return false;
    *out = value;
    return true;
}

/// The values of the options every command takes.
bool applyCommon(const QCommandLineParser& p, CtlOptions* o, QString* error)
{
    if (p.isSet(QStringLiteral("ip"))) {
        QHostAddress addr;
        if (!addr.setAddress(p.value(QStringLiteral("ip"))) || addr.protocol() != QAbstractSocket::IPv4Protocol) {
            *error = QStringLiteral("--ip needs an IPv4 address");
            return false;
        }
        o->ip = addr.toIPv4Address();
    }
    if (p.isSet(QStringLiteral("seconds")) && !parseInt(p.value(QStringLiteral("seconds")), 0, &o->seconds)) {
        *error = QStringLiteral("--seconds needs a number of seconds");
        return false;
    }
    if (p.isSet(QStringLiteral("device-life-ms")) &&
        !parseInt(p.value(QStringLiteral("device-life-ms")), 1, &o->deviceLifeMs)) {
        *error = QStringLiteral("--device-life-ms needs a positive number");
        return false;
    }
    return true;
}

/// The values of the control commands' options.
bool applyControl(const QCommandLineParser& p, CtlOptions* o, QString* error)
{
    if (p.isSet(QStringLiteral("timeout"))) {
        bool ok = false;
        const double s = p.value(QStringLiteral("timeout")).toDouble(&ok);
        if (!ok || !(s > 0.0) || s > 3600.0) {
            *error = QStringLiteral("--timeout needs a number of seconds above 0");
            return false;
        }
        o->timeoutMs = qMax(1, static_cast<int>(s * 1000.0 + 0.5));
    }
    if (p.isSet(QStringLiteral("lang"))) {
        const QString v = p.value(QStringLiteral("lang"));
        if (v != QLatin1String("cn") && v != QLatin1String("en")) {
            *error = QStringLiteral("--lang needs cn or en");
            return false;
        }
        o->chinese = v == QLatin1String("cn");
    }
    o->dryRun = p.isSet(QStringLiteral("dry-run"));
    o->json = p.isSet(QStringLiteral("json"));
    o->yes = p.isSet(QStringLiteral("yes"));
    return true;
}

/// The error of a failed parse: an option of another command is named as such.
QString parseError(const QCommandLineParser& p)
{
    if (p.unknownOptionNames().isEmpty())
        return p.errorText();
    const QString name = p.unknownOptionNames().constFirst();
    const QString takers = CtlCommandTable::commandsTaking(name);
    const QString shown = (name.size() > 1 ? QStringLiteral("--") : QStringLiteral("-")) + name;
    if (takers.isEmpty())
        return QStringLiteral("unknown argument: %1").arg(shown);
    return QStringLiteral("%1 is only for %2").arg(shown, takers);
}

} // namespace

int CtlOptions::discoveryMs() const
{
    if (seconds >= 0)
        return seconds * 1000;
    return (isControl() ? kControlSeconds : kListingSeconds) * 1000;
}

int CtlOptions::usageExitCode(const QStringList& args)
{
    int first = -1, second = -1;
    locateWords(args, &first, &second);
    if (first < 0)
        return CtlExit::kListError;
    const QString& word = args.at(first);
    for (const CtlCommand& c : CtlCommandTable::all()) {
        if (c.firstWord() == word)
            return c.isControl() ? CtlExit::kUsage : CtlExit::kListError;
    }
    return CtlExit::kListError;
}

QString CtlOptions::helpHint(const QStringList& args)
{
    int first = -1, second = -1;
    locateWords(args, &first, &second);
    QString words = first >= 0 ? args.at(first) : QString();
    if (second >= 0 && CtlCommandTable::find(words + QLatin1Char(' ') + args.at(second)))
        words += QLatin1Char(' ') + args.at(second);
    const bool known = CtlCommandTable::find(words) || CtlCommandTable::hasSubcommands(words);
    return known ? QStringLiteral("meridane-ctl %1 --help").arg(words) : QStringLiteral("meridane-ctl --help");
}

bool CtlOptions::parse(const QStringList& args, CtlOptions* out, QString* error)
{
    const bool wantsHelp = args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"));
    if (!wantsHelp && args.contains(QStringLiteral("--version"))) {
        *out = CtlOptions();
        out->version = true;
        return true;
    }
    int first = -1, second = -1;
    locateWords(args, &first, &second);
    if (first < 0) {
        if (wantsHelp) {
            *out = CtlOptions();
            out->help = CtlCommandTable::overview();
            return true;
        }
        *error = QStringLiteral("no command given");
        return false;
    }
    const QString& word = args.at(first);
    const bool grouped = CtlCommandTable::hasSubcommands(word);
    const QString name = grouped && second >= 0 ? word + QLatin1Char(' ') + args.at(second) : word;
    const CtlCommand* command = CtlCommandTable::find(name);
    if (!command) {
        if (grouped && wantsHelp) {
            *out = CtlOptions();
            out->help = CtlCommandTable::groupHelp(word);
            return true;
        }
        *error = grouped ? QStringLiteral("%1 needs one of %2").arg(word, CtlCommandTable::subcommandsOf(word))
                         : QStringLiteral("unknown argument: %1").arg(word);
        return false;
    }

    QStringList rest = args;
    if (second >= 0)
        rest.removeAt(second);
    rest.removeAt(first);
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOptions(CtlCommandTable::optionsOf(*command));
    if (!parser.parse(QStringList{QStringLiteral("meridane-ctl")} + rest)) {
        *error = parseError(parser);
        return false;
    }

    CtlOptions o;
    o.command = command->id;
    o.commandName = command->name;
    if (parser.isSet(QStringLiteral("help"))) {
        o.help = CtlCommandTable::help(*command);
        *out = o;
        return true;
    }
    if (!applyCommon(parser, &o, error) || (command->isControl() && !applyControl(parser, &o, error)))
        return false;
    if (command->apply)
        command->apply(parser, &o);
    o.args = parser.positionalArguments();
    if (command->maxArgs == 0 && !o.args.isEmpty()) {
        *error = QStringLiteral("unknown argument: %1").arg(o.args.constFirst());
        return false;
    }
    if (o.args.size() < command->minArgs || (command->maxArgs > 0 && o.args.size() > command->maxArgs)) {
        *error = QStringLiteral("wrong number of arguments for %1").arg(command->name);
        return false;
    }
    for (const QString& r : command->required) {
        if (!parser.isSet(r)) {
            *error =
                QStringLiteral("%1 needs --%2").arg(command->name, command->required.join(QStringLiteral(" and --")));
            return false;
        }
    }
    if (command->check) {
        *error = command->check(o);
        if (!error->isEmpty())
            return false;
    }
    *out = o;
    return true;
}

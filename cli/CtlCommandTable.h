#pragma once
#include "CtlCommand.h"

#include <QStringList>

/// Every sub-command of meridane-ctl, registered by the command files, and the help texts built from them.
class CtlCommandTable
{
public:
    /// Registers a row (from a command file's static initialiser); returns true so it can initialise a constant.
    static bool add(const CtlCommand& command);
    /// All rows in order of name.
    static QList<CtlCommand> all();
    /// The row named `name` ("route add"), or null.
    static const CtlCommand* find(const QString& name);
    /// True when `word` is the first of several words ("route"), so a second word must follow.
    static bool hasSubcommands(const QString& word);
    /// The second words after `word`, comma-separated ("list, add, remove" in registration order).
    static QString subcommandsOf(const QString& word);

    /// Options every command takes: --ip, --seconds, --device-life-ms, --help.
    static QList<QCommandLineOption> commonOptions();
    /// Options of the control commands: --timeout, --dry-run, --json, --lang, --yes.
    static QList<QCommandLineOption> controlOptions();
    /// The options `command` understands.
    static QList<QCommandLineOption> optionsOf(const CtlCommand& command);
    /// Names of options that take a value, in any command.
    static QStringList valueOptionNames();
    /// "send, route and stream" or "stream create": the commands that take option `name`.
    static QString commandsTaking(const QString& name);

    /// The program's help: usage, commands with their summaries, common options, exit codes.
    static QString overview();
    /// The help of `word` when it only groups sub-commands ("route"): its sub-commands.
    static QString groupHelp(const QString& word);
    /// The help of one command: usage line, summary, every option it takes.
    static QString help(const CtlCommand& command);
};

#pragma once
#include "CtlOptions.h"

#include <QCommandLineOption>
#include <QList>
#include <QString>

class CtlNetwork;
class QCommandLineParser;

/// One sub-command of meridane-ctl: its words, help texts, arguments, options and what runs it. Each command
/// file registers its rows in CtlCommandTable at start.
struct CtlCommand
{
    QString name; ///< the words that name it: "devices", "route add"
    CtlOptions::Command id = CtlOptions::Devices;
    QString summary;   ///< one line for the overview and the command's help
    QString arguments; ///< the arguments as the usage line shows them, e.g. "SENDER:CH RECEIVER:CH"
    int minArgs = 0;
    int maxArgs = 0;               ///< -1: no limit
    QList<QCommandLineOption> own; ///< options of this command alone (the common ones are added)
    QStringList required;          ///< own options that must be given
    bool readsDevices = true;      ///< control commands: ask new devices for names, versions and locks
    /// Copies the own options' values into `out`; null when the command has none.
    void (*apply)(const QCommandLineParser& parser, CtlOptions* out) = nullptr;
    /// A check of the whole command line beyond counts and required options: the error, or empty.
    QString (*check)(const CtlOptions& options) = nullptr;
    /// Runs a control command on the started network and returns its exit code; null for the listings, which
    /// print the registry after listening.
    int (*run)(CtlNetwork& net, const CtlOptions& options) = nullptr;

    /// Runs the command without the network when these options need none (a file instead of a device);
    /// returns -1 to have it run on the network. Null for commands that always need it.
    int (*runLocal)(const CtlOptions& options) = nullptr;

    bool isControl() const { return run != nullptr; }
    QString firstWord() const { return name.section(QLatin1Char(' '), 0, 0); }
};

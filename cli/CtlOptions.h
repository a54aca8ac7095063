#pragma once
#include <QString>
#include <QStringList>
#include <cstdint>

/// The command line of meridane-ctl.
struct CtlOptions
{
    enum Command
    {
        Devices,
        Streams,
        Watch,
        Send,
        RouteList,
        RouteAdd,
        RouteRemove,
        StreamCreate,
        StreamDelete,
        DspGet,
        DspResponse,
        DesignShow,
        DesignCheckFile,
        ArchiveExport,
        ArchiveLoad
    };

    Command command = Devices;
    QString commandName;  ///< the row of CtlCommandTable that runs it: "devices", "route add"
    QString help;         ///< not empty: --help was asked for; print this and end
    bool version = false; ///< --version was asked for
    uint32_t ip = 0;      ///< 0 until chosen
    int seconds = -1;     ///< -1: the command's default
    int deviceLifeMs = 0; ///< 0: the registry's default

    // Control commands.
    QStringList args;     ///< the command's own arguments: messages, SENDER:CH / RECEIVER:CH, DEVICE [NAME]
    int timeoutMs = 2000; ///< for each reply, and again for the tables to show the change
    bool dryRun = false;
    bool json = false;
    bool chinese = false; ///< --lang cn
    bool yes = false;     ///< accept the questions a window would ask
    QString streamName;   ///< stream create --name
    QString channels;     ///< stream create --channels: numbers (1-based) or names, comma-separated
    QString address;      ///< stream create --address: empty for an automatic one
    QString port;         ///< stream create --port: empty for the default
    QString rtpOffsetMs;  ///< stream create --rtp-offset
    QString configFile;   ///< dsp response --config: a configuration file instead of a device
    bool phase = false;   ///< dsp response --phase
    int eqIndex = -1;     ///< dsp response --eq: chain index of the EQ block; -1 for the first
    QString devices;      ///< export --devices: devIds, names or addresses, comma-separated; empty for all
    QString categories;   ///< export / load --categories: category keys, comma-separated, or "all"
    QString assign;       ///< load --assign: OFFLINE=ONLINE pairs, comma-separated

    /// True for send, route, stream and dsp: they talk to devices and have their own exit codes.
    bool isControl() const { return command >= Send; }
    /// The discovery time: how long to listen for the devices a command names (or, for the listings, at all).
    int discoveryMs() const;

    /// Parses the arguments (without the program name) with the parser of the command they name. On failure
    /// returns false with `error` set.
    static bool parse(const QStringList& args, CtlOptions* out, QString* error);
    /// The exit code of a usage error in `args`: the control commands' own, or the listings' 2.
    static int usageExitCode(const QStringList& args);
    /// Where to read about a usage error in `args`: the help of the command they name, else the program's.
    static QString helpHint(const QStringList& args);
};

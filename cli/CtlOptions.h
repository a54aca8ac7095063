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
        Watch
    };

    Command command = Devices;
    uint32_t ip = 0;         ///< 0 until chosen
    int seconds = -1;        ///< -1: the command's default
    int deviceLifeMs = 0;    ///< 0: the registry's default

    /// Parses the arguments (without the program name). On failure returns false with `error` set.
    static bool parse(const QStringList& args, CtlOptions* out, QString* error);
    static QString usage();
};

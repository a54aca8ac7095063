#pragma once
#include <QString>

struct CtlOptions;

/// The checks of `export` and `load` command lines made before any network is used.
class CtlArchiveOptions
{
public:
    /// The error of --categories (unknown key, empty list) or of --assign's form (each item OFFLINE=ONLINE with
    /// both sides, an archive device given once), or empty when the command line is sound. Whether the devices
    /// exist is only known on the network.
    static QString check(const CtlOptions& options);
};

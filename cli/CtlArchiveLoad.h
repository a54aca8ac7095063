#pragma once

class CtlNetwork;
struct CtlOptions;

/// `load FILE [--assign OFFLINE=ONLINE,...] [--categories LIST] [--dry-run]`: an archive loaded onto online
/// devices after a preview of what will change.
class CtlArchiveLoad
{
public:
    /// Exit codes: the loader's (0 every step done, 1 a step refused, 2 a device did not answer); 3 an --assign
    /// that names an unknown device or an incompatible pair, or no archive device assigned; 4 an unreadable FILE.
    static int run(CtlNetwork& net, const CtlOptions& options);
};

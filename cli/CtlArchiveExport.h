#pragma once

class CtlNetwork;
struct CtlOptions;

/// `export [--devices NAME,...] [--categories LIST] FILE`: online devices read out into an archive.
class CtlArchiveExport
{
public:
    /// Exit codes: 0 written and every step answered, 1 a step refused or the file not written, 2 a request
    /// unanswered (the file is written all the same), 3 an unknown or ambiguous device.
    static int run(CtlNetwork& net, const CtlOptions& options);
};

#pragma once
#include "DspCommandPlan.h"

#include <QString>
#include <QStringList>

/// Reads the advanced commands of a factory configuration (the grammar is in docs/DEFAULT_CONFIG_COMMANDS.md):
/// one command per line, fields separated by "#", channel sets of numbers, ranges ("-"), lists (",") and "*".
/// Everything typed is bounded here, before anything is built, so a typo gives a position instead of a freeze.
class DspCommandParser
{
public:
    /// The whole text, in characters.
    static constexpr int MaxTextLength = 64 * 1024;
    /// Commands (non-blank lines) in one text.
    static constexpr int MaxCommands = 512;
    /// Digits of one number: larger numbers are refused before they are converted.
    static constexpr int MaxDigits = 9;
    /// Channels per side that channel numbers are checked against.
    static constexpr int MaxChannels = 512;
    /// Blocks named by one "proc" command, and bracket groups of one "matrix" side.
    static constexpr int MaxBlocksPerCommand = 64;
    static constexpr int MaxGroups = 512;
    /// Crosspoints set by all "matrix" commands together (four times a full 512 x 512 matrix).
    static constexpr qint64 MaxCrosspoints = 4 * 512 * 512;
    static constexpr double MinChannelGainDb = -72;
    static constexpr double MaxChannelGainDb = 12;
    static constexpr double MinMatrixGainDb = -48;
    static constexpr double MaxMatrixGainDb = 12;
    static constexpr int MaxGroupId = 15;
    static constexpr int MaxEqBands = 64;

    struct Result
    {
        DspCommandPlan plan;
        DspCommandError error; ///< set when the text was refused; the plan is then empty
        bool ok() const { return !error.isError(); }
    };

    /// Parses `text` for a configuration of `inputs` x `outputs` channels (channel numbers are checked against
    /// them). Blank lines are skipped; the first fault ends parsing.
    static Result parse(const QString& text, int inputs, int outputs);

    /// The block names "proc" accepts, in the order the reference lists them.
    static QStringList blockNames();
};

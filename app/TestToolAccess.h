#pragma once
#include <QString>

/// The hidden test tool's password prompt (Ctrl+Alt+1): which mode of the tool an input opens.
namespace TestToolAccess {

enum Mode
{
    Refused = -1,
    AllControls = 0,
    Reduced = 1 ///< one control hidden
};

/// The mode the trimmed input opens; Refused for any other input.
Mode modeFor(const QString& input);

} // namespace TestToolAccess

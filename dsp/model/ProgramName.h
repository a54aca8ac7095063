#pragma once
#include <QString>

/// The rule for the names of stored programs (whole-device and per-channel alike): 1 to 40 letters, digits,
/// "_" or "-". Checked before anything is sent, so a device never sees a name it would have to refuse.
namespace ProgramName {

constexpr int kMaxLength = 40;

enum class Problem
{
    None,
    Empty,
    TooLong,
    BadCharacter ///< anything but ASCII letters, digits, "_" and "-" (a space, a dot, any other script)
};

Problem check(const QString& name);
inline bool isValid(const QString& name)
{
    return check(name) == Problem::None;
}
/// The refusal shown to the user; empty for Problem::None.
QString text(Problem problem);

} // namespace ProgramName

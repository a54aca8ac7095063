#pragma once
#include <QString>

/// The administrator code of the diagram's custom-function entry. Only a salted SHA-256 digest of the code is
/// kept in the program, so the code cannot be read out of the binary.
namespace DspAdminCode {

/// True when `code` is the administrator code (compared exactly: no trimming, case matters).
bool matches(const QString& code);

} // namespace DspAdminCode

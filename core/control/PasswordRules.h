#pragma once
#include <QString>

/// The checks a typed password passes before anything is sent to a device.
namespace PasswordRules {

enum Fault
{
    Ok,
    Empty,    ///< nothing typed
    Mismatch, ///< the confirmation differs from the new password
    Blank     ///< a blank (any white space) anywhere, leading and trailing included
};

/// The password typed to unlock or change a lock.
Fault checkEntry(const QString& password);
/// A new password and its confirmation; the checks run in the order empty, mismatch, blank.
Fault checkNew(const QString& newPassword, const QString& confirmation);
/// Changing a password: the old one must be typed, then the new one passes checkNew.
Fault checkChange(const QString& oldPassword, const QString& newPassword, const QString& confirmation);

/// The tip shown for a fault, translated (context "PasswordRules"); empty for Ok.
QString text(Fault fault);

} // namespace PasswordRules

#pragma once
#include <QByteArray>
#include <QJsonObject>

/// Passwords travel in lock and password requests and may come back in replies; whatever hands a request or
/// reply to a window, a log or standard output hands it through here.
namespace LogRedaction {

/// What a secret value is shown as.
extern const char* const kMask;

/// The text of a JSON object with the values of "password", "old" and "new" (at any depth) replaced by
/// kMask; an empty text stays empty, so a reader can still tell "no password" from "a password". An object
/// with nothing to mask comes back byte for byte. Text that is not a JSON object is returned unchanged when it
/// names none of those keys, and as "<N bytes withheld>" when it might hold one.
QByteArray redacted(const QByteArray& text);
/// The same for an object already parsed.
QJsonObject redacted(const QJsonObject& obj);

} // namespace LogRedaction

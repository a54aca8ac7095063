#pragma once
#include <QByteArray>
#include <QJsonObject>

/// Passwords travel in lock and password requests and may come back in replies; whatever writes a
/// request or reply to a log or to standard output writes it through here.
namespace LogRedaction {

/// The text of a JSON object with the values of "password", "old" and "new" (at any depth) replaced
/// by "***". Text that is not a JSON object is returned unchanged when it names none of those keys,
/// and as "<N bytes withheld>" when it might hold one.
QByteArray redacted(const QByteArray& text);
/// The same for an object already parsed.
QJsonObject redacted(const QJsonObject& obj);

} // namespace LogRedaction

#pragma once
// Reading JSON that came from the network or a file. Qt 5's parser leaks the object or array that a repeated
// member name replaces (some kilobytes per datagram, forever), so a text that repeats a member name in one
// object with an object or array as either value is refused before Qt reads it. Repeated members with plain
// values are left alone: Qt keeps the last one and nothing leaks.

#include <QByteArray>
#include <QJsonDocument>

namespace dvm {

/// Byte offset of the first member name that appears twice in one object where either value is an object or
/// an array; -1 when there is none. Reading stops, giving -1, where the text stops being JSON: Qt's parser
/// stops at the same place, so nothing after it can be replaced.
int repeatedContainerMember(const char* data, int length);

enum class JsonVerdict
{
    Parsed,    ///< a JSON object or array
    Malformed, ///< not JSON (Qt's parser refused it)
    Refused    ///< JSON, but a repeated member would leak in Qt's parser; not parsed
};

/// QJsonDocument::fromJson for untrusted text; *doc is null unless the verdict is Parsed.
JsonVerdict parseUntrustedJson(const QByteArray& text, QJsonDocument* doc);

} // namespace dvm

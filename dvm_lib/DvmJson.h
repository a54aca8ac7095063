#pragma once
// Reading the registry's JSON envelope: numbers travel as decimal text, addresses as dotted text,
// texts go into fixed NUL-terminated fields. Private to dvm_lib.

#include <QJsonValue>
#include <QString>
#include <cstddef>
#include <cstdint>

namespace dvm {

/// Decimal text (or, leniently, a JSON number) to an integer saturated to the int64 range.
/// Returns false, with *out 0, for an absent value or one that is not a number.
bool readInt64(const QJsonValue& value, int64_t* out);
/// Decimal member saturated to the int32 range; 0 when absent or not a number.
int32_t readInt32(const QJsonValue& value);
/// Clamps a wide value into [lo, hi].
inline int64_t clamp64(int64_t v, int64_t lo, int64_t hi)
{
    return v < lo ? lo : (v > hi ? hi : v);
}

/// Copies a JSON string as UTF-8 into out[size], cut at a character boundary to at most size - 1
/// bytes and NUL-terminated. A value that is not a string gives "".
void readText(const QJsonValue& value, char* out, int size);
/// UTF-16 to UTF-8 into out[size] with the same cutting rule; returns the bytes written.
int utf16ToUtf8(const QChar* text, int length, char* out, int size);
/// Copies bytes into out[size], cut at a UTF-8 character boundary, NUL-terminated.
void copyCut(const char* text, size_t length, char* out, size_t size);

/// Dotted address over [begin, end): see dvm_parseIp.
uint32_t parseIpRange(const char* begin, const char* end);

} // namespace dvm

#pragma once
// A validating, allocation-free reader for the flat JSON objects of the device multicast socket.
// Announcements arrive from every device every second or so; reading them through QJsonDocument
// allocates a QString per member, so the hot path reads members as slices of the datagram instead.
// Accepts the texts that QJsonDocument::fromJson accepts as an object and reads the same values,
// except that it refuses a NUL inside a string and a backslash before a non-ASCII byte (which
// QJsonDocument garbles), and that of duplicate keys the last one counts. Private to dvm_lib.

#include <cstdint>

/// One member value: a slice of the datagram (a string without its quotes, escapes undone on read).
struct JsonSlice
{
    enum Kind : uint8_t
    {
        Absent = 0,
        String,
        Number,
        Literal,
        Nested
    };
    const char* text = nullptr;
    int length = 0;
    Kind kind = Absent;
    bool escaped = false; ///< a string with backslash escapes
};

class FlatJson
{
public:
    /// Validates [data, data + length) as one JSON object (nested values are checked and skipped)
    /// and keeps for each of `names` (at most 64) the value of its last top-level occurrence in out[i].
    /// Returns false, with every out[i] absent, when the text is not a JSON object.
    static bool parse(const char* data, int length, const char* const names[], int count, JsonSlice out[]);

    /// A string value as UTF-8 into out[size], cut at a character boundary to size - 1 bytes;
    /// anything else gives "".
    static void readText(const JsonSlice& value, char* out, int size);
    /// Decimal text (or a number) saturated to int64; false, with *out 0, when absent or not a number.
    static bool readInt64(const JsonSlice& value, int64_t* out);
    /// Decimal member saturated to the int32 range; 0 when absent or not a number.
    static int32_t readInt32(const JsonSlice& value);
    /// Dotted text of a string value, as dvm_parseIp reads it; 0 for anything else.
    static uint32_t readIp(const JsonSlice& value);
    /// True when the value is a string equal to `text` (ASCII).
    static bool equals(const JsonSlice& value, const char* text);
};

// SAP/SDP announcements of multicast streams. Hostile input: every read is bounded by the
// datagram, numbers saturate instead of overflowing, and nothing depends on the C locale.

#include "DvmJson.h"
#include "DvmState.h"

#include <cmath>
#include <cstddef>
#include <cstring>
#include <string_view>

using namespace dvm;

namespace {

constexpr size_t kSdpOffset = 24;                  // SAP header with IPv4 origin, no authentication, then the type
constexpr char kPayloadType[] = "application/sdp"; // with its NUL: 16 bytes at offset 8
constexpr std::string_view::size_type npos = std::string_view::npos;

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

int digitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return 99;
}

/// A C integer with automatic base ("0x" hexadecimal, leading "0" octal) starting at pos, like
/// strtol with base 0 but bounded by the text and saturating at +-2^62. No digits gives 0.
int64_t readAutoInt(std::string_view text, size_t pos)
{
    size_t p = pos;
    while (p < text.size() && isSpace(text[p]))
        ++p;
    bool negative = false;
    if (p < text.size() && (text[p] == '+' || text[p] == '-')) {
        negative = text[p] == '-';
        ++p;
    }
    int base = 10;
    if (p < text.size() && text[p] == '0') {
        base = 8;
        if (p + 2 < text.size() && (text[p + 1] == 'x' || text[p + 1] == 'X') && digitValue(text[p + 2]) < 16) {
            base = 16;
            p += 2;
        }
    }
    const int64_t cap = int64_t(1) << 62;
    int64_t value = 0;
    for (; p < text.size(); ++p) {
        const int d = digitValue(text[p]);
        if (d >= base)
            break;
        value = value > (cap - d) / base ? cap : value * base + d;
    }
    return negative ? -value : value;
}

/// A decimal fraction such as "0.125" at pos; blanks and a sign as strtod takes them.
double readFraction(std::string_view text, size_t pos)
{
    size_t p = pos;
    while (p < text.size() && isSpace(text[p]))
        ++p;
    bool negative = false;
    if (p < text.size() && (text[p] == '+' || text[p] == '-')) {
        negative = text[p] == '-';
        ++p;
    }
    // All digits as one mantissa, divided once: "0.125" comes out as exact as strtod gives it.
    double mantissa = 0.0;
    double divisor = 1.0;
    for (; p < text.size() && text[p] >= '0' && text[p] <= '9'; ++p)
        mantissa = mantissa * 10.0 + (text[p] - '0');
    if (p < text.size() && text[p] == '.') {
        for (++p; p < text.size() && text[p] >= '0' && text[p] <= '9'; ++p) {
            mantissa = mantissa * 10.0 + (text[p] - '0');
            divisor *= 10.0;
        }
    }
    double value = mantissa / divisor;
    if (std::isnan(value))
        value = 0.0; // inf / inf from absurdly long digit strings
    return negative ? -value : value;
}

uint32_t readIp(std::string_view text, size_t pos)
{
    return pos < text.size() ? parseIpRange(text.data() + pos, text.data() + text.size()) : 0;
}

/// Position just behind the first occurrence of `key` at or after `from`, or npos.
size_t after(std::string_view text, std::string_view key, size_t from = 0)
{
    const size_t at = text.find(key, from);
    return at == npos ? npos : at + key.size();
}

int32_t toInt32(int64_t v)
{
    return static_cast<int32_t>(clamp64(v, INT32_MIN, INT32_MAX));
}

} // namespace

int parseSapAnnounce(const char* data, int length, McastRecord* out)
{
    if (!data || !out || length < static_cast<int>(kSdpOffset))
        return 0;
    if (std::memcmp(data + 8, kPayloadType, sizeof kPayloadType) != 0)
        return 0;
    // The text ends at the datagram's end or at a NUL inside it, whichever comes first.
    const char* begin = data + kSdpOffset;
    const void* nul = std::memchr(begin, '\0', static_cast<size_t>(length) - kSdpOffset);
    const char* end = nul ? static_cast<const char*>(nul) : data + length;
    const std::string_view sdp(begin, static_cast<size_t>(end - begin));

    McastRecord rec;
    std::memset(&rec, 0, sizeof rec);

    size_t p = after(sdp, "s=");
    if (p == npos)
        return 0;
    size_t nameEnd = sdp.find('\n', p);
    if (nameEnd == npos)
        nameEnd = sdp.size();
    // The name is kept byte for byte up to the LF: a CR before it stays (views may trim it for display).
    copyCut(sdp.data() + p, nameEnd - p, rec.name, sizeof rec.name);

    p = after(sdp, "a=source-filter: incl IN IP4 ");
    if (p != npos) {
        rec.stream.dstIp = readIp(sdp, p);
        const size_t blank = sdp.find(' ', p);
        if (blank == npos)
            return 0;
        rec.stream.srcIp = readIp(sdp, blank + 1);
    } else {
        const size_t origin = after(sdp, " IN IP4 ");
        const size_t conn = after(sdp, "c=IN IP4 ");
        if (origin == npos || conn == npos)
            return 0;
        rec.stream.srcIp = readIp(sdp, origin);
        rec.stream.dstIp = readIp(sdp, conn);
    }

    p = after(sdp, "m=audio ");
    if (p == npos)
        return 0;
    const int64_t port = readAutoInt(sdp, p);

    p = after(sdp, "a=rtpmap:");
    if (p == npos || (p = after(sdp, " L", p)) == npos)
        return 0;
    const int64_t bits = readAutoInt(sdp, p);
    if ((p = after(sdp, "/", p)) == npos)
        return 0;
    const int64_t rate = readAutoInt(sdp, p);
    if ((p = after(sdp, "/", p)) == npos)
        return 0;
    const int64_t chNum = readAutoInt(sdp, p);

    p = after(sdp, "a=ptime:");
    if (p == npos)
        return 0;
    const double ptime = readFraction(sdp, p);

    p = after(sdp, "a=ts-refclk:ptp=IEEE1588-2008:");
    if (p == npos)
        return 0;
    const size_t clkLen = sdp.size() - p < 23 ? sdp.size() - p : 23;
    std::memcpy(rec.ptpClockId, sdp.data() + p, clkLen);

    p = after(sdp, "a=mediaclk:direct=");
    if (p == npos)
        return 0;
    // An unsigned offset saturates like a 32-bit strtoul; a negative one wraps as strtoul's does.
    const int64_t offset = readAutoInt(sdp, p);
    rec.stream.rtpTsOffset =
        offset < 0 ? static_cast<uint32_t>(offset) : static_cast<uint32_t>(clamp64(offset, 0, UINT32_MAX));

    // Validate on the full-width values so that nothing wraps into range.
    const int64_t byteNum = bits / 8;
    if (chNum < 1 || chNum > 8 || byteNum < 1 || byteNum > 4 || rec.stream.srcIp == 0 || rec.stream.dstIp == 0 ||
        port < 1 || port > 65535)
        return 0;
    rec.stream.dstPort = static_cast<uint16_t>(port);
    rec.stream.chNum = static_cast<uint8_t>(chNum);
    rec.stream.sampleByteNum = static_cast<uint8_t>(byteNum);
    rec.sampleRate = toInt32(rate);
    const double frames = static_cast<double>(rec.sampleRate / 1000) * ptime + 0.01;
    if (std::isnan(frames))
        rec.frames = 0;
    else if (frames >= 2147483647.0)
        rec.frames = INT32_MAX;
    else if (frames <= -2147483648.0)
        rec.frames = INT32_MIN;
    else
        rec.frames = static_cast<int32_t>(frames); // truncation toward zero

    copyCut(sdp.data(), sdp.size(), rec.sdp, sizeof rec.sdp);
    std::memcpy(out, &rec, offsetof(McastRecord, lifeMs)); // lifeMs is the caller's
    return 1;
}

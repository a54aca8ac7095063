#include "DvmJson.h"

#include "DevManager.h"

#include <QJsonValue>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace dvm {

namespace {

inline unsigned charCode(char c)
{
    return static_cast<unsigned char>(c);
}
inline unsigned charCode(QChar c)
{
    return c.unicode();
}

inline bool isBlank(unsigned c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

/// Decimal integer over [p, end): optional blanks and sign, digits, optional trailing blanks.
template <typename Ch> bool parseDecimal(const Ch* p, const Ch* end, int64_t* out)
{
    while (p < end && isBlank(charCode(*p)))
        ++p;
    bool negative = false;
    if (p < end && (charCode(*p) == '-' || charCode(*p) == '+')) {
        negative = charCode(*p) == '-';
        ++p;
    }
    const Ch* digits = p;
    uint64_t value = 0;
    bool saturated = false;
    for (; p < end; ++p) {
        const unsigned c = charCode(*p);
        if (c < '0' || c > '9')
            break;
        if (value > (uint64_t(INT64_MAX) - 9) / 10)
            saturated = true;
        else
            value = value * 10 + (c - '0');
    }
    if (p == digits)
        return false;
    while (p < end && isBlank(charCode(*p)))
        ++p;
    if (p != end)
        return false;
    if (saturated)
        *out = negative ? INT64_MIN : INT64_MAX;
    else
        *out = negative ? -static_cast<int64_t>(value) : static_cast<int64_t>(value);
    return true;
}

/// Parts above 255 would silently name another host: such an address reads as 0 (invalid).
template <typename Ch> uint32_t parseIpChars(const Ch* p, const Ch* end)
{
    uint32_t ip = 0;
    for (int part = 0; part < 4; ++part) {
        uint32_t value = 0;
        const Ch* digits = p;
        while (p < end && charCode(*p) >= '0' && charCode(*p) <= '9') {
            if (value <= 255)
                value = value * 10 + (charCode(*p) - '0');
            ++p;
        }
        if (p == digits)
            break; // a missing part ends the reading
        if (value > 255)
            return 0;
        ip = (ip << 8) | value;
        if (p >= end || charCode(*p) != '.')
            break;
        ++p;
    }
    return ip;
}

} // namespace

bool readInt64(const QJsonValue& value, int64_t* out)
{
    *out = 0;
    if (value.isString()) {
        const QString text = value.toString();
        return parseDecimal(text.constData(), text.constData() + text.size(), out);
    }
    if (value.isDouble()) {
        const double d = value.toDouble();
        if (!std::isfinite(d))
            return false;
        if (d >= 9.2e18)
            *out = INT64_MAX;
        else if (d <= -9.2e18)
            *out = INT64_MIN;
        else
            *out = static_cast<int64_t>(d);
        return true;
    }
    return false;
}

int32_t readInt32(const QJsonValue& value)
{
    int64_t v = 0;
    readInt64(value, &v);
    return static_cast<int32_t>(clamp64(v, INT32_MIN, INT32_MAX));
}

int utf16ToUtf8(const QChar* text, int length, char* out, int size)
{
    int n = 0;
    for (int i = 0; i < length; ++i) {
        uint32_t cp = text[i].unicode();
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < length && text[i + 1].unicode() >= 0xDC00 &&
            text[i + 1].unicode() <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1].unicode() - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD; // lone surrogate
        }
        char buf[4];
        int len;
        if (cp < 0x80) {
            buf[0] = static_cast<char>(cp);
            len = 1;
        } else if (cp < 0x800) {
            buf[0] = static_cast<char>(0xC0 | (cp >> 6));
            buf[1] = static_cast<char>(0x80 | (cp & 0x3F));
            len = 2;
        } else if (cp < 0x10000) {
            buf[0] = static_cast<char>(0xE0 | (cp >> 12));
            buf[1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            buf[2] = static_cast<char>(0x80 | (cp & 0x3F));
            len = 3;
        } else {
            buf[0] = static_cast<char>(0xF0 | (cp >> 18));
            buf[1] = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            buf[2] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            buf[3] = static_cast<char>(0x80 | (cp & 0x3F));
            len = 4;
        }
        if (n + len > size - 1)
            break; // never split a character
        std::memcpy(out + n, buf, static_cast<size_t>(len));
        n += len;
    }
    out[n] = '\0';
    return n;
}

void readText(const QJsonValue& value, char* out, int size)
{
    if (!value.isString()) {
        out[0] = '\0';
        return;
    }
    const QString text = value.toString();
    utf16ToUtf8(text.constData(), text.size(), out, size);
}

void copyCut(const char* text, size_t length, char* out, size_t size)
{
    size_t n = length < size - 1 ? length : size - 1;
    if (n < length) {
        // text[n] continuing a character means the cut splits it; a character has at most three
        // continuation bytes, so stray ones further back are left alone.
        for (size_t back = 0; back < 3 && n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80; ++back)
            --n;
    }
    std::memcpy(out, text, n);
    out[n] = '\0';
}

uint32_t parseIpRange(const char* begin, const char* end)
{
    return parseIpChars(begin, end);
}

} // namespace dvm

uint32_t dvm_parseIp(const char* text)
{
    if (!text)
        return 0;
    return dvm::parseIpChars(text, text + std::strlen(text));
}

uint32_t dvm_parseIp(const QString& text)
{
    return dvm::parseIpChars(text.constData(), text.constData() + text.size());
}

QString dvm_ipToString(uint32_t ip)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "%u.%u.%u.%u", ip >> 24, (ip >> 16) & 0xFF, (ip >> 8) & 0xFF, ip & 0xFF);
    return QString::fromLatin1(buf);
}

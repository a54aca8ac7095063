#include "FlatJson.h"

#include "DvmJson.h"

#include <QByteArray>
#include <cmath>
#include <cstring>

namespace {

constexpr int kNestingLimit = 1024; // as QJsonDocument

class Scanner
{
public:
    Scanner(const char* data, int length) : p(reinterpret_cast<const unsigned char*>(data)), end(p + length) {}

    bool parseObject(const char* const names[], int count, JsonSlice out[]);

private:
    void skipSpace()
    {
        while (p < end && (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r'))
            ++p;
    }
    bool scanString(JsonSlice* s);
    bool scanUtf8();
    bool scanNumber();
    bool scanLiteral();
    bool scanValue(int depth, JsonSlice* s);
    bool scanNested(int depth);

    const unsigned char* p;
    const unsigned char* const end;
};

inline int hexValue(unsigned char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// One UTF-8 character at p (first byte >= 0x80): well-formed, shortest form, no surrogates.
bool Scanner::scanUtf8()
{
    const unsigned char c = *p;
    int n;
    uint32_t cp;
    if (c >= 0xC2 && c <= 0xDF) {
        n = 1;
        cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
        n = 2;
        cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        n = 3;
        cp = c & 0x07;
    } else {
        return false;
    }
    if (end - p <= n)
        return false;
    for (int i = 1; i <= n; ++i) {
        if ((p[i] & 0xC0) != 0x80)
            return false;
        cp = (cp << 6) | (p[i] & 0x3F);
    }
    if ((n == 2 && cp < 0x800) || (n == 3 && (cp < 0x10000 || cp > 0x10FFFF)) || (cp >= 0xD800 && cp <= 0xDFFF))
        return false;
    p += n + 1;
    return true;
}

bool Scanner::scanString(JsonSlice* s)
{
    ++p; // opening quote
    const unsigned char* start = p;
    bool escaped = false;
    while (p < end) {
        const unsigned char c = *p;
        if (c == '"') {
            if (s) {
                s->text = reinterpret_cast<const char*>(start);
                s->length = static_cast<int>(p - start);
                s->kind = JsonSlice::String;
                s->escaped = escaped;
            }
            ++p;
            return true;
        }
        if (c == 0)
            return false; // a NUL would cut the text short once stored; refused as malformed
        if (c == '\\') {
            escaped = true;
            if (++p >= end)
                return false;
            switch (*p) {
            case '"':
            case '\\':
            case '/':
            case 'b':
            case 'f':
            case 'n':
            case 'r':
            case 't':
                ++p;
                break;
            default:
                // QJsonDocument reads an unknown escape as the character itself; it garbles a
                // non-ASCII byte there, which is refused instead.
                if (*p >= 0x80)
                    return false;
                ++p;
                break;
            case 'u':
                if (end - p < 5)
                    return false;
                for (int i = 1; i <= 4; ++i) {
                    if (hexValue(p[i]) < 0)
                        return false;
                }
                p += 5;
                break;
            }
            continue;
        }
        if (c >= 0x80) {
            if (!scanUtf8())
                return false;
            continue;
        }
        ++p;
    }
    return false;
}

// The number syntax of QJsonDocument, which is looser than the grammar (".5" and "1." pass):
// an optional '-', digits, an optional '.' with digits, an optional exponent, and then the
// text must convert to a finite double.
bool Scanner::scanNumber()
{
    const unsigned char* start = p;
    bool strict = true; // within the JSON grammar and short enough to be a valid integer
    if (p < end && *p == '-')
        ++p;
    const unsigned char* digits = p;
    if (p < end && *p == '0') {
        ++p;
    } else {
        while (p < end && *p >= '0' && *p <= '9')
            ++p;
    }
    if (p == digits || p - start > 18)
        strict = false;
    if (p < end && *p == '.') {
        strict = false;
        ++p;
        while (p < end && *p >= '0' && *p <= '9')
            ++p;
    }
    if (p < end && (*p == 'e' || *p == 'E')) {
        strict = false;
        ++p;
        if (p < end && (*p == '+' || *p == '-'))
            ++p;
        while (p < end && *p >= '0' && *p <= '9')
            ++p;
    }
    if (strict)
        return true;
    bool ok = false;
    QByteArray::fromRawData(reinterpret_cast<const char*>(start), static_cast<int>(p - start)).toDouble(&ok);
    return ok;
}

bool Scanner::scanLiteral()
{
    static const char* const literals[] = {"true", "false", "null"};
    for (const char* lit : literals) {
        const size_t n = std::strlen(lit);
        if (static_cast<size_t>(end - p) >= n && std::memcmp(p, lit, n) == 0) {
            p += n;
            return true;
        }
    }
    return false;
}

bool Scanner::scanNested(int depth)
{
    if (depth > kNestingLimit)
        return false;
    const bool object = *p == '{';
    const unsigned char close = object ? '}' : ']';
    ++p;
    skipSpace();
    if (p < end && *p == close) {
        ++p;
        return true;
    }
    for (;;) {
        if (object) {
            if (p >= end || *p != '"' || !scanString(nullptr))
                return false;
            skipSpace();
            if (p >= end || *p != ':')
                return false;
            ++p;
            skipSpace();
        }
        if (!scanValue(depth, nullptr))
            return false;
        skipSpace();
        if (p >= end)
            return false;
        if (*p == close) {
            ++p;
            return true;
        }
        if (*p != ',')
            return false;
        ++p;
        skipSpace();
    }
}

bool Scanner::scanValue(int depth, JsonSlice* s)
{
    if (p >= end)
        return false;
    const unsigned char* start = p;
    JsonSlice::Kind kind;
    switch (*p) {
    case '"':
        return scanString(s);
    case '{':
    case '[':
        if (!scanNested(depth + 1))
            return false;
        kind = JsonSlice::Nested;
        break;
    case 't':
    case 'f':
    case 'n':
        if (!scanLiteral())
            return false;
        kind = JsonSlice::Literal;
        break;
    default:
        if (!scanNumber())
            return false;
        kind = JsonSlice::Number;
        break;
    }
    if (s) {
        s->text = reinterpret_cast<const char*>(start);
        s->length = static_cast<int>(p - start);
        s->kind = kind;
        s->escaped = false;
    }
    return true;
}

/// Walks the code points of a validated string slice, undoing escapes.
class Cursor
{
public:
    explicit Cursor(const JsonSlice& s)
        : p(reinterpret_cast<const unsigned char*>(s.text)), end(p + (s.kind == JsonSlice::String ? s.length : 0))
    {
        advance();
    }
    int32_t cur = -1; ///< current code point, -1 at the end

    void advance()
    {
        if (p >= end) {
            cur = -1;
            return;
        }
        const unsigned char c = *p;
        if (c == '\\') {
            cur = unescape();
            return;
        }
        if (c < 0x80) {
            cur = c;
            ++p;
            return;
        }
        const int n = c >= 0xF0 ? 3 : (c >= 0xE0 ? 2 : 1);
        uint32_t cp = c & (0x3F >> n);
        for (int i = 1; i <= n; ++i)
            cp = (cp << 6) | (p[i] & 0x3F);
        p += n + 1;
        cur = static_cast<int32_t>(cp);
    }

private:
    uint32_t hex4(const unsigned char* q) const
    {
        return static_cast<uint32_t>((hexValue(q[0]) << 12) | (hexValue(q[1]) << 8) | (hexValue(q[2]) << 4) |
                                     hexValue(q[3]));
    }
    int32_t unescape()
    {
        const unsigned char e = p[1];
        p += 2;
        switch (e) {
        case 'b':
            return '\b';
        case 'f':
            return '\f';
        case 'n':
            return '\n';
        case 'r':
            return '\r';
        case 't':
            return '\t';
        case 'u':
            break;
        default:
            return e; // '"', '\\' or '/'
        }
        const uint32_t unit = hex4(p);
        p += 4;
        if (unit >= 0xD800 && unit <= 0xDBFF && end - p >= 6 && p[0] == '\\' && p[1] == 'u') {
            const uint32_t low = hex4(p + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                p += 6;
                return static_cast<int32_t>(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
            }
        }
        if (unit >= 0xD800 && unit <= 0xDFFF)
            return 0xFFFD; // lone surrogate
        return static_cast<int32_t>(unit);
    }

    const unsigned char* p;
    const unsigned char* end;
};

bool matchKey(const JsonSlice& key, const char* name, int nameLength)
{
    if (!key.escaped)
        return key.length == nameLength && std::memcmp(key.text, name, static_cast<size_t>(nameLength)) == 0;
    return FlatJson::equals(key, name);
}

} // namespace

bool Scanner::parseObject(const char* const names[], int count, JsonSlice out[])
{
    enum
    {
        kMaxNames = 64
    };
    int nameLength[kMaxNames];
    if (count > kMaxNames)
        count = kMaxNames;
    for (int i = 0; i < count; ++i)
        nameLength[i] = static_cast<int>(std::strlen(names[i]));
    if (end - p >= 3 && p[0] == 0xEF && p[1] == 0xBB && p[2] == 0xBF)
        p += 3; // byte order mark
    skipSpace();
    if (p >= end || *p != '{')
        return false;
    ++p;
    skipSpace();
    if (p < end && *p == '}') {
        ++p;
    } else {
        for (;;) {
            JsonSlice key;
            if (p >= end || *p != '"' || !scanString(&key))
                return false;
            skipSpace();
            if (p >= end || *p != ':')
                return false;
            ++p;
            skipSpace();
            JsonSlice value;
            if (!scanValue(1, &value))
                return false;
            // QJsonDocument drops a byte order mark that opens a string value without escapes.
            if (value.kind == JsonSlice::String && !value.escaped && value.length >= 3 &&
                std::memcmp(value.text, "\xEF\xBB\xBF", 3) == 0) {
                value.text += 3;
                value.length -= 3;
            }
            for (int i = 0; i < count; ++i) {
                if (matchKey(key, names[i], nameLength[i])) {
                    out[i] = value; // the last occurrence wins; QJsonDocument's pick among duplicates varies
                    break;
                }
            }
            skipSpace();
            if (p >= end)
                return false;
            if (*p == '}') {
                ++p;
                break;
            }
            if (*p != ',')
                return false;
            ++p;
            skipSpace();
        }
    }
    skipSpace();
    return p == end;
}

bool FlatJson::parse(const char* data, int length, const char* const names[], int count, JsonSlice out[])
{
    for (int i = 0; i < count; ++i)
        out[i] = JsonSlice();
    if (!data || length <= 0)
        return false;
    Scanner scanner(data, length);
    if (scanner.parseObject(names, count, out))
        return true;
    for (int i = 0; i < count; ++i)
        out[i] = JsonSlice();
    return false;
}

void FlatJson::readText(const JsonSlice& value, char* out, int size)
{
    if (value.kind != JsonSlice::String) {
        out[0] = '\0';
        return;
    }
    if (!value.escaped) {
        dvm::copyCut(value.text, static_cast<size_t>(value.length), out, static_cast<size_t>(size));
        return;
    }
    int n = 0;
    for (Cursor c(value); c.cur >= 0; c.advance()) {
        const uint32_t cp = static_cast<uint32_t>(c.cur);
        char buf[4];
        int bytes;
        if (cp < 0x80) {
            buf[0] = static_cast<char>(cp);
            bytes = 1;
        } else if (cp < 0x800) {
            buf[0] = static_cast<char>(0xC0 | (cp >> 6));
            buf[1] = static_cast<char>(0x80 | (cp & 0x3F));
            bytes = 2;
        } else if (cp < 0x10000) {
            buf[0] = static_cast<char>(0xE0 | (cp >> 12));
            buf[1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            buf[2] = static_cast<char>(0x80 | (cp & 0x3F));
            bytes = 3;
        } else {
            buf[0] = static_cast<char>(0xF0 | (cp >> 18));
            buf[1] = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            buf[2] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            buf[3] = static_cast<char>(0x80 | (cp & 0x3F));
            bytes = 4;
        }
        if (n + bytes > size - 1)
            break; // never split a character
        std::memcpy(out + n, buf, static_cast<size_t>(bytes));
        n += bytes;
    }
    out[n] = '\0';
}

bool FlatJson::readInt64(const JsonSlice& value, int64_t* out)
{
    *out = 0;
    if (value.kind == JsonSlice::Number) {
        bool ok = false;
        const QByteArray text = QByteArray::fromRawData(value.text, value.length);
        const qlonglong whole = text.toLongLong(&ok);
        if (ok) {
            *out = whole;
            return true;
        }
        const double d = text.toDouble(&ok);
        if (!ok || !std::isfinite(d))
            return false;
        *out = d >= 9.2e18 ? INT64_MAX : (d <= -9.2e18 ? INT64_MIN : static_cast<int64_t>(d));
        return true;
    }
    if (value.kind != JsonSlice::String)
        return false;
    // Blanks, a sign, digits, blanks: the same rule as for QJsonValue members.
    int state = 0; // 0 leading blanks, 1 sign seen, 2 digits, 3 trailing blanks
    bool negative = false;
    bool saturated = false;
    uint64_t v = 0;
    for (Cursor c(value); c.cur >= 0; c.advance()) {
        const int32_t ch = c.cur;
        const bool blank = ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n';
        if (state == 0 && blank)
            continue;
        if (state == 0 && (ch == '-' || ch == '+')) {
            negative = ch == '-';
            state = 1;
            continue;
        }
        if (state <= 2 && ch >= '0' && ch <= '9') {
            if (v > (uint64_t(INT64_MAX) - 9) / 10)
                saturated = true;
            else
                v = v * 10 + static_cast<uint64_t>(ch - '0');
            state = 2;
            continue;
        }
        if (state >= 2 && blank) {
            state = 3;
            continue;
        }
        return false;
    }
    if (state < 2)
        return false;
    if (saturated)
        *out = negative ? INT64_MIN : INT64_MAX;
    else
        *out = negative ? -static_cast<int64_t>(v) : static_cast<int64_t>(v);
    return true;
}

int32_t FlatJson::readInt32(const JsonSlice& value)
{
    int64_t v = 0;
    readInt64(value, &v);
    return static_cast<int32_t>(dvm::clamp64(v, INT32_MIN, INT32_MAX));
}

uint32_t FlatJson::readIp(const JsonSlice& value)
{
    if (value.kind != JsonSlice::String)
        return 0;
    if (!value.escaped)
        return dvm::parseIpRange(value.text, value.text + value.length);
    Cursor c(value);
    uint32_t ip = 0;
    for (int part = 0; part < 4; ++part) {
        uint32_t v = 0;
        int digits = 0;
        for (; c.cur >= '0' && c.cur <= '9'; c.advance(), ++digits) {
            if (v <= 255)
                v = v * 10 + static_cast<uint32_t>(c.cur - '0');
        }
        if (digits == 0)
            break;
        if (v > 255)
            return 0;
        ip = (ip << 8) | v;
        if (c.cur != '.')
            break;
        c.advance();
    }
    return ip;
}

bool FlatJson::equals(const JsonSlice& value, const char* text)
{
    if (value.kind != JsonSlice::String)
        return false;
    if (!value.escaped) {
        const size_t n = std::strlen(text);
        return static_cast<size_t>(value.length) == n && std::memcmp(value.text, text, n) == 0;
    }
    Cursor c(value);
    for (; *text; ++text, c.advance()) {
        if (c.cur != static_cast<unsigned char>(*text))
            return false;
    }
    return c.cur < 0;
}

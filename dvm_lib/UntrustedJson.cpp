#include "UntrustedJson.h"

#include <string>
#include <unordered_map>
#include <vector>

namespace dvm {
namespace {

// Qt's parser refuses deeper nesting, so nothing below it can be replaced.
constexpr int kMaxDepth = 1024;

struct Frame
{
    bool object = false;
    std::unordered_map<std::u16string, bool> containerValued; // member name -> was any value a container
};

class Scanner
{
public:
    Scanner(const char* data, int length) : m_s(data), m_n(length) {}

    int run();

private:
    void skipSpace()
    {
        while (m_pos < m_n && (m_s[m_pos] == ' ' || m_s[m_pos] == '\t' || m_s[m_pos] == '\n' || m_s[m_pos] == '\r'))
            ++m_pos;
    }
    char peek() const { return m_pos < m_n ? m_s[m_pos] : '\0'; }
    bool readString(std::u16string* out);
    bool readUtf8(std::u16string* out);
    bool readEscape(std::u16string* out);
    bool skipScalar();

    const char* m_s;
    int m_n;
    int m_pos = 0;
};

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool Scanner::readEscape(std::u16string* out)
{
    // m_pos is on the character after the backslash.
    if (m_pos >= m_n)
        return false;
    const char c = m_s[m_pos++];
    char16_t unit = 0;
    switch (c) {
    case '"':
    case '\\':
    case '/':
        unit = static_cast<char16_t>(c);
        break;
    case 'b':
        unit = u'\b';
        break;
    case 'f':
        unit = u'\f';
        break;
    case 'n':
        unit = u'\n';
        break;
    case 'r':
        unit = u'\r';
        break;
    case 't':
        unit = u'\t';
        break;
    case 'u': {
        if (m_n - m_pos < 4)
            return false;
        int v = 0;
        for (int i = 0; i < 4; ++i) {
            const int h = hexValue(m_s[m_pos + i]);
            if (h < 0)
                return false;
            v = v * 16 + h;
        }
        m_pos += 4;
        unit = static_cast<char16_t>(v);
        break;
    }
    default:
        // Qt takes any other escaped byte as the character of that value, so "\q" names the same member as "q".
        unit = static_cast<unsigned char>(c);
        break;
    }
    if (out)
        out->push_back(unit);
    return true;
}

bool Scanner::readUtf8(std::u16string* out)
{
    // One character of raw UTF-8 as UTF-16 units, the way Qt compares member names.
    const auto byte = [this](int i) { return static_cast<unsigned char>(m_s[m_pos + i]); };
    const unsigned char lead = byte(0);
    int extra = 0;
    char32_t cp = 0;
    if (lead < 0x80) {
        cp = lead;
    } else if ((lead & 0xE0) == 0xC0) {
        extra = 1;
        cp = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2;
        cp = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3;
        cp = lead & 0x07;
    } else {
        return false;
    }
    if (m_n - m_pos <= extra)
        return false;
    for (int i = 1; i <= extra; ++i) {
        if ((byte(i) & 0xC0) != 0x80)
            return false;
        cp = (cp << 6) | (byte(i) & 0x3F);
    }
    m_pos += extra + 1;
    if (out == nullptr)
        return true;
    if (cp >= 0x10000) {
        cp -= 0x10000;
        out->push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
        out->push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
        out->push_back(static_cast<char16_t>(cp));
    }
    return true;
}

bool Scanner::readString(std::u16string* out)
{
    // m_pos is on the opening quote.
    ++m_pos;
    while (m_pos < m_n) {
        const char c = m_s[m_pos];
        if (c == '"') {
            ++m_pos;
            return true;
        }
        if (c == '\\') {
            ++m_pos;
            if (!readEscape(out))
                return false;
        } else if (!readUtf8(out)) {
            return false;
        }
    }
    return false;
}

bool Scanner::skipScalar()
{
    // Numbers and the literals; their exact grammar does not matter here, only where they end.
    const int start = m_pos;
    while (m_pos < m_n) {
        const char c = m_s[m_pos];
        if ((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '-' || c == '+' ||
            c == '.')
            ++m_pos;
        else
            break;
    }
    return m_pos > start;
}

int Scanner::run()
{
    std::vector<Frame> stack;
    skipSpace();
    if (peek() != '{' && peek() != '[')
        return -1;
    enum State
    {
        Value,
        Member,
        After
    } state = Value;
    for (;;) {
        skipSpace();
        if (state == Value) {
            const char c = peek();
            if (c == '{' || c == '[') {
                if (static_cast<int>(stack.size()) >= kMaxDepth)
                    return -1;
                ++m_pos;
                stack.emplace_back();
                stack.back().object = c == '{';
                skipSpace();
                if (peek() == (c == '{' ? '}' : ']')) {
                    ++m_pos;
                    stack.pop_back();
                    state = After;
                } else {
                    state = c == '{' ? Member : Value;
                }
            } else if (c == '"') {
                if (!readString(nullptr))
                    return -1;
                state = After;
            } else if (skipScalar()) {
                state = After;
            } else {
                return -1;
            }
        } else if (state == Member) {
            if (peek() != '"')
                return -1;
            const int at = m_pos;
            std::u16string name;
            if (!readString(&name))
                return -1;
            skipSpace();
            if (peek() != ':')
                return -1;
            ++m_pos;
            skipSpace();
            const bool container = peek() == '{' || peek() == '[';
            auto& seen = stack.back().containerValued;
            const auto found = seen.emplace(std::move(name), container);
            if (!found.second) {
                if (found.first->second || container)
                    return at;
            }
            state = Value;
        } else {
            if (stack.empty())
                return -1; // the whole document was read
            const char c = peek();
            Frame& top = stack.back();
            if (c == ',') {
                ++m_pos;
                state = top.object ? Member : Value;
            } else if (c == (top.object ? '}' : ']')) {
                ++m_pos;
                stack.pop_back();
            } else {
                return -1;
            }
        }
    }
}

} // namespace

int repeatedContainerMember(const char* data, int length)
{
    if (data == nullptr || length <= 0)
        return -1;
    return Scanner(data, length).run();
}

JsonVerdict parseUntrustedJson(const QByteArray& text, QJsonDocument* doc)
{
    *doc = QJsonDocument();
    if (repeatedContainerMember(text.constData(), text.size()) >= 0)
        return JsonVerdict::Refused;
    QJsonParseError error;
    QJsonDocument parsed = QJsonDocument::fromJson(text, &error);
    if (error.error != QJsonParseError::NoError || parsed.isNull())
        return JsonVerdict::Malformed;
    *doc = parsed;
    return JsonVerdict::Parsed;
}

} // namespace dvm

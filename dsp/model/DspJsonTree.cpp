#include "DspJsonTree.h"

namespace {

inline bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

inline bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

inline bool isHex(char c)
{
    return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

} // namespace

void DspJsonTree::skipSpace(int& pos) const
{
    while (pos < m_size && isSpace(m_data[pos]))
        ++pos;
}

bool DspJsonTree::parse(const QByteArray& text)
{
    m_nodes.clear();
    m_error = -1;
    m_text = text;
    m_data = m_text.constData();
    m_size = m_text.size();
    if (m_size > MaxText) {
        m_error = 0;
        return false;
    }
    // Every value but the root follows a '[', '{' or ',' (counting those inside strings too only overshoots), so
    // this many nodes are never outgrown: no reallocation of a large tree while it is built.
    size_t bound = 1;
    for (int i = 0; i < m_size; ++i) {
        const char c = m_data[i];
        bound += (c == ',') | (c == '[') | (c == '{');
    }
    m_nodes.reserve(bound);
    int pos = 0;
    skipSpace(pos);
    // A document is an object or an array, as for QJsonDocument.
    if (pos >= m_size || (m_data[pos] != '{' && m_data[pos] != '[')) {
        m_error = pos;
        return false;
    }
    if (parseValue(pos, 0) < 0) {
        if (m_error < 0)
            m_error = pos;
        return false;
    }
    skipSpace(pos);
    if (pos != m_size) {
        m_error = pos;
        return false;
    }
    return true;
}

bool DspJsonTree::parseString(int& pos, int* begin, int* end, bool* escaped)
{
    // pos is at the opening quote.
    ++pos;
    *begin = pos;
    *escaped = false;
    while (pos < m_size) {
        const unsigned char c = static_cast<unsigned char>(m_data[pos]);
        if (c == '"') {
            *end = pos;
            ++pos;
            return true;
        }
        if (c == '\\') {
            *escaped = true;
            if (pos + 1 >= m_size)
                break;
            const char e = m_data[pos + 1];
            if (e == 'u') {
                if (pos + 5 >= m_size || !isHex(m_data[pos + 2]) || !isHex(m_data[pos + 3]) ||
                    !isHex(m_data[pos + 4]) || !isHex(m_data[pos + 5]))
                    break;
                pos += 6;
                continue;
            }
            if (e != '"' && e != '\\' && e != '/' && e != 'b' && e != 'f' && e != 'n' && e != 'r' && e != 't')
                break;
            pos += 2;
            continue;
        }
        ++pos;
    }
    m_error = pos;
    return false;
}

int DspJsonTree::parseValue(int& pos, int depth)
{
    if (pos >= m_size)
        return -1;
    const int index = int(m_nodes.size());
    m_nodes.emplace_back();
    const char c = m_data[pos];
    if (c == '{' || c == '[') {
        if (depth >= MaxDepth) {
            m_error = pos;
            return -1;
        }
        const bool object = c == '{';
        const char close = object ? '}' : ']';
        m_nodes[index].type = object ? DspJsonValue::Object : DspJsonValue::Array;
        m_nodes[index].begin = pos;
        ++pos;
        skipSpace(pos);
        int prev = -1;
        int count = 0;
        if (pos < m_size && m_data[pos] == close) {
            ++pos;
        } else {
            for (;;) {
                int keyBegin = -1;
                int keyEnd = -1;
                bool keyEscaped = false;
                if (object) {
                    if (pos >= m_size || m_data[pos] != '"' || !parseString(pos, &keyBegin, &keyEnd, &keyEscaped)) {
                        if (m_error < 0)
                            m_error = pos;
                        return -1;
                    }
                    skipSpace(pos);
                    if (pos >= m_size || m_data[pos] != ':') {
                        m_error = pos;
                        return -1;
                    }
                    ++pos;
                    skipSpace(pos);
                }
                const int child = parseValue(pos, depth + 1);
                if (child < 0)
                    return -1;
                m_nodes[child].keyBegin = keyBegin;
                m_nodes[child].keyEnd = keyEnd;
                m_nodes[child].keyEscaped = keyEscaped;
                if (prev < 0)
                    m_nodes[index].firstChild = child;
                else
                    m_nodes[prev].next = child;
                prev = child;
                ++count;
                skipSpace(pos);
                if (pos < m_size && m_data[pos] == ',') {
                    ++pos;
                    skipSpace(pos);
                    continue;
                }
                if (pos < m_size && m_data[pos] == close) {
                    ++pos;
                    break;
                }
                m_error = pos;
                return -1;
            }
        }
        m_nodes[index].count = count;
        m_nodes[index].end = pos;
        return index;
    }
    if (c == '"') {
        int begin = 0;
        int end = 0;
        bool escaped = false;
        if (!parseString(pos, &begin, &end, &escaped))
            return -1;
        Node& n = m_nodes[index];
        n.type = DspJsonValue::String;
        n.begin = begin;
        n.end = end;
        n.escaped = escaped;
        return index;
    }
    auto literal = [&](const char* word, int len, DspJsonValue::Type type) {
        if (m_size - pos < len || qstrncmp(m_data + pos, word, uint(len)) != 0) {
            m_error = pos;
            return -1;
        }
        Node& n = m_nodes[index];
        n.type = type;
        n.begin = pos;
        n.end = pos + len;
        pos += len;
        return index;
    };
    if (c == 't')
        return literal("true", 4, DspJsonValue::Bool);
    if (c == 'f')
        return literal("false", 5, DspJsonValue::Bool);
    if (c == 'n')
        return literal("null", 4, DspJsonValue::Null);
    // Number: -?(0|[1-9][0-9]*)(\.[0-9]+)?([eE][+-]?[0-9]+)?
    const int begin = pos;
    if (pos < m_size && m_data[pos] == '-')
        ++pos;
    if (pos < m_size && m_data[pos] == '0') {
        ++pos;
    } else if (pos < m_size && isDigit(m_data[pos])) {
        while (pos < m_size && isDigit(m_data[pos]))
            ++pos;
    } else {
        m_error = pos;
        return -1;
    }
    if (pos < m_size && m_data[pos] == '.') {
        ++pos;
        if (pos >= m_size || !isDigit(m_data[pos])) {
            m_error = pos;
            return -1;
        }
        while (pos < m_size && isDigit(m_data[pos]))
            ++pos;
    }
    if (pos < m_size && (m_data[pos] == 'e' || m_data[pos] == 'E')) {
        ++pos;
        if (pos < m_size && (m_data[pos] == '+' || m_data[pos] == '-'))
            ++pos;
        if (pos >= m_size || !isDigit(m_data[pos])) {
            m_error = pos;
            return -1;
        }
        while (pos < m_size && isDigit(m_data[pos]))
            ++pos;
    }
    Node& n = m_nodes[index];
    n.type = DspJsonValue::Number;
    n.begin = begin;
    n.end = pos;
    return index;
}

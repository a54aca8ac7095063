#include "DspJsonValue.h"

#include "DspJsonTree.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return c - 'A' + 10;
}

// The text of a string as the parser checked it: escapes are well-formed.
QString unescape(const char* p, const char* end)
{
    QString out;
    out.reserve(int(end - p));
    const char* run = p;
    while (p < end) {
        if (*p != '\\') {
            ++p;
            continue;
        }
        out += QString::fromUtf8(run, int(p - run));
        const char e = p[1];
        switch (e) {
        case 'b':
            out += QChar(0x08);
            break;
        case 'f':
            out += QChar(0x0c);
            break;
        case 'n':
            out += QChar(0x0a);
            break;
        case 'r':
            out += QChar(0x0d);
            break;
        case 't':
            out += QChar(0x09);
            break;
        case 'u':
            out +=
                QChar(ushort((hexValue(p[2]) << 12) | (hexValue(p[3]) << 8) | (hexValue(p[4]) << 4) | hexValue(p[5])));
            p += 4;
            break;
        default: // '"', '\\', '/'
            out += QLatin1Char(e);
            break;
        }
        p += 2;
        run = p;
    }
    out += QString::fromUtf8(run, int(end - run));
    return out;
}

bool parseUInt64(const char* b, const char* e, quint64* out)
{
    int base = 10;
    if (e - b > 2 && b[0] == '0' && (b[1] == 'x' || b[1] == 'X')) {
        base = 16;
        b += 2;
    }
    if (b == e)
        return false;
    quint64 v = 0;
    const auto r = std::from_chars(b, e, v, base);
    if (r.ec != std::errc() || r.ptr != e)
        return false;
    *out = v;
    return true;
}

} // namespace

DspJsonValue::Type DspJsonValue::type() const
{
    if (!m_tree || m_node < 0)
        return Invalid;
    return Type(m_tree->m_nodes[size_t(m_node)].type);
}

DspJsonValue DspJsonValue::operator[](QLatin1String key) const
{
    if (type() != Object)
        return DspJsonValue();
    const char* data = m_tree->m_data;
    for (int i = m_tree->m_nodes[size_t(m_node)].firstChild; i >= 0; i = m_tree->m_nodes[size_t(i)].next) {
        const DspJsonTree::Node& n = m_tree->m_nodes[size_t(i)];
        const int len = n.keyEnd - n.keyBegin;
        if (!n.keyEscaped) {
            if (len == key.size() && std::memcmp(data + n.keyBegin, key.data(), size_t(len)) == 0)
                return DspJsonValue(m_tree, i);
        } else if (unescape(data + n.keyBegin, data + n.keyEnd) == key) {
            return DspJsonValue(m_tree, i);
        }
    }
    return DspJsonValue();
}

int DspJsonValue::size() const
{
    const Type t = type();
    return t == Object || t == Array ? m_tree->m_nodes[size_t(m_node)].count : 0;
}

DspJsonValue DspJsonValue::first() const
{
    const Type t = type();
    if (t != Object && t != Array)
        return DspJsonValue();
    return DspJsonValue(m_tree, m_tree->m_nodes[size_t(m_node)].firstChild);
}

DspJsonValue DspJsonValue::next() const
{
    if (!isValid())
        return DspJsonValue();
    return DspJsonValue(m_tree, m_tree->m_nodes[size_t(m_node)].next);
}

DspJsonValue DspJsonValue::at(int index) const
{
    if (index < 0 || index >= size())
        return DspJsonValue();
    DspJsonValue v = first();
    for (int i = 0; i < index; ++i)
        v = v.next();
    return v;
}

QString DspJsonValue::key() const
{
    if (!isValid())
        return QString();
    const DspJsonTree::Node& n = m_tree->m_nodes[size_t(m_node)];
    if (n.keyBegin < 0)
        return QString();
    const char* data = m_tree->m_data;
    return n.keyEscaped ? unescape(data + n.keyBegin, data + n.keyEnd)
                        : QString::fromUtf8(data + n.keyBegin, n.keyEnd - n.keyBegin);
}

QString DspJsonValue::toString() const
{
    const Type t = type();
    if (t == Invalid || t == Object || t == Array)
        return QString();
    const DspJsonTree::Node& n = m_tree->m_nodes[size_t(m_node)];
    const char* data = m_tree->m_data;
    if (t == String && n.escaped)
        return unescape(data + n.begin, data + n.end);
    return QString::fromUtf8(data + n.begin, n.end - n.begin);
}

bool DspJsonValue::textEquals(QLatin1String text) const
{
    const Type t = type();
    if (t == Invalid || t == Object || t == Array)
        return false;
    const DspJsonTree::Node& n = m_tree->m_nodes[size_t(m_node)];
    if (n.escaped)
        return toString() == text;
    return n.end - n.begin == text.size() &&
           std::memcmp(m_tree->m_data + n.begin, text.data(), size_t(text.size())) == 0;
}

QByteArray DspJsonValue::rawJson() const
{
    if (!isValid())
        return QByteArray();
    const DspJsonTree::Node& n = m_tree->m_nodes[size_t(m_node)];
    if (n.type == String)
        return QByteArray(m_tree->m_data + n.begin - 1, n.end - n.begin + 2);
    return QByteArray(m_tree->m_data + n.begin, n.end - n.begin);
}

bool DspJsonValue::scalarText(const char** begin, const char** end) const
{
    const Type t = type();
    if (t != String && t != Number)
        return false;
    const DspJsonTree::Node& n = m_tree->m_nodes[size_t(m_node)];
    if (n.escaped)
        return false;
    const char* b = m_tree->m_data + n.begin;
    const char* e = m_tree->m_data + n.end;
    // Surrounding white space is tolerated, as the device family's own readers do.
    while (b < e && (*b == ' ' || *b == '\t'))
        ++b;
    while (e > b && (e[-1] == ' ' || e[-1] == '\t'))
        --e;
    if (b == e)
        return false;
    *begin = b;
    *end = e;
    return true;
}

bool DspJsonValue::toUInt64(quint64* out) const
{
    if (type() == Bool) {
        *out = textEquals(QLatin1String("true")) ? 1 : 0;
        return true;
    }
    const char* b = nullptr;
    const char* e = nullptr;
    if (!scalarText(&b, &e))
        return false;
    bool negative = false;
    if (*b == '-' || *b == '+') {
        negative = *b == '-';
        ++b;
    }
    quint64 v = 0;
    if (parseUInt64(b, e, &v)) {
        if (negative) {
            if (v > quint64(std::numeric_limits<qint64>::max()) + 1)
                return false;
            v = quint64(0) - v;
        }
        *out = v;
        return true;
    }
    // A number written with a fraction or exponent counts when it is whole.
    double d = 0;
    if (!toDouble(&d) || d != std::trunc(d) || std::fabs(d) >= 9.2e18)
        return false;
    *out = quint64(qint64(d));
    return true;
}

bool DspJsonValue::toInt64(qint64* out) const
{
    quint64 v = 0;
    if (!toUInt64(&v))
        return false;
    *out = qint64(v);
    return true;
}

bool DspJsonValue::toInt(int* out) const
{
    const char* b = nullptr;
    const char* e = nullptr;
    if (type() != Bool && scalarText(&b, &e)) {
        // The common case first: plain decimal text.
        if (*b == '+')
            ++b;
        int v = 0;
        const auto r = std::from_chars(b, e, v, 10);
        if (r.ec == std::errc() && r.ptr == e) {
            *out = v;
            return true;
        }
        if (r.ec == std::errc::result_out_of_range)
            return false;
    }
    qint64 v = 0;
    if (!toInt64(&v) || v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max())
        return false;
    *out = int(v);
    return true;
}

bool DspJsonValue::toDouble(double* out) const
{
    const char* b = nullptr;
    const char* e = nullptr;
    if (!scalarText(&b, &e))
        return false;
    if (*b == '+' && e - b > 1 && b[1] != '-')
        ++b;
    double v = 0;
    const auto r = std::from_chars(b, e, v);
    if (r.ec != std::errc() || r.ptr != e || !std::isfinite(v))
        return false;
    *out = v;
    return true;
}

bool DspJsonValue::toFloat(float* out) const
{
    double v = 0;
    if (!toDouble(&v) || std::fabs(v) > double(std::numeric_limits<float>::max()))
        return false;
    *out = float(v);
    return true;
}

bool DspJsonValue::toBool(bool* out) const
{
    switch (type()) {
    case Invalid:
    case Null:
        return false;
    case Bool:
        *out = textEquals(QLatin1String("true"));
        return true;
    case Number: {
        double v = 0;
        *out = toDouble(&v) && v == 1;
        return true;
    }
    case String:
        *out = textEquals(QLatin1String("1"));
        return true;
    default:
        *out = false;
        return true;
    }
}

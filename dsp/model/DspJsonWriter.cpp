#include "DspJsonWriter.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <algorithm>
#include <charconv>
#include <cstring>

namespace {

void appendQuotedAscii(QByteArray& out, const char* begin, const char* end)
{
    out.append('"');
    out.append(begin, int(end - begin));
    out.append('"');
}

template <class T> void appendIntText(QByteArray& out, T value)
{
    char buf[24];
    const auto r = std::to_chars(buf, buf + sizeof buf, value);
    appendQuotedAscii(out, buf, r.ptr);
}

} // namespace

void DspJsonWriter::appendString(QByteArray& out, const QString& text)
{
    // Plain printable ASCII is written as it stands; anything else takes Qt's own escaping.
    const QChar* p = text.constData();
    const int n = text.size();
    bool plain = true;
    for (int i = 0; i < n; ++i) {
        const ushort u = p[i].unicode();
        if (u < 0x20 || u >= 0x7f || u == '"' || u == '\\') {
            plain = false;
            break;
        }
    }
    if (plain) {
        const int at = out.size();
        out.resize(at + n + 2);
        char* dst = out.data() + at;
        *dst++ = '"';
        for (int i = 0; i < n; ++i)
            *dst++ = char(p[i].unicode());
        *dst = '"';
        return;
    }
    const QByteArray wrapped = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    out.append(wrapped.constData() + 1, wrapped.size() - 2);
}

QByteArray DspJsonWriter::numberText(double value)
{
    return QByteArray::number(value, 'g', 6);
}

void DspJsonWriter::beginMember(QLatin1String key)
{
    m_entries.append(Entry{key, m_buf.size(), m_buf.size()});
}

void DspJsonWriter::endMember()
{
    m_entries.last().end = m_buf.size();
}

void DspJsonWriter::beginElement()
{
    if (!m_buf.isEmpty())
        m_buf.append(',');
}

void DspJsonWriter::add(QLatin1String key, const QString& text)
{
    beginMember(key);
    appendString(m_buf, text);
    endMember();
}

void DspJsonWriter::addNumber(QLatin1String key, double value)
{
    const QByteArray t = numberText(value);
    beginMember(key);
    appendQuotedAscii(m_buf, t.constData(), t.constData() + t.size());
    endMember();
}

void DspJsonWriter::addInt(QLatin1String key, qint64 value)
{
    beginMember(key);
    appendIntText(m_buf, value);
    endMember();
}

void DspJsonWriter::addUInt(QLatin1String key, quint64 value)
{
    beginMember(key);
    appendIntText(m_buf, value);
    endMember();
}

void DspJsonWriter::addFlag(QLatin1String key, bool value)
{
    beginMember(key);
    m_buf.append(value ? "\"1\"" : "\"0\"");
    endMember();
}

void DspJsonWriter::addRaw(QLatin1String key, const QByteArray& json)
{
    beginMember(key);
    m_buf.append(json);
    endMember();
}

void DspJsonWriter::append(const QString& text)
{
    beginElement();
    appendString(m_buf, text);
}

void DspJsonWriter::appendNumber(double value)
{
    beginElement();
    const QByteArray t = numberText(value);
    appendQuotedAscii(m_buf, t.constData(), t.constData() + t.size());
}

void DspJsonWriter::appendInt(qint64 value)
{
    beginElement();
    appendIntText(m_buf, value);
}

void DspJsonWriter::appendUInt(quint64 value)
{
    beginElement();
    appendIntText(m_buf, value);
}

void DspJsonWriter::appendFlag(bool value)
{
    beginElement();
    m_buf.append(value ? "\"1\"" : "\"0\"");
}

void DspJsonWriter::appendRaw(const QByteArray& json)
{
    beginElement();
    m_buf.append(json);
}

QByteArray DspJsonWriter::finish() const
{
    if (m_kind == ArrayKind) {
        QByteArray out;
        out.reserve(m_buf.size() + 2);
        out.append('[');
        out.append(m_buf);
        out.append(']');
        return out;
    }
    QVarLengthArray<int, 16> order(m_entries.size());
    for (int i = 0; i < m_entries.size(); ++i)
        order[i] = i;
    std::sort(order.begin(), order.end(), [this](int a, int b) {
        const QLatin1String& ka = m_entries[a].key;
        const QLatin1String& kb = m_entries[b].key;
        const int c = std::memcmp(ka.data(), kb.data(), size_t(qMin(ka.size(), kb.size())));
        return c != 0 ? c < 0 : ka.size() < kb.size();
    });
    int total = 2;
    for (const Entry& e : m_entries)
        total += e.key.size() + 4 + (e.end - e.begin);
    QByteArray out;
    out.reserve(total);
    out.append('{');
    for (int i = 0; i < order.size(); ++i) {
        const Entry& e = m_entries[order[i]];
        if (i > 0)
            out.append(',');
        out.append('"');
        out.append(e.key.data(), e.key.size());
        out.append("\":", 2);
        out.append(m_buf.constData() + e.begin, e.end - e.begin);
    }
    out.append('}');
    return out;
}

#include "OfflineJsonWriter.h"

#include "DspJsonWriter.h"

OfflineJsonWriter::OfflineJsonWriter(Kind kind) : m_close(kind == ObjectKind ? '}' : ']')
{
    m_buf.reserve(256);
    m_buf.append(kind == ObjectKind ? '{' : '[');
}

void OfflineJsonWriter::key(const char* key)
{
    element();
    m_buf.append('"');
    m_buf.append(key);
    m_buf.append("\":", 2);
}

void OfflineJsonWriter::element()
{
    if (!m_first)
        m_buf.append(',');
    m_first = false;
}

QByteArray OfflineJsonWriter::realText(double value)
{
    return DspJsonWriter::numberText(value);
}

void OfflineJsonWriter::add(const char* k, const QString& text)
{
    key(k);
    DspJsonWriter::appendString(m_buf, text);
}

void OfflineJsonWriter::addInt(const char* k, qint64 value)
{
    key(k);
    m_buf.append('"');
    m_buf.append(QByteArray::number(value));
    m_buf.append('"');
}

void OfflineJsonWriter::addReal(const char* k, double value)
{
    key(k);
    m_buf.append('"');
    m_buf.append(realText(value));
    m_buf.append('"');
}

void OfflineJsonWriter::addRaw(const char* k, const QByteArray& json)
{
    key(k);
    m_buf.append(json);
}

void OfflineJsonWriter::addTexts(const char* k, const QStringList& texts)
{
    OfflineJsonWriter list(ArrayKind);
    for (const QString& t : texts)
        list.append(t);
    addRaw(k, list.finish());
}

void OfflineJsonWriter::append(const QString& text)
{
    element();
    DspJsonWriter::appendString(m_buf, text);
}

void OfflineJsonWriter::appendInt(qint64 value)
{
    element();
    m_buf.append('"');
    m_buf.append(QByteArray::number(value));
    m_buf.append('"');
}

void OfflineJsonWriter::appendReal(double value)
{
    element();
    m_buf.append('"');
    m_buf.append(realText(value));
    m_buf.append('"');
}

void OfflineJsonWriter::appendRaw(const QByteArray& json)
{
    element();
    m_buf.append(json);
}

QByteArray OfflineJsonWriter::finish()
{
    m_buf.append(m_close);
    return m_buf;
}

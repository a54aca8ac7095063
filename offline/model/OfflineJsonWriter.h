#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>

/// Writes compact JSON in the order the members are given (the design files keep a fixed key order, which
/// QJsonObject would sort away). Every scalar is a JSON string: integers as decimal text, other numbers in the
/// general format with six significant digits. Keys are ASCII and given once.
class OfflineJsonWriter
{
public:
    enum Kind
    {
        ObjectKind,
        ArrayKind
    };

    explicit OfflineJsonWriter(Kind kind = ObjectKind);

    // Object members.
    void add(const char* key, const QString& text);
    void addInt(const char* key, qint64 value);
    void addReal(const char* key, double value);
    /// A member whose value is JSON text already written.
    void addRaw(const char* key, const QByteArray& json);
    void addTexts(const char* key, const QStringList& texts);

    // Array elements.
    void append(const QString& text);
    void appendInt(qint64 value);
    void appendReal(double value);
    void appendRaw(const QByteArray& json);

    /// The finished text (the writer stays usable for nothing else).
    QByteArray finish();

    static QByteArray realText(double value);

private:
    void key(const char* key);
    void element();

    QByteArray m_buf;
    bool m_first = true;
    char m_close;
};

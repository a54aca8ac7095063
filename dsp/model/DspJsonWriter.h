#pragma once
#include <QByteArray>
#include <QLatin1String>
#include <QString>
#include <QVarLengthArray>

/// Writes one compact JSON object or array as text, the way the configuration wants it: every scalar a JSON string,
/// floating-point numbers in the general format with six significant digits, booleans "1"/"0", object members in
/// ascending key order. The text equals what QJsonDocument writes for the same object, without building one.
class DspJsonWriter
{
public:
    enum Kind
    {
        ObjectKind,
        ArrayKind
    };

    explicit DspJsonWriter(Kind kind = ObjectKind) : m_kind(kind) {}

    // Object members; keys are ASCII and each is given once.
    void add(QLatin1String key, const QString& text);
    void addNumber(QLatin1String key, double value);
    void addInt(QLatin1String key, qint64 value);
    void addUInt(QLatin1String key, quint64 value);
    void addFlag(QLatin1String key, bool value);
    /// A member whose value is JSON text already written (a nested object or array).
    void addRaw(QLatin1String key, const QByteArray& json);

    // Array elements.
    void append(const QString& text);
    void appendNumber(double value);
    void appendInt(qint64 value);
    void appendUInt(quint64 value);
    void appendFlag(bool value);
    void appendRaw(const QByteArray& json);

    /// The finished text.
    QByteArray finish() const;

    /// `text` as a JSON string (quotes included) appended to `out`, escaped as QJsonDocument escapes.
    static void appendString(QByteArray& out, const QString& text);
    /// The general-format, six-digit text of a number.
    static QByteArray numberText(double value);

private:
    struct Entry
    {
        QLatin1String key;
        int begin;
        int end;
    };

    void beginMember(QLatin1String key);
    void endMember();
    void beginElement();

    Kind m_kind;
    QByteArray m_buf;
    QVarLengthArray<Entry, 16> m_entries;
};

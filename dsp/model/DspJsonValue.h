#pragma once
#include <QLatin1String>
#include <QString>

class DspJsonTree;

/// One value of a DspJsonTree (or an invalid value: a missing member, an index past the end). Cheap to copy.
/// The readers follow the configuration's conventions: numbers may come as JSON strings or JSON numbers, and a
/// reader that cannot read the value returns false and leaves its target untouched.
class DspJsonValue
{
public:
    enum Type
    {
        Invalid = 0,
        Null,
        Bool,
        Number,
        String,
        Array,
        Object
    };

    DspJsonValue() = default;

    Type type() const;
    bool isValid() const { return type() != Invalid; }
    bool isObject() const { return type() == Object; }
    bool isArray() const { return type() == Array; }
    bool isString() const { return type() == String; }

    /// The member named `key` (first of equal names); invalid when missing or when this is not an object.
    DspJsonValue operator[](QLatin1String key) const;
    /// Number of elements or members; 0 for scalars.
    int size() const;
    /// The first element or member value, and the next sibling: for (v = a.first(); v.isValid(); v = v.next()).
    DspJsonValue first() const;
    DspJsonValue next() const;
    /// Element `index` (walks the list: iterate with first()/next() in loops).
    DspJsonValue at(int index) const;
    /// The member name of a value inside an object; empty otherwise.
    QString key() const;

    /// String content (unescaped), or the text of a number or literal; empty for containers.
    QString toString() const;
    /// True when the string's content, or the text of a number or literal, equals `text` exactly.
    bool textEquals(QLatin1String text) const;
    /// The compact JSON text of the value as it stands in the document (whitespace kept inside).
    QByteArray rawJson() const;

    bool toInt(int* out) const;
    /// Decimal, or hexadecimal behind "0x"/"0X"; two's complement beyond INT64_MAX.
    bool toInt64(qint64* out) const;
    bool toUInt64(quint64* out) const;
    /// Finite numbers only.
    bool toDouble(double* out) const;
    bool toFloat(float* out) const;
    /// "1" (or JSON true or 1) is true; any other present value is false.
    bool toBool(bool* out) const;

    // Member readers: read(key) of this object into `out`; false (target untouched) when missing or unreadable.
    bool readInt(QLatin1String key, int* out) const { return (*this)[key].toInt(out); }
    bool readInt64(QLatin1String key, qint64* out) const { return (*this)[key].toInt64(out); }
    bool readDouble(QLatin1String key, double* out) const { return (*this)[key].toDouble(out); }
    bool readFloat(QLatin1String key, float* out) const { return (*this)[key].toFloat(out); }
    bool readBool(QLatin1String key, bool* out) const { return (*this)[key].toBool(out); }

private:
    friend class DspJsonTree;
    DspJsonValue(const DspJsonTree* tree, int node) : m_tree(tree), m_node(node) {}
    /// The trimmed text of a number or string without escapes; false for anything else.
    bool scalarText(const char** begin, const char** end) const;

    const DspJsonTree* m_tree = nullptr;
    int m_node = -1;
};

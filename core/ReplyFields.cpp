#include "ReplyFields.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonValue>
#include <cmath>

namespace ReplyFields {

QString text(const QJsonValue& v)
{
    switch (v.type()) {
    case QJsonValue::String:
        return v.toString();
    case QJsonValue::Double: {
        const double d = v.toDouble();
        // Whole numbers print without exponent or fraction, as the devices write them.
        if (std::isfinite(d) && std::fabs(d) < 9.0e15 && d == std::floor(d))
            return QString::number(static_cast<qint64>(d));
        return QString::number(d, 'g', 15);
    }
    case QJsonValue::Bool:
        return v.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    default:
        return QString();
    }
}

QString text(const QJsonObject& o, const char* key)
{
    return text(o.value(QLatin1String(key)));
}

QStringList texts(const QJsonObject& o, const char* key)
{
    QStringList out;
    const QJsonArray arr = o.value(QLatin1String(key)).toArray();
    out.reserve(arr.size());
    for (const QJsonValue& v : arr)
        out << text(v);
    return out;
}

int number(const QJsonObject& o, const char* key, int fallback)
{
    bool ok = false;
    const int v = text(o, key).trimmed().toInt(&ok);
    return ok ? v : fallback;
}

double real(const QJsonObject& o, const char* key, double fallback)
{
    bool ok = false;
    const double v = text(o, key).trimmed().toDouble(&ok);
    return ok && std::isfinite(v) ? v : fallback;
}

bool failed(const QJsonObject& o)
{
    const QString r = text(o, "result");
    return !r.isEmpty() && r != QLatin1String("succ");
}

bool succeeded(const QJsonObject& o)
{
    return text(o, "result") == QLatin1String("succ");
}

QString compact(const QJsonObject& o)
{
    return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact));
}

} // namespace ReplyFields

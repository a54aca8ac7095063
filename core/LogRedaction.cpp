#include "LogRedaction.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace {

const char* const kSecretKeys[] = {"password", "old", "new"};

bool isSecretKey(const QString& key)
{
    for (const char* k : kSecretKeys)
        if (key == QLatin1String(k))
            return true;
    return false;
}

QJsonValue redactValue(const QJsonValue& v);

QJsonArray redactArray(const QJsonArray& arr)
{
    QJsonArray out;
    for (const QJsonValue& v : arr)
        out.append(redactValue(v));
    return out;
}

QJsonValue redactValue(const QJsonValue& v)
{
    if (v.isObject())
        return LogRedaction::redacted(v.toObject());
    if (v.isArray())
        return redactArray(v.toArray());
    return v;
}

} // namespace

namespace LogRedaction {

QJsonObject redacted(const QJsonObject& obj)
{
    QJsonObject out;
    for (auto it = obj.begin(); it != obj.end(); ++it)
        out.insert(it.key(), isSecretKey(it.key()) ? QJsonValue(QStringLiteral("***")) : redactValue(it.value()));
    return out;
}

QByteArray redacted(const QByteArray& text)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(text, &error);
    if (error.error == QJsonParseError::NoError && doc.isObject())
        return QJsonDocument(redacted(doc.object())).toJson(QJsonDocument::Compact);
    for (const char* k : kSecretKeys)
        if (text.contains(k))
            return "<" + QByteArray::number(text.size()) + " bytes withheld>";
    return text;
}

} // namespace LogRedaction

#include "LogRedaction.h"
#include "UntrustedJson.h"

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

QJsonValue maskValue(const QJsonValue& v)
{
    if (v.isString() && v.toString().isEmpty())
        return v;
    return QJsonValue(QLatin1String(LogRedaction::kMask));
}

/// True when `text` names a secret key in quotes, as JSON (whole, cut or escaped) does.
bool namesSecretKey(const QByteArray& text)
{
    for (const char* k : kSecretKeys)
        if (text.contains('"' + QByteArray(k)))
            return true;
    return false;
}

QByteArray withheld(const QByteArray& text)
{
    return "<" + QByteArray::number(text.size()) + " bytes withheld>";
}

QJsonValue redactValue(const QJsonValue& v)
{
    // A text field may carry a whole datagram (a tunnelled reply, a forwarded message).
    if (v.isString()) {
        const QByteArray text = v.toString().toUtf8();
        if (!namesSecretKey(text))
            return v;
        QJsonDocument doc;
        const bool object = dvm::parseUntrustedJson(text, &doc) == dvm::JsonVerdict::Parsed && doc.isObject();
        return QString::fromUtf8(object ? LogRedaction::redacted(text) : withheld(text));
    }
    if (v.isObject())
        return LogRedaction::redacted(v.toObject());
    if (v.isArray())
        return redactArray(v.toArray());
    return v;
}

} // namespace

namespace LogRedaction {

const char* const kMask = "********";

QJsonObject redacted(const QJsonObject& obj)
{
    QJsonObject out;
    for (auto it = obj.begin(); it != obj.end(); ++it)
        out.insert(it.key(), isSecretKey(it.key()) ? maskValue(it.value()) : redactValue(it.value()));
    return out;
}

QByteArray redacted(const QByteArray& text)
{
    // Log lines show what hostile peers sent too: their text is read with the guard against Qt's leak.
    QJsonDocument doc;
    if (dvm::parseUntrustedJson(text, &doc) == dvm::JsonVerdict::Parsed && doc.isObject()) {
        // Text without a secret is kept byte for byte: logs and printed replies show what was on the wire.
        const QJsonObject masked = redacted(doc.object());
        return masked == doc.object() ? text : QJsonDocument(masked).toJson(QJsonDocument::Compact);
    }
    // Cut or embedded JSON names its keys in quotes; a bare "password" may be any device's text (a tunnelled
    // reply). Plain words such as a hall called "Golden" do not make a log line vanish.
    return namesSecretKey(text) || text.toLower().contains("password") ? withheld(text) : text;
}

} // namespace LogRedaction

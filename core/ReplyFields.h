#pragma once
#include <QJsonObject>
#include <QString>
#include <QStringList>

/// Readers of the fields of a device's reply or a command message. Devices send every scalar as
/// text, but some firmware and our own windows send numbers; these readers accept both, so no
/// view needs its own helper.
namespace ReplyFields {

/// The field as text: a string as it stands, a number in its shortest decimal form ("12", "0.5"),
/// a boolean as "true"/"false"; empty when absent or not a scalar.
QString text(const QJsonObject& o, const char* key);
QString text(const QJsonValue& v);

/// The items of an array field as texts (devices send strings; numbers are read alike); empty when absent.
QStringList texts(const QJsonObject& o, const char* key);

/// The field as an integer; `fallback` when absent or not a whole number.
int number(const QJsonObject& o, const char* key, int fallback = 0);

/// The field as a floating-point number; `fallback` when absent or not a number.
double real(const QJsonObject& o, const char* key, double fallback = 0.0);

/// True when the reply carries a "result" other than "succ" (a reply without "result" is no failure).
bool failed(const QJsonObject& o);

/// True when "result" is "succ".
bool succeeded(const QJsonObject& o);

/// The object as one compact JSON line.
QString compact(const QJsonObject& o);

} // namespace ReplyFields

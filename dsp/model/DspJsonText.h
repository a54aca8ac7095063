#pragma once
#include <QJsonObject>
#include <QString>

/// The text forms of the configuration JSON: every scalar is a JSON string, booleans "1"/"0", floating-point values
/// in the general format with six significant digits.
namespace DspJsonText {

QString number(double value);
QString number(float value) = delete; // say double(x): floats must not pick the integer overload
QString number(int value);
QString number(qint64 value);
QString number(quint64 value);
QString flag(bool value);

/// The object of compact JSON text (empty when the text is not an object), and the compact text of an object.
QJsonObject toObject(const QByteArray& json);
QByteArray toText(const QJsonObject& obj);

/// Firmware texts are compared as texts, as the device family always has.
bool firmwareAbove(const QString& firmware, const QString& reference);

} // namespace DspJsonText

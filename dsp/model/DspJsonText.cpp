#include "DspJsonText.h"

#include "FirmwareVersion.h"

#include <QJsonDocument>

namespace DspJsonText {

QString number(double value)
{
    return QString::number(value, 'g', 6);
}

QString number(int value)
{
    return QString::number(value);
}

QString number(qint64 value)
{
    return QString::number(value);
}

QString number(quint64 value)
{
    return QString::number(value);
}

QString flag(bool value)
{
    return value ? QStringLiteral("1") : QStringLiteral("0");
}

QJsonObject toObject(const QByteArray& json)
{
    return QJsonDocument::fromJson(json).object();
}

QByteArray toText(const QJsonObject& obj)
{
    return QJsonDocument(obj).toJson(QJsonDocument::Compact);
}

bool firmwareAbove(const QString& firmware, const QString& reference)
{
    return FirmwareVersion::after(firmware, reference);
}

} // namespace DspJsonText

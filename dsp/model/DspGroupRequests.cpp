#include "DspGroupRequests.h"

#include <cmath>

namespace DspGroupRequests {

namespace {

QJsonObject base(const char* ops, int index)
{
    QJsonObject o;
    o.insert(QStringLiteral("ops"), QLatin1String(ops));
    o.insert(QStringLiteral("uiTag"), QStringLiteral("dspUiTag"));
    o.insert(QStringLiteral("index"), QString::number(index));
    return o;
}

} // namespace

QJsonObject gain(int index, double db)
{
    QJsonObject o = base("setGroupGain", index);
    o.insert(QStringLiteral("val"), QString::number(db, 'g', 6));
    return o;
}

QJsonObject mute(int index, bool mute)
{
    QJsonObject o = base("setGroupMute", index);
    o.insert(QStringLiteral("val"), mute ? QStringLiteral("1") : QStringLiteral("0"));
    return o;
}

QJsonObject name(int index, const QString& name)
{
    QJsonObject o = base("setGroupName", index);
    o.insert(QStringLiteral("name"), name);
    return o;
}

QString nameRefusal(const QString& name)
{
    if (name.trimmed().isEmpty())
        return QStringLiteral("设置失败,名字不能为空");
    if (name.size() > MaxNameLength)
        return QStringLiteral("设置失败,名字不能太长");
    return QString();
}

bool isGainInRange(double db)
{
    return std::isfinite(db) && db >= MinGainDb && db <= MaxGainDb;
}

} // namespace DspGroupRequests

#include "GpioInfo.h"

#include "UntrustedJson.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>

#include <cmath>

namespace {

struct IntMember
{
    const char* name;
    int GpioInfo::*field;
};

const IntMember kIntMembers[] = {
    {"direction", &GpioInfo::direction},
    {"type", &GpioInfo::type},
    {"enable", &GpioInfo::enable},
    {"triggerType", &GpioInfo::triggerType},
    {"channelDirection", &GpioInfo::channelDirection},
    {"channelId", &GpioInfo::channelId},
    {"programId", &GpioInfo::programId},
    {"inputChId", &GpioInfo::inputChId},
    {"outputChId", &GpioInfo::outputChId},
};

/// A whole number given as text or as a JSON number.
bool readInt(const QJsonValue& v, int* out)
{
    bool ok = false;
    qlonglong n = 0;
    if (v.isString()) {
        n = v.toString().trimmed().toLongLong(&ok);
    } else if (v.isDouble()) {
        const double d = v.toDouble();
        ok = std::isfinite(d) && d == std::floor(d) && std::fabs(d) <= 1e9;
        n = qlonglong(d);
    }
    if (!ok || n < 0 || n > GpioInfo::kMaxNumber)
        return false;
    *out = int(n);
    return true;
}

bool readReal(const QJsonValue& v, double* out)
{
    bool ok = false;
    double d = 0.0;
    if (v.isString())
        d = v.toString().trimmed().toDouble(&ok);
    else if (v.isDouble())
        d = v.toDouble(), ok = true;
    if (!ok || !std::isfinite(d) || std::fabs(d) > 1e6)
        return false;
    *out = d;
    return true;
}

} // namespace

QString GpioInfo::indexText(int port)
{
    return QStringLiteral("GPIO_") + QString::number(port);
}

QStringList GpioInfo::programNames()
{
    QStringList names;
    for (int p = kFirstProgram; p <= kLastProgram; ++p)
        names << QStringLiteral("程式%1").arg(p);
    return names;
}

QString GpioInfo::customCmdRefusal(const QString& cmd)
{
    // Characters as a person counts them: a character outside the basic plane is one, not two.
    return cmd.toUcs4().size() > kMaxCustomCmd ? QCoreApplication::translate("GpioInfo", "不能超过128字符") : QString();
}

QJsonObject GpioInfo::toJson() const
{
    QJsonObject o;
    for (const IntMember& m : kIntMembers)
        o.insert(QLatin1String(m.name), QString::number(this->*m.field));
    o.insert(QStringLiteral("gainStep"), QString::number(gainStep));
    o.insert(QStringLiteral("customCmd"), customCmd);
    return o;
}

bool GpioInfo::fromJson(const QJsonObject& o, GpioInfo* out, QString* error)
{
    GpioInfo g;
    for (const IntMember& m : kIntMembers) {
        const QJsonValue v = o.value(QLatin1String(m.name));
        if (v.isUndefined())
            continue;
        if (!readInt(v, &(g.*m.field))) {
            *error = QStringLiteral("GPIO: ") + QLatin1String(m.name);
            return false;
        }
    }
    const QJsonValue gain = o.value(QStringLiteral("gainStep"));
    if (!gain.isUndefined() && !readReal(gain, &g.gainStep)) {
        *error = QStringLiteral("GPIO: gainStep");
        return false;
    }
    const QJsonValue cmd = o.value(QStringLiteral("customCmd"));
    if (!cmd.isUndefined()) {
        if (!cmd.isString()) {
            *error = QStringLiteral("GPIO: customCmd");
            return false;
        }
        g.customCmd = cmd.toString();
        const QString refusal = customCmdRefusal(g.customCmd);
        if (!refusal.isEmpty()) {
            *error = refusal;
            return false;
        }
    }
    *out = g;
    return true;
}

bool GpioInfo::operator==(const GpioInfo& other) const
{
    for (const IntMember& m : kIntMembers)
        if (this->*m.field != other.*m.field)
            return false;
    return gainStep == other.gainStep && customCmd == other.customCmd;
}

namespace GpioFile {

QByteArray write(const QVector<GpioInfo>& ports)
{
    QJsonArray arr;
    for (const GpioInfo& g : ports)
        arr.append(g.toJson());
    return QJsonDocument(QJsonObject{{QStringLiteral("gpio"), arr}}).toJson(QJsonDocument::Indented);
}

bool read(const QByteArray& bytes, QVector<GpioInfo>* ports, QString* error)
{
    if (bytes.size() > GpioInfo::kMaxFileBytes) {
        *error = QStringLiteral("文件过大 / File too large");
        return false;
    }
    // A file is as untrusted as a datagram: a repeated member is refused before Qt's parser sees it.
    QJsonDocument doc;
    const dvm::JsonVerdict verdict = dvm::parseUntrustedJson(bytes, &doc);
    if (verdict != dvm::JsonVerdict::Parsed || !doc.isObject()) {
        *error = QStringLiteral("文件格式错误 / Not a GPIO file: ") +
                 (verdict == dvm::JsonVerdict::Malformed ? QStringLiteral("not JSON")
                  : verdict == dvm::JsonVerdict::Refused ? QStringLiteral("a member is repeated")
                                                         : QStringLiteral("no JSON object"));
        return false;
    }
    const QJsonValue list = doc.object().value(QStringLiteral("gpio"));
    if (!list.isArray() || list.toArray().size() != GpioInfo::kPorts) {
        *error = QStringLiteral("文件格式错误 / Not a GPIO file: \"gpio\" must list %1 ports").arg(GpioInfo::kPorts);
        return false;
    }
    QVector<GpioInfo> read;
    const QJsonArray arr = list.toArray();
    for (int i = 0; i < arr.size(); ++i) {
        GpioInfo g;
        QString why;
        if (!arr.at(i).isObject() || !GpioInfo::fromJson(arr.at(i).toObject(), &g, &why)) {
            *error = QStringLiteral("文件格式错误 / Not a GPIO file: port %1 %2").arg(i + 1).arg(why);
            return false;
        }
        read.append(g);
    }
    *ports = read;
    return true;
}

} // namespace GpioFile

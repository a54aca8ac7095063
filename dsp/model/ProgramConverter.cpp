#include "ProgramConverter.h"
#include "UntrustedJson.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace ProgramConverter {

namespace {

const QString kVersion = QStringLiteral("version");
const QString kMsgJson = QStringLiteral("msgJson");
const QString kOldTrigger = QStringLiteral("triggerDb");
const QString kTrigger = QStringLiteral("trigDb");

/// Whether `v` holds an older key or a bare number or flag; false also when it is deeper than kMaxDepth.
bool hasOldParts(const QJsonValue& v, int depth)
{
    if (depth > kMaxDepth)
        return false;
    if (v.isDouble() || v.isBool())
        return true;
    if (v.isArray()) {
        for (const QJsonValue& x : v.toArray())
            if (hasOldParts(x, depth + 1))
                return true;
        return false;
    }
    if (!v.isObject())
        return false;
    const QJsonObject o = v.toObject();
    if (o.contains(kOldTrigger) || o.contains(kMsgJson))
        return true;
    for (auto it = o.begin(); it != o.end(); ++it)
        if (hasOldParts(it.value(), depth + 1))
            return true;
    return false;
}

QString numberText(double d)
{
    const qint64 whole = qint64(d);
    if (double(whole) == d && d > -1e15 && d < 1e15)
        return QString::number(whole);
    return QString::number(d, 'g', 6);
}

/// The current form of `v`; false when it is too deep to walk.
bool modernise(const QJsonValue& v, int depth, QJsonValue* out)
{
    if (depth > kMaxDepth)
        return false;
    if (v.isDouble()) {
        *out = numberText(v.toDouble());
        return true;
    }
    if (v.isBool()) {
        *out = v.toBool() ? QStringLiteral("1") : QStringLiteral("0");
        return true;
    }
    if (v.isArray()) {
        QJsonArray a;
        for (const QJsonValue& x : v.toArray()) {
            QJsonValue y;
            if (!modernise(x, depth + 1, &y))
                return false;
            a.append(y);
        }
        *out = a;
        return true;
    }
    if (!v.isObject()) {
        *out = v;
        return true;
    }
    QJsonObject o;
    const QJsonObject in = v.toObject();
    for (auto it = in.begin(); it != in.end(); ++it) {
        QJsonValue y;
        if (!modernise(it.value(), depth + 1, &y))
            return false;
        // The current key wins where both are present.
        if (it.key() == kOldTrigger) {
            if (!in.contains(kTrigger))
                o.insert(kTrigger, y);
            continue;
        }
        o.insert(it.key(), y);
    }
    *out = o;
    return true;
}

/// The configuration object inside "msgJson" (text or object), with the outer keys it lacks; false when the
/// text is not an object.
bool unwrap(const QJsonObject& outer, QJsonObject* out)
{
    const QJsonValue inner = outer.value(kMsgJson);
    QJsonObject config;
    if (inner.isObject()) {
        config = inner.toObject();
    } else if (inner.isString()) {
        const QByteArray text = inner.toString().toUtf8();
        if (text.size() > kMaxMsgJsonBytes)
            return false;
        QJsonDocument doc;
        // Files and older programs are untrusted text: a repeated member would leak in Qt's parser.
        if (dvm::parseUntrustedJson(text, &doc) != dvm::JsonVerdict::Parsed || !doc.isObject())
            return false;
        config = doc.object();
        // Some programs kept the whole reply, configuration under "config".
        if (config.value(QLatin1String("config")).isObject() && !config.contains(QLatin1String("nodeArr")))
            config = config.value(QLatin1String("config")).toObject();
    } else {
        return false;
    }
    for (auto it = outer.begin(); it != outer.end(); ++it)
        if (it.key() != kMsgJson && !config.contains(it.key()))
            config.insert(it.key(), it.value());
    *out = config;
    return true;
}

bool hasNodes(const QJsonObject& config)
{
    const QJsonValue nodes = config.value(QLatin1String("nodeArr"));
    if (!nodes.isArray() || nodes.toArray().size() < 3)
        return false;
    for (const QJsonValue& n : nodes.toArray())
        if (!n.isObject())
            return false;
    return true;
}

} // namespace

int versionOf(const QJsonObject& config)
{
    const QJsonValue v = config.value(kVersion);
    if (v.isUndefined() || v.isNull())
        return 0;
    if (v.isDouble()) {
        const double d = v.toDouble();
        return d >= 0 && d <= 1e6 && double(int(d)) == d ? int(d) : -1;
    }
    const QString text = v.toString().trimmed();
    if (text.isEmpty())
        return 0;
    bool ok = false;
    const int n = text.toInt(&ok);
    return ok && n >= 0 ? n : -1;
}

bool needsConversion(const QJsonObject& config)
{
    const int version = versionOf(config);
    return (version >= 0 && version < kCurrentVersion) || hasOldParts(config, 0);
}

Result convert(const QJsonObject& config)
{
    Result r;
    r.config = config;
    const int version = versionOf(config);
    if (version < 0 || version > kCurrentVersion) {
        r.outcome = Outcome::WrongVersion;
        return r;
    }
    if (!needsConversion(config)) {
        r.outcome = Outcome::NotNeeded;
        return r;
    }
    QJsonObject work = config;
    if (work.contains(kMsgJson) && !unwrap(work, &work))
        return r;
    QJsonValue modern;
    if (!modernise(work, 0, &modern) || !modern.isObject())
        return r;
    QJsonObject out = modern.toObject();
    if (!hasNodes(out))
        return r;
    out.insert(kVersion, QString::number(kCurrentVersion));
    r.outcome = Outcome::Converted;
    r.config = out;
    return r;
}

QString text(Outcome outcome)
{
    switch (outcome) {
    case Outcome::Converted:
        return {};
    case Outcome::NotNeeded:
        return QStringLiteral("该配置不需要转换");
    case Outcome::WrongVersion:
        return QStringLiteral("Wrong Version!");
    case Outcome::Failed:
        return QStringLiteral("Convert Failed!");
    }
    return {};
}

} // namespace ProgramConverter

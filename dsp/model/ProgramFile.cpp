#include "ProgramFile.h"

#include "ProgramName.h"
#include "UntrustedJson.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSaveFile>

namespace ProgramFile {

namespace {

const QString kConfig = QStringLiteral("config");
const QString kNodes = QStringLiteral("nodeArr");
const QString kPrograms = QStringLiteral("programArr");

bool isChannelNode(const QJsonValue& node)
{
    return node.toObject().value(QLatin1String("type")).toString() == QLatin1String("0");
}

int entriesOf(const QJsonObject& node)
{
    const int common = node.value(QLatin1String("commArr")).toArray().size();
    const int ports = node.value(QLatin1String("obj")).toObject().value(QLatin1String("portArr")).toArray().size();
    // Both lists describe the same channels; a node where they disagree describes none reliably.
    return common == ports ? common : -1;
}

/// A configuration inside `o`: `o` itself when it has nodes, else its "config" object; empty when neither.
QJsonObject configIn(const QJsonObject& o)
{
    if (o.contains(kNodes) || o.contains(QLatin1String("msgJson")))
        return o;
    const QJsonValue inner = o.value(kConfig);
    if (inner.isObject())
        return inner.toObject();
    return {};
}

/// A configuration as read from a file: current form with nodes, or an older form the converter takes.
bool acceptable(const QJsonObject& config)
{
    return looksLikeConfig(config) || config.contains(QLatin1String("msgJson"));
}

} // namespace

QString text(Error error)
{
    switch (error) {
    case Error::None:
        return {};
    case Error::Open:
        return QStringLiteral("打开文件出错");
    case Error::Parse:
        return QStringLiteral("文件解析出错");
    case Error::NotConfig:
        return QStringLiteral("不是合法的配置文件");
    case Error::NoPrograms:
        return QStringLiteral("没有程式数据");
    case Error::BadEntry:
        return QStringLiteral("程式解析出错");
    }
    return {};
}

QByteArray writeProgram(const QJsonObject& config)
{
    return QJsonDocument(config).toJson(QJsonDocument::Compact);
}

QByteArray writeList(const QVector<Program>& programs)
{
    QJsonArray arr;
    for (const Program& p : programs)
        arr.append(QJsonObject{{QStringLiteral("name"), p.name}, {kConfig, p.config}});
    const QJsonObject doc{{QStringLiteral("type"), QStringLiteral("programList")},
                          {QStringLiteral("version"), QStringLiteral("1")},
                          {kPrograms, arr}};
    return QJsonDocument(doc).toJson(QJsonDocument::Compact);
}

ReadOne readProgram(const QByteArray& bytes)
{
    ReadOne r;
    QJsonDocument doc;
    // Files and older programs are untrusted text: a repeated member would leak in Qt's parser.
    if (dvm::parseUntrustedJson(bytes, &doc) != dvm::JsonVerdict::Parsed) {
        r.error = Error::Parse;
        return r;
    }
    r.config = doc.isObject() ? configIn(doc.object()) : QJsonObject();
    if (!acceptable(r.config)) {
        r.error = Error::NotConfig;
        r.config = {};
    }
    return r;
}

ReadAll readList(const QByteArray& bytes)
{
    ReadAll r;
    QJsonDocument doc;
    // Files and older programs are untrusted text: a repeated member would leak in Qt's parser.
    if (dvm::parseUntrustedJson(bytes, &doc) != dvm::JsonVerdict::Parsed) {
        r.error = Error::Parse;
        return r;
    }
    QJsonArray entries;
    if (doc.isArray()) {
        entries = doc.array();
    } else if (doc.object().value(kPrograms).isArray()) {
        entries = doc.object().value(kPrograms).toArray();
    } else {
        r.error = Error::NotConfig;
        return r;
    }
    if (entries.isEmpty()) {
        r.error = Error::NoPrograms;
        return r;
    }
    for (int i = 0; i < entries.size(); ++i) {
        const QJsonObject e = entries[i].toObject();
        const QString name = e.value(QStringLiteral("name")).toString();
        const QJsonObject config = e.value(kConfig).toObject();
        // Refused as a whole: importing some programs of a list and not others would leave a device the user
        // cannot reason about.
        if (i >= kMaxListEntries || !ProgramName::isValid(name) || !acceptable(config)) {
            r.error = Error::BadEntry;
            r.badEntry = i;
            r.programs.clear();
            return r;
        }
        r.programs.append({name, config});
    }
    return r;
}

Error readFile(const QString& path, QByteArray* bytes)
{
    QFile f(path);
    if (path.isEmpty() || !f.open(QIODevice::ReadOnly))
        return Error::Open;
    if (f.size() > kMaxFileBytes)
        return Error::Open;
    *bytes = f.read(kMaxFileBytes + 1);
    if (bytes->size() > kMaxFileBytes || f.error() != QFileDevice::NoError) {
        bytes->clear();
        return Error::Open;
    }
    return Error::None;
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    if (path.isEmpty())
        return false;
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    if (f.write(bytes) != bytes.size()) {
        f.cancelWriting();
        return false;
    }
    return f.commit();
}

Channels channelsOf(const QJsonObject& config)
{
    Channels c;
    const QJsonArray nodes = config.value(kNodes).toArray();
    int first = -1;
    int last = -1;
    for (int i = 0; i < nodes.size(); ++i) {
        if (!isChannelNode(nodes[i]))
            continue;
        if (first < 0)
            first = i;
        last = i;
    }
    if (first >= 0)
        c.inputs = entriesOf(nodes[first].toObject());
    if (last > first)
        c.outputs = entriesOf(nodes[last].toObject());
    return c;
}

bool fitsDevice(const QJsonObject& config, int inputs, int outputs)
{
    const Channels c = channelsOf(config);
    return inputs >= 0 && outputs >= 0 && c.inputs == inputs && c.outputs == outputs;
}

bool looksLikeConfig(const QJsonObject& config)
{
    const QJsonValue nodes = config.value(kNodes);
    if (!nodes.isArray() || nodes.toArray().size() < 3)
        return false;
    for (const QJsonValue& n : nodes.toArray())
        if (!n.isObject())
            return false;
    return true;
}

} // namespace ProgramFile

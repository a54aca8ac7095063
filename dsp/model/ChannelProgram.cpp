#include "ChannelProgram.h"
#include "UntrustedJson.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace ChannelProgram {

namespace {

const QString kSide = QStringLiteral("side");
const QString kComm = QStringLiteral("comm");
const QString kPort = QStringLiteral("port");

QJsonObject request(const char* ops)
{
    return {{QStringLiteral("ops"), QLatin1String(ops)}, {QStringLiteral("uiTag"), QStringLiteral("dspUiTag")}};
}

bool isChannelNode(const QJsonValue& node)
{
    return node.toObject().value(QLatin1String("type")).toString() == QLatin1String("0");
}

} // namespace

QString problem(const QJsonObject& config)
{
    const QString side = config.value(kSide).toString();
    if (side != QLatin1String("in") && side != QLatin1String("out"))
        return QStringLiteral("no side");
    if (!config.value(kComm).isObject())
        return QStringLiteral("no channel settings");
    const QJsonValue port = config.value(kPort);
    if (!port.isObject() || !port.toObject().value(QLatin1String("procArr")).isArray())
        return QStringLiteral("no chain");
    const QJsonArray blocks = port.toObject().value(QLatin1String("procArr")).toArray();
    if (blocks.size() > kMaxBlocks)
        return QStringLiteral("too many blocks");
    for (const QJsonValue& b : blocks)
        if (!b.isObject())
            return QStringLiteral("bad block");
    return {};
}

QJsonObject fromConfig(const QJsonObject& full, bool isInput, int chIndex)
{
    const QJsonArray nodes = full.value(QLatin1String("nodeArr")).toArray();
    int first = -1;
    int last = -1;
    for (int i = 0; i < nodes.size(); ++i)
        if (isChannelNode(nodes[i])) {
            if (first < 0)
                first = i;
            last = i;
        }
    const int at = isInput ? first : (last > first ? last : -1);
    if (at < 0 || chIndex < 0)
        return {};
    const QJsonObject node = nodes[at].toObject();
    const QJsonArray comm = node.value(QLatin1String("commArr")).toArray();
    const QJsonArray ports = node.value(QLatin1String("obj")).toObject().value(QLatin1String("portArr")).toArray();
    if (chIndex >= comm.size() || chIndex >= ports.size())
        return {};
    return {{QStringLiteral("version"), QStringLiteral("4")},
            {kSide, isInput ? QStringLiteral("in") : QStringLiteral("out")},
            {kComm, comm[chIndex]},
            {kPort, ports[chIndex]}};
}

bool isInput(const QJsonObject& program)
{
    return program.value(kSide).toString() == QLatin1String("in");
}

Read read(const QByteArray& bytes)
{
    Read r;
    QJsonDocument doc;
    // Files and older programs are untrusted text: a repeated member would leak in Qt's parser.
    if (dvm::parseUntrustedJson(bytes, &doc) != dvm::JsonVerdict::Parsed) {
        r.error = ProgramFile::Error::Parse;
        return r;
    }
    QJsonObject o = doc.object();
    if (o.value(QStringLiteral("config")).isObject())
        o = o.value(QStringLiteral("config")).toObject();
    if (!doc.isObject() || !problem(o).isEmpty()) {
        r.error = ProgramFile::Error::NotConfig;
        return r;
    }
    r.program = o;
    return r;
}

} // namespace ChannelProgram

namespace ChannelProgramRequests {

using ChannelProgram::request;

namespace {
void addChannel(QJsonObject& r, bool isInput, int chIndex)
{
    r.insert(QStringLiteral("isInput"), isInput ? QStringLiteral("1") : QStringLiteral("0"));
    r.insert(QStringLiteral("ch"), QString::number(chIndex));
}
} // namespace

QJsonObject getNameArr()
{
    return request("getChConfigNameArr");
}

QJsonObject save(const QString& name, const QString& oldName, bool isInput, int chIndex)
{
    QJsonObject r = request("saveChConfig");
    r.insert(QStringLiteral("name"), name);
    r.insert(QStringLiteral("oldName"), oldName);
    addChannel(r, isInput, chIndex);
    return r;
}

QJsonObject rename(const QString& name, const QString& oldName)
{
    QJsonObject r = request("renameChConfig");
    r.insert(QStringLiteral("name"), name);
    r.insert(QStringLiteral("oldName"), oldName);
    return r;
}

QJsonObject remove(const QString& name)
{
    QJsonObject r = request("deleteChConfig");
    r.insert(QStringLiteral("name"), name);
    return r;
}

QJsonObject load(const QString& name, bool isInput, int chIndex)
{
    QJsonObject r = request("loadChConfig");
    r.insert(QStringLiteral("name"), name);
    addChannel(r, isInput, chIndex);
    return r;
}

QJsonObject getByName(const QString& name)
{
    QJsonObject r = request("getChConfigByName");
    r.insert(QStringLiteral("name"), name);
    return r;
}

QJsonObject saveFromFile(const QString& name, const QJsonObject& program)
{
    QJsonObject r = request("saveChConfigToFile");
    r.insert(QStringLiteral("name"), name);
    r.insert(QStringLiteral("config"), program);
    return r;
}

} // namespace ChannelProgramRequests

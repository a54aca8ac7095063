#include "SimDspPrograms.h"

#include "SimCommandHandlers.h"
#include "SimDspCommands.h"
#include "SimDspConfig.h"
#include "SimNetwork.h"
#include "SimReply.h"

#include <QJsonArray>
#include <QRegularExpression>
#include <QStringList>

namespace {

using Replies = QVector<QJsonObject>;

const QString kDefault = QStringLiteral("default");

SimDevice& deviceOf(const SimRequest& req)
{
    return req.network.device(req.deviceIndex);
}

SimDeviceState::Dsp& dspOf(const SimRequest& req)
{
    // The stored configuration exists (and a waiting factory configuration has taken over) before any program
    // request looks at it.
    SimDspConfig::current(deviceOf(req));
    return deviceOf(req).state().dsp;
}

QJsonObject answer(const SimRequest& req, const QString& reason = {})
{
    const QJsonObject r = reason.isEmpty() ? SimReply::succ(req) : SimReply::fail(req, reason);
    return SimReply::withTags(req, SimReply::echo(req, r, {"name", "oldName", "subTag", "isUser"}));
}

/// Index into the stored programs (after program 0), -1 when no stored program has that name.
int indexOf(const SimDeviceState::Dsp& dsp, const QString& name)
{
    for (int i = 0; i < dsp.programs.size(); ++i)
        if (dsp.programs[i].first == name)
            return i;
    return -1;
}

/// Why `name` cannot be given to a stored program (empty when it can).
QString nameProblem(const QString& name)
{
    if (!SimDspPrograms::isValidName(name))
        return QStringLiteral("invalid name");
    if (name == kDefault)
        return QStringLiteral("default program");
    return {};
}

/// Stores `config` under `name`, in place of `replacing` when that program exists, else in place of the
/// program called `name`, else as a new program when there is room. Returns the refusal, empty on success.
QString storeProgram(SimDeviceState::Dsp& dsp, const QString& name, const QString& replacing, const QJsonObject& config)
{
    int at = replacing.isEmpty() ? -1 : indexOf(dsp, replacing);
    const int same = indexOf(dsp, name);
    if (at < 0)
        at = same;
    else if (same >= 0 && same != at) {
        // Two programs of one name would leave the second unreachable.
        dsp.programs.removeAt(same);
        if (same < at)
            --at;
    }
    if (at < 0) {
        if (dsp.programs.size() + 1 >= SimDspPrograms::kMaxPrograms)
            return QStringLiteral("too many programs");
        dsp.programs.append({name, config});
        return {};
    }
    if (dsp.lastLoaded == dsp.programs[at].first)
        dsp.lastLoaded = name;
    dsp.programs[at] = {name, config};
    return {};
}

Replies getConfigNameArr(const SimRequest& req)
{
    QJsonObject r = answer(req);
    r.insert(QStringLiteral("nameArr"), QJsonArray::fromStringList(SimDspPrograms::names(deviceOf(req))));
    return {r};
}

Replies getDefaultFile(const SimRequest& req)
{
    QJsonObject r = answer(req);
    r.insert(QStringLiteral("name"), dspOf(req).lastLoaded);
    return {r};
}

Replies getConfigByName(const SimRequest& req)
{
    const QString name = SimReply::text(req, "name");
    const SimDeviceState::Dsp& dsp = dspOf(req);
    const int i = indexOf(dsp, name);
    if (name != kDefault && i < 0)
        return {answer(req, QStringLiteral("unknown name"))};
    const QJsonObject config = i < 0 ? SimDspPrograms::factory(deviceOf(req)) : dsp.programs[i].second;
    QJsonObject r = answer(req);
    r.insert(QStringLiteral("config"), config);
    r.insert(QStringLiteral("version"), config.value(QLatin1String("version")).toString());
    return {r};
}

Replies saveConfigToFile(const SimRequest& req)
{
    const QString name = SimReply::text(req, "name");
    const QJsonValue config = req.message.value(QLatin1String("config"));
    QString problem = nameProblem(name);
    if (problem.isEmpty())
        problem = config.isObject() ? SimDspConfig::check(deviceOf(req).config(), config.toObject())
                                    : QStringLiteral("invalid config");
    if (problem.isEmpty())
        problem = storeProgram(dspOf(req), name, QString(), config.toObject());
    return {answer(req, problem)};
}

Replies saveToFile(const SimRequest& req)
{
    const QString name = SimReply::text(req, "name");
    const QString oldName = SimReply::text(req, "oldName");
    QString problem = nameProblem(name);
    if (problem.isEmpty() && oldName == kDefault)
        problem = QStringLiteral("default program");
    SimDeviceState::Dsp& dsp = dspOf(req);
    if (problem.isEmpty())
        problem = storeProgram(dsp, name, oldName, dsp.config);
    return {answer(req, problem)};
}

Replies loadFromFile(const SimRequest& req)
{
    const QString name = SimReply::text(req, "name");
    SimDevice& dev = deviceOf(req);
    SimDeviceState::Dsp& dsp = dspOf(req);
    const int i = indexOf(dsp, name);
    if (name != kDefault && i < 0)
        return {answer(req, QStringLiteral("unknown name"))};
    const QJsonObject config = i < 0 ? SimDspPrograms::factory(dev) : dsp.programs[i].second;
    const QString rate = config.value(QLatin1String("sampleRate")).toString();
    // A program made at another rate would run the processor's filters at the wrong frequencies.
    if (!rate.isEmpty() && rate != QString::number(dev.config().sampleRate))
        return {answer(req, QStringLiteral("sample rate mismatch"))};
    SimDspConfig::store(dev, config);
    dsp.lastLoaded = name;
    return {answer(req)};
}

Replies loadFromFactory(const SimRequest& req)
{
    SimDevice& dev = deviceOf(req);
    SimDspConfig::store(dev, SimDspPrograms::factory(dev));
    dspOf(req).lastLoaded = kDefault;
    return {answer(req)};
}

Replies deleteFile(const SimRequest& req)
{
    const QString name = SimReply::text(req, "name");
    SimDeviceState::Dsp& dsp = dspOf(req);
    const int i = indexOf(dsp, name);
    QString problem;
    if (name == kDefault)
        problem = QStringLiteral("default program");
    else if (i < 0)
        problem = QStringLiteral("unknown name");
    else if (name == dsp.lastLoaded)
        problem = QStringLiteral("program in use");
    else
        dsp.programs.removeAt(i);
    return {answer(req, problem)};
}

// ---- Channel programs ---------------------------------------------------------------------------------------

using NamedConfigs = QVector<QPair<QString, QJsonObject>>;

int indexIn(const NamedConfigs& list, const QString& name)
{
    for (int i = 0; i < list.size(); ++i)
        if (list[i].first == name)
            return i;
    return -1;
}

QJsonObject chAnswer(const SimRequest& req, const QString& reason = {})
{
    const QJsonObject r = reason.isEmpty() ? SimReply::succ(req) : SimReply::fail(req, reason);
    return SimReply::withTags(req, SimReply::echo(req, r, {"name", "oldName", "isInput", "ch"}));
}

/// Index of the input (first) or output (last) channel node; -1 when there is none.
int sideNode(const QJsonObject& config, bool input)
{
    const QJsonArray nodes = config.value(QLatin1String("nodeArr")).toArray();
    const auto isChannel = [&nodes](int i) {
        return nodes[i].toObject().value(QLatin1String("type")).toString() == QLatin1String("0");
    };
    if (input)
        return !nodes.isEmpty() && isChannel(0) ? 0 : -1;
    for (int i = nodes.size() - 1; i > 0; --i)
        if (isChannel(i))
            return i;
    return -1;
}

/// The channel node of one side and the channel's index in it; false when the request names no channel.
bool channelOf(const SimRequest& req, const QJsonObject& config, bool* input, int* node, int* ch)
{
    const QString side = SimReply::text(req, "isInput");
    if (side != QLatin1String("1") && side != QLatin1String("0"))
        return false;
    *input = side == QLatin1String("1");
    bool ok = false;
    *ch = SimReply::text(req, "ch").toInt(&ok);
    *node = sideNode(config, *input);
    return ok && *node >= 0 && *ch >= 0 && *ch < SimDspConfig::channelCount(config, *input);
}

/// Why `program` is not a channel program this device can keep (empty when it is).
QString chProgramProblem(const QJsonObject& program)
{
    const QString side = program.value(QLatin1String("side")).toString();
    if (side != QLatin1String("in") && side != QLatin1String("out"))
        return QStringLiteral("invalid config");
    if (!program.value(QLatin1String("comm")).isObject() ||
        !program.value(QLatin1String("port")).toObject().value(QLatin1String("procArr")).isArray())
        return QStringLiteral("invalid config");
    return {};
}

QString storeChProgram(NamedConfigs& list, const QString& name, const QString& replacing, const QJsonObject& program)
{
    int at = replacing.isEmpty() ? -1 : indexIn(list, replacing);
    const int same = indexIn(list, name);
    if (at < 0)
        at = same;
    else if (same >= 0 && same != at) {
        list.removeAt(same);
        if (same < at)
            --at;
    }
    if (at >= 0) {
        list[at] = {name, program};
        return {};
    }
    if (list.size() >= SimDspPrograms::kMaxChannelPrograms)
        return QStringLiteral("too many programs");
    list.append({name, program});
    return {};
}

Replies getChConfigNameArr(const SimRequest& req)
{
    QStringList names;
    for (const auto& p : dspOf(req).channelPrograms)
        names << p.first;
    QJsonObject r = chAnswer(req);
    r.insert(QStringLiteral("nameArr"), QJsonArray::fromStringList(names));
    return {r};
}

Replies saveChConfig(const SimRequest& req)
{
    const QString name = SimReply::text(req, "name");
    if (!SimDspPrograms::isValidName(name))
        return {chAnswer(req, QStringLiteral("invalid name"))};
    SimDeviceState::Dsp& dsp = dspOf(req);
    bool input = true;
    int node = -1;
    int ch = -1;
    if (!channelOf(req, dsp.config, &input, &node, &ch))
        return {chAnswer(req, QStringLiteral("invalid channel"))};
    const QJsonObject n = dsp.config.value(QLatin1String("nodeArr")).toArray()[node].toObject();
    const QJsonObject program{{QStringLiteral("version"), QStringLiteral("4")},
                              {QStringLiteral("side"), input ? QStringLiteral("in") : QStringLiteral("out")},
                              {QStringLiteral("comm"), n.value(QLatin1String("commArr")).toArray()[ch]},
                              {QStringLiteral("port"),
                               n.value(QLatin1String("obj")).toObject().value(QLatin1String("portArr")).toArray()[ch]}};
    return {chAnswer(req, storeChProgram(dsp.channelPrograms, name, SimReply::text(req, "oldName"), program))};
}

Replies saveChConfigToFile(const SimRequest& req)
{
    const QString name = SimReply::text(req, "name");
    if (!SimDspPrograms::isValidName(name))
        return {chAnswer(req, QStringLiteral("invalid name"))};
    const QJsonObject program = req.message.value(QLatin1String("config")).toObject();
    QString problem = chProgramProblem(program);
    if (problem.isEmpty())
        problem = storeChProgram(dspOf(req).channelPrograms, name, QString(), program);
    return {chAnswer(req, problem)};
}

Replies renameChConfig(const SimRequest& req)
{
    const QString name = SimReply::text(req, "name");
    NamedConfigs& list = dspOf(req).channelPrograms;
    const int at = indexIn(list, SimReply::text(req, "oldName"));
    if (!SimDspPrograms::isValidName(name))
        return {chAnswer(req, QStringLiteral("invalid name"))};
    if (at < 0)
        return {chAnswer(req, QStringLiteral("unknown name"))};
    if (indexIn(list, name) >= 0 && indexIn(list, name) != at)
        return {chAnswer(req, QStringLiteral("name taken"))};
    list[at].first = name;
    return {chAnswer(req)};
}

Replies deleteChConfig(const SimRequest& req)
{
    NamedConfigs& list = dspOf(req).channelPrograms;
    const int at = indexIn(list, SimReply::text(req, "name"));
    if (at < 0)
        return {chAnswer(req, QStringLiteral("unknown name"))};
    list.removeAt(at);
    return {chAnswer(req)};
}

Replies getChConfigByName(const SimRequest& req)
{
    const NamedConfigs& list = dspOf(req).channelPrograms;
    const int at = indexIn(list, SimReply::text(req, "name"));
    if (at < 0)
        return {chAnswer(req, QStringLiteral("unknown name"))};
    QJsonObject r = chAnswer(req);
    r.insert(QStringLiteral("config"), list[at].second);
    return {r};
}

Replies loadChConfig(const SimRequest& req)
{
    SimDevice& dev = deviceOf(req);
    SimDeviceState::Dsp& dsp = dspOf(req);
    const int at = indexIn(dsp.channelPrograms, SimReply::text(req, "name"));
    if (at < 0)
        return {chAnswer(req, QStringLiteral("unknown name"))};
    QJsonObject config = dsp.config;
    bool input = true;
    int node = -1;
    int ch = -1;
    if (!channelOf(req, config, &input, &node, &ch))
        return {chAnswer(req, QStringLiteral("invalid channel"))};
    const QJsonObject& program = dsp.channelPrograms[at].second;
    // The blocks of one side do not all exist on the other.
    if ((program.value(QLatin1String("side")).toString() == QLatin1String("in")) != input)
        return {chAnswer(req, QStringLiteral("channel type mismatch"))};
    QJsonArray nodes = config.value(QLatin1String("nodeArr")).toArray();
    QJsonObject n = nodes[node].toObject();
    QJsonArray comm = n.value(QLatin1String("commArr")).toArray();
    QJsonObject obj = n.value(QLatin1String("obj")).toObject();
    QJsonArray ports = obj.value(QLatin1String("portArr")).toArray();
    comm[ch] = program.value(QLatin1String("comm"));
    ports[ch] = program.value(QLatin1String("port"));
    obj.insert(QStringLiteral("portArr"), ports);
    n.insert(QStringLiteral("commArr"), comm);
    n.insert(QStringLiteral("obj"), obj);
    nodes[node] = n;
    config.insert(QStringLiteral("nodeArr"), nodes);
    SimDspConfig::store(dev, config);
    return {chAnswer(req)};
}

} // namespace

bool SimDspPrograms::isValidName(const QString& name)
{
    static const QRegularExpression kName(QStringLiteral("^[0-9a-zA-Z_-]{1,40}$"));
    return kName.match(name).hasMatch();
}

QStringList SimDspPrograms::names(SimDevice& device)
{
    SimDspConfig::current(device);
    QStringList out{kDefault};
    for (const auto& p : device.state().dsp.programs)
        out.append(p.first);
    return out;
}

QJsonObject SimDspPrograms::factory(SimDevice& device)
{
    SimDspConfig::current(device);
    const QJsonObject& f = device.state().dsp.factory;
    return f.isEmpty() ? SimDspConfig::generate(device.config()) : f;
}

void SimDspPrograms::addTo(SimCommandHandlers& h)
{
    const SimServices both = SimServiceDsp | SimServiceDspTcp;
    h.add(QStringLiteral("getConfigNameArr"), SimDspCommands::dspOnly(getConfigNameArr), both);
    h.add(QStringLiteral("getDefaultFile"), SimDspCommands::dspOnly(getDefaultFile), both);
    h.add(QStringLiteral("getConfigByName"), SimDspCommands::dspOnly(getConfigByName), SimServiceDspTcp);
    h.add(QStringLiteral("saveConfigToFile"), SimDspCommands::change(saveConfigToFile), SimServiceDspTcp);
    h.add(QStringLiteral("saveToFile"), SimDspCommands::change(saveToFile), both);
    h.add(QStringLiteral("loadFromFile"), SimDspCommands::change(loadFromFile), both);
    h.add(QStringLiteral("loadFromFactory"), SimDspCommands::change(loadFromFactory), both);
    // The program page's factory-reset button asks by datagram, without a configuration: program 0 runs again.
    // (With a configuration, over TCP, the request stores a new factory layout: see SimDspCommands.)
    h.add(QStringLiteral("setFactoryConfig"), SimDspCommands::change(loadFromFactory), SimServiceDsp);
    h.add(QStringLiteral("deleteFile"), SimDspCommands::change(deleteFile), both);
    h.add(QStringLiteral("getChConfigNameArr"), SimDspCommands::dspOnly(getChConfigNameArr), both);
    h.add(QStringLiteral("getChConfigByName"), SimDspCommands::dspOnly(getChConfigByName), SimServiceDspTcp);
    h.add(QStringLiteral("saveChConfigToFile"), SimDspCommands::change(saveChConfigToFile), SimServiceDspTcp);
    h.add(QStringLiteral("saveChConfig"), SimDspCommands::change(saveChConfig), both);
    h.add(QStringLiteral("renameChConfig"), SimDspCommands::change(renameChConfig), both);
    h.add(QStringLiteral("deleteChConfig"), SimDspCommands::change(deleteChConfig), both);
    h.add(QStringLiteral("loadChConfig"), SimDspCommands::change(loadChConfig), both);
}

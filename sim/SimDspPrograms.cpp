#include "SimDspPrograms.h"

#include "SimCommandHandlers.h"
#include "SimDspCommands.h"
#include "SimDspConfig.h"
#include "SimNetwork.h"
#include "SimReply.h"

#include <QJsonArray>
#include <QRegularExpression>

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
    h.add(QStringLiteral("deleteFile"), SimDspCommands::change(deleteFile), both);
}

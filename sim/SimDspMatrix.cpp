#include "SimDspMatrix.h"

#include "SimAudioPath.h"
#include "SimCommandHandlers.h"
#include "SimDspCommands.h"
#include "SimLevels.h"
#include "SimNetwork.h"
#include "SimReply.h"

#include <QJsonArray>

#include <optional>

namespace {

using Replies = QVector<QJsonObject>;

/// The matrix node's output entries ("obj"."portArr") of a configuration, located by index.
struct MatrixNode
{
    int node = -1;
    QJsonArray ports;
    int rows() const
    {
        return ports.isEmpty() ? 0 : ports.first().toObject().value(QLatin1String("muteArr")).toArray().size();
    }
};

MatrixNode findMatrix(const QJsonObject& config)
{
    const QJsonArray nodes = config.value(QLatin1String("nodeArr")).toArray();
    for (int i = 0; i < nodes.size(); ++i) {
        const QJsonObject n = nodes.at(i).toObject();
        if (n.value(QLatin1String("type")).toString() == QLatin1String("1"))
            return {i, n.value(QLatin1String("obj")).toObject().value(QLatin1String("portArr")).toArray()};
    }
    return {};
}

void storeMatrix(QJsonObject& config, const MatrixNode& m)
{
    QJsonArray nodes = config.value(QLatin1String("nodeArr")).toArray();
    QJsonObject n = nodes.at(m.node).toObject();
    QJsonObject obj = n.value(QLatin1String("obj")).toObject();
    obj.insert(QStringLiteral("portArr"), m.ports);
    n.insert(QStringLiteral("obj"), obj);
    nodes[m.node] = n;
    config.insert(QStringLiteral("nodeArr"), nodes);
}

QJsonObject succ(const SimRequest& req)
{
    return SimReply::withTags(req, SimReply::succ(req));
}

QJsonObject fail(const SimRequest& req, const QString& reason)
{
    return SimReply::withTags(req, SimReply::fail(req, reason));
}

/// "0"/"1" or nullopt.
std::optional<bool> flagOf(const QJsonObject& message, const char* key)
{
    const QString t = message.value(QLatin1String(key)).toString();
    if (t == QLatin1String("0") || t == QLatin1String("1"))
        return t == QLatin1String("1");
    return std::nullopt;
}

QJsonArray slice(const QJsonArray& a, int from, int to)
{
    QJsonArray out;
    for (int i = from; i < to && i < a.size(); ++i)
        out.append(a.at(i));
    return out;
}

/// getMatrix and getMatrixBatch: one page of one output. getMatrix starts at row 0 unless told otherwise.
SimHandler reader(bool batch)
{
    return [batch](const SimRequest& req) -> Replies {
        const MatrixNode m = findMatrix(SimDspCommands::config(req));
        const std::optional<int> out = SimReply::readIntIn(req.message, "outIndex", 0, m.ports.size() - 1);
        const std::optional<int> given = SimCommandHandlers::readInt(req.message, "idStart");
        const int start = given.value_or(0);
        if (m.node < 0 || !out)
            return {SimReply::echo(req, fail(req, QStringLiteral("outIndex out of range")), {"outIndex"})};
        if ((batch && !given) || start < 0 || start >= m.rows())
            return {SimReply::echo(req, fail(req, QStringLiteral("idStart out of range")), {"outIndex", "idStart"})};
        const QJsonObject port = m.ports.at(*out).toObject();
        const int next = qMin(start + SimDspMatrix::kRowsPerPage, m.rows());
        QJsonObject r = succ(req);
        r.insert(QStringLiteral("outIndex"), QString::number(*out));
        r.insert(QStringLiteral("idStart"), QString::number(start));
        r.insert(QStringLiteral("idNext"), QString::number(next));
        r.insert(QStringLiteral("mode"), port.value(QLatin1String("mode")).toString(QStringLiteral("0")));
        r.insert(QStringLiteral("muteArr"), slice(port.value(QLatin1String("muteArr")).toArray(), start, next));
        r.insert(QStringLiteral("gainArr"), slice(port.value(QLatin1String("gainArr")).toArray(), start, next));
        return {r};
    };
}

/// setMatrixMute ("mute") and setMatrixGain ("val", a gain code 0..240): one crosspoint, stored.
SimHandler cellSetter(bool gain)
{
    return [gain](const SimRequest& req) -> Replies {
        QJsonObject& config = SimDspCommands::config(req);
        MatrixNode m = findMatrix(config);
        const std::optional<int> out = SimReply::readIntIn(req.message, "outIndex", 0, m.ports.size() - 1);
        const std::optional<int> in = SimReply::readIntIn(req.message, "inIndex", 0, m.rows() - 1);
        const std::optional<bool> mute = flagOf(req.message, "mute");
        const std::optional<int> code = SimReply::readIntIn(req.message, "val", 0, 240);
        const bool batchOk = !req.message.contains(QLatin1String("isBatch")) || flagOf(req.message, "isBatch");
        QJsonObject r;
        if (m.node < 0 || !out || !in)
            r = fail(req, QStringLiteral("index out of range"));
        else if (gain ? !code : !mute)
            r = fail(req, gain ? QStringLiteral("invalid val") : QStringLiteral("invalid mute"));
        else if (!batchOk)
            r = fail(req, QStringLiteral("invalid isBatch"));
        else {
            QJsonObject port = m.ports.at(*out).toObject();
            const char* key = gain ? "gainArr" : "muteArr";
            QJsonArray arr = port.value(QLatin1String(key)).toArray();
            while (arr.size() < m.rows())
                arr.append(QStringLiteral("0"));
            arr[*in] = gain ? QString::number(*code) : (*mute ? QStringLiteral("1") : QStringLiteral("0"));
            port.insert(QLatin1String(key), arr);
            m.ports[*out] = port;
            storeMatrix(config, m);
            r = succ(req);
        }
        return {SimReply::echo(req, r, {"outIndex", "inIndex", "mute", "val", "isBatch"})};
    };
}

/// setMatrixMode: one output's gain share, or every output's under "superMatrixUiTag" without "outIndex".
Replies setMatrixMode(const SimRequest& req)
{
    QJsonObject& config = SimDspCommands::config(req);
    MatrixNode m = findMatrix(config);
    const std::optional<bool> mode = flagOf(req.message, "mode");
    const bool all = req.message.value(QLatin1String("uiTag")).toString() == QLatin1String("superMatrixUiTag") &&
                     !req.message.contains(QLatin1String("outIndex"));
    const std::optional<int> out = SimReply::readIntIn(req.message, "outIndex", 0, m.ports.size() - 1);
    QJsonObject r;
    if (m.node < 0 || (!all && !out))
        r = fail(req, QStringLiteral("outIndex out of range"));
    else if (!mode)
        r = fail(req, QStringLiteral("invalid mode"));
    else {
        for (int c = 0; c < m.ports.size(); ++c) {
            if (!all && c != *out)
                continue;
            QJsonObject port = m.ports.at(c).toObject();
            port.insert(QStringLiteral("mode"), *mode ? QStringLiteral("1") : QStringLiteral("0"));
            m.ports[c] = port;
        }
        storeMatrix(config, m);
        r = succ(req);
    }
    return {SimReply::echo(req, r, {"outIndex", "mode"})};
}

/// The channel level reads on the processor's port, tagged so the processor dialog takes them.
SimHandler levels(SimMeter meter)
{
    return [meter](const SimRequest& req) -> Replies {
        const QStringList texts = SimAudioPath(req.network).texts(req.deviceIndex, meter, req.network.nowMs());
        const std::optional<int> start = SimCommandHandlers::readInt(req.message, "idStart");
        if (!start || *start < 0 || *start > texts.size())
            return {SimReply::echo(req, fail(req, QStringLiteral("idStart out of range")), {"idStart"})};
        return {SimReply::withTags(req,
                                   SimReply::page(SimReply::succ(req), texts, *start, req.network.options().pageSize))};
    };
}

} // namespace

void SimDspMatrix::addTo(SimCommandHandlers& h)
{
    h.add(QStringLiteral("getMatrix"), SimDspCommands::dspOnly(reader(false)), SimServiceDsp);
    h.add(QStringLiteral("getMatrixBatch"), SimDspCommands::dspOnly(reader(true)), SimServiceDsp);
    h.add(QStringLiteral("setMatrixMute"), SimDspCommands::change(cellSetter(false)), SimServiceDsp);
    h.add(QStringLiteral("setMatrixGain"), SimDspCommands::change(cellSetter(true)), SimServiceDsp);
    h.add(QStringLiteral("setMatrixMode"), SimDspCommands::change(setMatrixMode), SimServiceDsp);
    h.add(QStringLiteral("getAllPhyVolumeDbRx"), SimDspCommands::dspOnly(levels(SimMeter::PhyRx)), SimServiceDsp);
    h.add(QStringLiteral("getAllPhyVolumeDbTx"), SimDspCommands::dspOnly(levels(SimMeter::PhyTx)), SimServiceDsp);
    h.add(QStringLiteral("getAllVolumeDbRx"), SimDspCommands::dspOnly(levels(SimMeter::NetRx)), SimServiceDsp);
    h.add(QStringLiteral("getAllVolumeDbTx"), SimDspCommands::dspOnly(levels(SimMeter::NetTx)), SimServiceDsp);
}

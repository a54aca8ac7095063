#include "SimDspGroups.h"

#include "SimCommandHandlers.h"
#include "SimDspCommands.h"
#include "SimDspConfig.h"
#include "SimReply.h"

#include <QJsonArray>

#include <functional>
#include <optional>

namespace {

using Replies = QVector<QJsonObject>;

/// What a request asks to store into one "groupArr" entry: key and text, or nullopt with the reason.
using GroupValue = std::function<std::optional<QPair<QString, QString>>(const SimRequest&, QString* reason)>;

SimHandler groupSetter(GroupValue value)
{
    return [value](const SimRequest& req) -> Replies {
        QJsonObject& config = SimDspCommands::config(req);
        QJsonArray groups = config.value(QLatin1String("groupArr")).toArray();
        const std::optional<int> index = SimReply::readIntIn(req.message, "index", 0, SimDspConfig::kGroups - 1);
        QString reason;
        std::optional<QPair<QString, QString>> change;
        if (!index || *index >= groups.size())
            reason = QStringLiteral("index out of range");
        else
            change = value(req, &reason);
        QJsonObject r;
        if (change) {
            QJsonObject g = groups.at(*index).toObject();
            g.insert(change->first, change->second);
            groups[*index] = g;
            config.insert(QStringLiteral("groupArr"), groups);
            r = SimReply::withTags(req, SimReply::succ(req));
        } else {
            r = SimReply::withTags(req, SimReply::fail(req, reason));
        }
        return {SimReply::echo(req, r, {"index", "val", "name"})};
    };
}

std::optional<QPair<QString, QString>> gain(const SimRequest& req, QString* reason)
{
    const std::optional<double> db = SimReply::readDouble(req.message, "val");
    if (!db || *db < SimDspGroups::kMinGainDb || *db > SimDspGroups::kMaxGainDb) {
        *reason = QStringLiteral("invalid val");
        return std::nullopt;
    }
    return qMakePair(QStringLiteral("gainDb"), QString::number(*db, 'g', 6));
}

std::optional<QPair<QString, QString>> mute(const SimRequest& req, QString* reason)
{
    const QString v = SimReply::text(req, "val");
    if (v != QLatin1String("0") && v != QLatin1String("1")) {
        *reason = QStringLiteral("invalid val");
        return std::nullopt;
    }
    return qMakePair(QStringLiteral("mute"), v);
}

std::optional<QPair<QString, QString>> name(const SimRequest& req, QString* reason)
{
    const QJsonValue v = req.message.value(QLatin1String("name"));
    if (!v.isString() || v.toString().size() > SimDspGroups::kMaxNameLength) {
        *reason = QStringLiteral("invalid name");
        return std::nullopt;
    }
    return qMakePair(QStringLiteral("name"), v.toString());
}

} // namespace

void SimDspGroups::addTo(SimCommandHandlers& h)
{
    h.add(QStringLiteral("setGroupGain"), SimDspCommands::change(groupSetter(gain)), SimServiceDsp);
    h.add(QStringLiteral("setGroupMute"), SimDspCommands::change(groupSetter(mute)), SimServiceDsp);
    h.add(QStringLiteral("setGroupName"), SimDspCommands::change(groupSetter(name)), SimServiceDsp);
}

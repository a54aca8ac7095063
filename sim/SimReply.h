#pragma once

#include "SimCommandHandlers.h"
#include "SimTypes.h"

#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <optional>

/// The pieces every answer of a device is built from, shared by the command families.
class SimReply
{
public:
    /// The request's member as text; empty when absent or not text.
    static QString text(const SimRequest& req, const char* key);
    /// {"ops": the request's, "devId": the device's, "result": "succ"}.
    static QJsonObject succ(const SimRequest& req);
    /// Like succ with "result" "fail" and the reason.
    static QJsonObject fail(const SimRequest& req, const QString& reason);
    /// Copies "uiTag" and "cookie" of the request into the reply: DSP windows match answers by them.
    static QJsonObject withTags(const SimRequest& req, QJsonObject reply);
    /// Copies the named request members (when present) into the reply, so the asker sees what was applied.
    static QJsonObject echo(const SimRequest& req, QJsonObject reply, std::initializer_list<const char*> keys);
    /// Adds one page of `values` to `reply`: "idStart", "idNext" and "arr" of the texts [idStart, idNext), at most
    /// pageSize of them and cut short before the datagram would outgrow maxBytes. Requires
    /// 0 <= idStart <= values.size().
    static QJsonObject page(QJsonObject reply, const QStringList& values, int idStart, int pageSize,
                            int maxBytes = kSimMaxDatagramBytes);
    /// A finite decimal number from text ("-3.5"); nullopt otherwise.
    static std::optional<double> readDouble(const QJsonObject& message, const char* key);
    /// A whole number within [min, max] from decimal text; nullopt otherwise.
    static std::optional<int> readIntIn(const QJsonObject& message, const char* key, int min, int max);
};

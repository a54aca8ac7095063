#include "DspChannelMeters.h"

#include "ReplyFields.h"

#include <QJsonArray>

#include <cmath>

namespace DspChannelMeters {

bool read(const QJsonObject& reply, bool isInput, int limit, Levels* out)
{
    const QString ops = ReplyFields::text(reply, "ops");
    QJsonArray arr;
    int start = 0;
    if (ops == QLatin1String("getVolumeDb")) {
        const QJsonValue v = reply.value(isInput ? QLatin1String("inArr") : QLatin1String("outArr"));
        if (!v.isArray())
            return false;
        arr = v.toArray();
    } else if (ops == QLatin1String(isInput ? "getVolumeDbBatchIn" : "getVolumeDbBatchOut")) {
        bool ok = false;
        start = ReplyFields::text(reply, "idStart").toInt(&ok);
        if (!ok || start < 0 || !reply.value(QLatin1String("arr")).isArray())
            return false;
        arr = reply.value(QLatin1String("arr")).toArray();
    } else {
        return false;
    }
    out->start = start;
    out->db.clear();
    const int n = qMin(arr.size(), qMax(0, limit));
    out->db.reserve(n);
    for (int i = 0; i < n; ++i)
        out->db.append(levelDb(arr.at(i).toString()));
    return true;
}

int levelDb(const QString& text)
{
    const QString t = text.trimmed();
    bool ok = false;
    const double db = t.toDouble(&ok);
    if (!ok || !std::isfinite(db))
        return FloorDb;
    return int(qBound<long>(FloorDb, std::lround(db), 0));
}

} // namespace DspChannelMeters

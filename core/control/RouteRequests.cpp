#include "RouteRequests.h"

#include "DevManager.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace {
QString compact(const QJsonObject& o)
{
    return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact));
}
} // namespace

QString RouteRequests::setUcastRx(const QString& srcDevId, int srcCh, int dstCh)
{
    return compact({{"ops", "setUcastRx"},
                    {"srcDevId", srcDevId},
                    {"srcChId", QString::number(srcCh)},
                    {"dstChId", QString::number(dstCh)}});
}

QString RouteRequests::setMcastRx(const StreamDesc& stream, int srcCh, int dstCh)
{
    return compact({{"ops", "setMcastRx"},
                    {"sdp", streamToJson(stream)},
                    {"srcChId", QString::number(srcCh)},
                    {"dstChId", QString::number(dstCh)}});
}

QString RouteRequests::clrRxCh(int dstCh)
{
    return compact({{"ops", "clrRxCh"}, {"dstChId", QString::number(dstCh)}});
}

#include "McastTxFacts.h"

#include "DevDetailStore.h"
#include "DevManager.h"
#include "RegistryJson.h"

#include <QJsonArray>

bool McastTxFacts::device(const QString& devId, const DevDetailStore& store, McastCreateChecks::Device* out)
{
    const DevDetail_t detail = store.getDevDetail(devId);
    if (detail.isEmpty())
        return false;
    out->devId = devId;
    out->ip = detail.ip;
    out->sampleRate = detail.sampleRate;
    out->sampleByteNum = detail.sampleByteNum;
    return true;
}

QVector<McastTxFacts::TxStream> McastTxFacts::txStreams(const QString& devId)
{
    QVector<TxStream> out;
    const QByteArray id = devId.toUtf8();
    const DevRecord* rec = findDevById(id.constData());
    if (rec == nullptr)
        return out;
    const QJsonArray tx =
        RegistryJson::device(rec).value(QStringLiteral("tables")).toObject().value(QStringLiteral("mcastTx")).toArray();
    for (const QJsonValue& v : tx) {
        const QJsonObject o = v.toObject();
        const QJsonObject sdp = o.value(QStringLiteral("sdp")).toObject();
        TxStream s;
        s.name = o.value(QStringLiteral("name")).toString();
        s.dstIp = sdp.value(QStringLiteral("dstIp")).toString();
        s.dstPort = sdp.value(QStringLiteral("dstPort")).toInt();
        for (const QJsonValue& c : o.value(QStringLiteral("srcChIdArr")).toArray()) {
            if (c.toInt(-1) >= 0)
                s.channels.append(c.toInt());
        }
        out.append(s);
    }
    return out;
}

QJsonObject McastTxFacts::deleteRequest(const QString& devId, const TxStream& stream)
{
    return QJsonObject{{"ops", QStringLiteral("clrMcastTx")},
                       {"devId", devId},
                       {"name", stream.name},
                       {"dstIp", QString::number(dvm_parseIp(stream.dstIp))}};
}

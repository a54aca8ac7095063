#include "OfflineStreamTables.h"

#include "OfflineDevice.h"

#include <QJsonArray>

QJsonObject OfflineStreamTables::device(const OfflineDevice& device)
{
    const OfflineDevDetail& d = device.detail();
    // A fixed address is the only one a design knows; otherwise the stream's source is not known yet.
    const QString srcIp = d.isFixIp ? d.ipAndMask.section(QLatin1Char('/'), 0, 0) : QStringLiteral("0.0.0.0");
    QJsonArray tx;
    for (int i = 0; i < d.mcastList.size(); ++i) {
        const OfflineMcast& m = d.mcastList.at(i);
        QJsonArray chans;
        for (int ch : m.srcChannels)
            chans.append(ch);
        const QJsonObject sdp{{"srcIp", srcIp},
                              {"dstIp", m.dstIp},
                              {"dstPort", m.dstPort},
                              {"chNum", m.chNum},
                              {"sampleByteNum", d.sampleByteNum},
                              {"rtpTsOffset", 0}};
        tx.append(QJsonObject{{"id", i}, {"sdp", sdp}, {"srcChIdArr", chans}, {"name", m.name}});
    }
    return QJsonObject{{"devId", d.devId}, {"chNumTx", d.chNumTx}, {"tables", QJsonObject{{"mcastTx", tx}}}};
}

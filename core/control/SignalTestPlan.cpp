#include "SignalTestPlan.h"

#include "ReplyFields.h"
#include "RouteRequests.h"
#include "UntrustedJson.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <algorithm>

namespace SignalTestPlan {

QString meterOps(Meter meter)
{
    switch (meter) {
    case Meter::PhyRx:
        return QStringLiteral("getAllPhyVolumeDbRx");
    case Meter::PhyTx:
        return QStringLiteral("getAllPhyVolumeDbTx");
    case Meter::NetRx:
        return QStringLiteral("getAllVolumeDbRx");
    case Meter::NetTx:
        break;
    }
    return QStringLiteral("getAllVolumeDbTx");
}

int sourceTxChannel(bool networkInput, int number, int sourcePhyInputs)
{
    return networkInput ? sourcePhyInputs + number - 1 : number - 1;
}

int analogReturnTx(int channel)
{
    return channel - 1;
}

QString routeRequest(const QString& srcDevId, int srcTx, int dstRx)
{
    return RouteRequests::setUcastRx(srcDevId, srcTx, dstRx);
}

QString clearRequest(int dstRx)
{
    return RouteRequests::clrRxCh(dstRx);
}

QString levelRequest(const QString& devId, Meter meter, int idStart)
{
    return ReplyFields::compact({{"ops", meterOps(meter)}, {"devId", devId}, {"idStart", QString::number(idStart)}});
}

QString cancelStageRequest(const QString& devId, int output, int delayNum, int maxNum)
{
    return ReplyFields::compact({{"ops", "setBorderProc"},
                                 {"devId", devId},
                                 {"nodeId", QString::number(kCancelNodeId)},
                                 {"portIndex", QString::number(output - 1)},
                                 {"procIndex", QString::number(kCancelProcIndex)},
                                 {"delayNum", QString::number(delayNum)},
                                 {"maxNum", QString::number(maxNum)}});
}

QString rebootRequest(const QString& devId)
{
    return ReplyFields::compact({{"ops", "reboot"}, {"devId", devId}});
}

QString ampInfoRequest(const QString& devId)
{
    return ReplyFields::compact({{"ops", "getInfo"}, {"devId", devId}});
}

QString ampPowerGainRequest(const QString& devId)
{
    return ReplyFields::compact({{"ops", "getPowerGainInfo"}, {"devId", devId}});
}

QString ampModuleLine(int module, const QJsonObject& answer, bool* powered)
{
    *powered = ReplyFields::text(answer, "powerOn") == QLatin1String("1");
    // Untrusted: at most one entry per channel a class holds, each cut short.
    QStringList gains;
    for (const QString& g : ReplyFields::texts(answer, "powerGainArr").mid(0, kMaxChannels))
        gains.append(g.left(8));
    return QStringLiteral("功放模块%1: 通道数%2，上电%3，增益%4")
        .arg(module)
        .arg(ReplyFields::text(answer, "chNum").left(8), *powered ? QStringLiteral("是") : QStringLiteral("否"),
             gains.join(QLatin1Char('/')));
}

QJsonObject replyObject(const QByteArray& answer)
{
    QJsonDocument doc;
    if (dvm::parseUntrustedJson(answer, &doc) != dvm::JsonVerdict::Parsed || !doc.isObject())
        return QJsonObject();
    return doc.object();
}

bool answerSucceeded(const QByteArray& answer)
{
    return ReplyFields::succeeded(replyObject(answer));
}

LevelPages::LevelPages(int wanted, int first)
    : m_levels(std::clamp(wanted, 0, kMaxChannels)), m_first(std::clamp(first, 0, kMaxChannelId))
{
}

int LevelPages::nextStart() const
{
    return complete() ? -1 : m_first + m_filled;
}

bool LevelPages::take(const QByteArray& answer)
{
    const QJsonObject o = replyObject(answer);
    if (o.isEmpty() || ReplyFields::failed(o))
        return false;
    // A page for another start (a late answer) must not be taken for this one.
    if (ReplyFields::number(o, "idStart", -1) != m_first + m_filled)
        return false;
    const QStringList values = ReplyFields::texts(o, "arr");
    int n = 0;
    for (; n < values.size() && m_filled + n < m_levels.size(); ++n)
        m_levels[m_filled + n] = values.at(n);
    if (n == 0)
        return false; // no progress: the device has fewer channels than asked for
    m_filled += n;
    return true;
}

} // namespace SignalTestPlan

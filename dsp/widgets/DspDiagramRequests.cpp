#include "DspDiagramRequests.h"

#include "CDeviceDspData.h"

#include <QJsonArray>

namespace DspDiagramRequests {

namespace {

QJsonObject base(const QString& ops)
{
    QJsonObject o;
    o.insert(QStringLiteral("ops"), ops);
    o.insert(QStringLiteral("uiTag"), QStringLiteral("dspUiTag"));
    return o;
}

} // namespace

QJsonObject channelValue(const QString& ops, bool isInput, int chIndex, const QString& value)
{
    QJsonObject entry;
    entry.insert(QStringLiteral("index"), QString::number(chIndex));
    entry.insert(QStringLiteral("val"), value);
    QJsonObject o = base(ops);
    o.insert(isInput ? QStringLiteral("inArr") : QStringLiteral("outArr"), QJsonArray{entry});
    return o;
}

QJsonObject mute(bool isInput, int chIndex, bool mute)
{
    return channelValue(QStringLiteral("setMute"), isInput, chIndex, mute ? QStringLiteral("1") : QStringLiteral("0"));
}

QJsonObject inverse(bool isInput, int chIndex, bool inverse)
{
    return channelValue(QStringLiteral("setInverse"), isInput, chIndex,
                        inverse ? QStringLiteral("1") : QStringLiteral("0"));
}

QJsonObject gain(bool isInput, int chIndex, double db)
{
    return channelValue(QStringLiteral("setGain"), isInput, chIndex, QString::number(db, 'g', 6));
}

QJsonObject groupId(bool isInput, int chIndex, int groupId)
{
    return channelValue(QStringLiteral("setGroupId"), isInput, chIndex, QString::number(groupId));
}

NameTarget nameTarget(const CDeviceDspData& data, bool isInput, int chIndex)
{
    const int local = isInput ? data.localInCount() : data.localOutCount();
    const int net = isInput ? data.netInCount() : data.netOutCount();
    NameTarget t;
    if (chIndex < 0)
        return t;
    if (chIndex < local) {
        t.ops = isInput ? QStringLiteral("setPhyChNameRx") : QStringLiteral("setPhyChNameTx");
        t.id = chIndex;
    } else if (chIndex < local + net) {
        t.ops = isInput ? QStringLiteral("setChNameRx") : QStringLiteral("setChNameTx");
        t.id = chIndex - local;
    }
    return t;
}

QJsonObject channelName(const NameTarget& target, const QString& name)
{
    QJsonObject o = base(target.ops);
    o.insert(QStringLiteral("id"), QString::number(target.id));
    o.insert(QStringLiteral("name"), name);
    return o;
}

QJsonObject saveConfig(const CDeviceDspData& data, const QString& firmwareVersion)
{
    QJsonObject o = base(QStringLiteral("setConfig"));
    o.insert(QStringLiteral("config"), data.writeConfig(firmwareVersion));
    return o;
}

QJsonObject version()
{
    QJsonObject o = base(QStringLiteral("getVersion"));
    o.insert(QStringLiteral("cookie"), QStringLiteral("0"));
    return o;
}

} // namespace DspDiagramRequests

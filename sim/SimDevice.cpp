#include "SimDevice.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <algorithm>

namespace {

const char* const kTableOps[] = {"getAllRxCh",    "getAllRtpCh",   "getAllUcastRx",       "getAllUcastTx",
                                 "getAllMcastRx", "getAllMcastTx", "getAllActiveUcastId", "getAllActiveMcastId"};

QString num(qint64 n)
{
    return QString::number(n);
}

template <typename Arr> QJsonArray slotsToWire(const Arr& ids)
{
    QJsonArray a;
    for (int v : ids)
        a.append(num(v));
    return a;
}

template <typename Arr> QJsonArray slotsToDump(const Arr& ids)
{
    QJsonArray a;
    for (int v : ids)
        a.append(v);
    return a;
}

const char* const kNameOps[] = {"getAllChNameRx", "getAllChNameTx", "getAllPhyChNameTx", "getAllPhyChNameRx"};

/// The configured names, completed with "<prefix><n>" up to count.
QStringList namesFor(const QStringList& configured, int count, const char* prefix)
{
    QStringList out = configured.mid(0, count);
    for (int id = out.size(); id < count; ++id)
        out.append(QLatin1String(prefix) + QString::number(id + 1));
    return out;
}

int byteSize(const QJsonObject& o)
{
    return QJsonDocument(o).toJson(QJsonDocument::Compact).size();
}

} // namespace

SimDevice::SimDevice(const SimDeviceConfig& config, quint16 defaultPort)
    : m_config(config), m_factory(config), m_state(config), m_port(config.port != 0 ? config.port : defaultPort),
      m_gmClkId(config.myClkId), m_rxChMap(config.chNumRx, -1), m_rtpChannels(config.chNumRx),
      m_ucastRx(config.ucastNumRx), m_ucastTx(config.ucastNumTx), m_mcastRx(config.mcastNumRx),
      m_mcastTx(config.mcastNumTx), m_password(config.password), m_lock(config.lock), m_dspLock(config.dspLock),
      m_dspLockShown(config.dspLock), m_temp(config.temp), m_tempJitter(config.tempJitter), m_uptimeBase(config.uptime)
{
    m_names[static_cast<int>(SimNameList::Rx)] = namesFor(config.rxChNames, config.chNumRx, "NetIn");
    m_names[static_cast<int>(SimNameList::Tx)] = namesFor(config.txChNames, config.chNumTx, "NetOut");
    m_names[static_cast<int>(SimNameList::PhyTx)] = namesFor(config.phyTxChNames, config.phyChNumTx, "AnalogOut");
    m_names[static_cast<int>(SimNameList::PhyRx)] = namesFor(config.phyRxChNames, config.phyChNumRx, "AnalogIn");
}

void SimDevice::resetToFactory()
{
    m_config.name = m_factory.name;
    m_config.oemData = m_factory.oemData;
    m_names[static_cast<int>(SimNameList::Rx)] = namesFor(m_factory.rxChNames, m_factory.chNumRx, "NetIn");
    m_names[static_cast<int>(SimNameList::Tx)] = namesFor(m_factory.txChNames, m_factory.chNumTx, "NetOut");
    m_names[static_cast<int>(SimNameList::PhyTx)] = namesFor(m_factory.phyTxChNames, m_factory.phyChNumTx, "AnalogOut");
    m_names[static_cast<int>(SimNameList::PhyRx)] = namesFor(m_factory.phyRxChNames, m_factory.phyChNumRx, "AnalogIn");
    const SimDeviceState fresh(m_factory);
    m_state.gpio = fresh.gpio;
    m_state.cfg = fresh.cfg;
    m_state.factory.testGpio.clear();
}

std::optional<SimNameList> SimDevice::nameListForOps(const QString& ops)
{
    for (int i = 0; i < 4; ++i)
        if (ops == QLatin1String(kNameOps[i]))
            return static_cast<SimNameList>(i);
    return std::nullopt;
}

QString SimDevice::opsForNameList(SimNameList list)
{
    return QLatin1String(kNameOps[static_cast<int>(list)]);
}

bool SimDevice::setName(SimNameList list, int id, const QString& name)
{
    QStringList& all = m_names[static_cast<int>(list)];
    if (id < 0 || id >= all.size())
        return false;
    all[id] = name;
    return true;
}

QJsonObject SimDevice::namePageReply(SimNameList list, int idStart, int pageSize, int maxBytes) const
{
    const QStringList& all = names(list);
    const int end = static_cast<int>(std::min<qint64>(qint64(idStart) + std::max(pageSize, 1), all.size()));
    QJsonObject reply{{QStringLiteral("ops"), opsForNameList(list)},
                      {QStringLiteral("devId"), devId()},
                      {QStringLiteral("result"), QStringLiteral("succ")},
                      {QStringLiteral("idStart"), num(idStart)}};
    QJsonArray arr;
    int next = end;
    for (int id = idStart; id < end; ++id) {
        arr.append(QJsonObject{{QStringLiteral("id"), num(id)}, {QStringLiteral("name"), all[id]}});
        reply.insert(QStringLiteral("arr"), arr);
        reply.insert(QStringLiteral("idNext"), num(end));
        // Same rule as the tables: the page ends before the name that would make the datagram too long.
        if (arr.size() > 1 && byteSize(reply) > maxBytes) {
            arr.removeLast();
            next = id;
            break;
        }
    }
    reply.insert(QStringLiteral("arr"), arr);
    reply.insert(QStringLiteral("idNext"), num(next));
    return reply;
}

void SimDevice::setTemperature(int milliDegrees, int jitter)
{
    m_temp = milliDegrees;
    m_tempJitter = std::max(0, jitter);
}

qint64 SimDevice::uptimeSeconds(qint64 nowMs) const
{
    return m_uptimeBase + std::max<qint64>(0, nowMs - m_uptimeSinceMs) / 1000;
}

void SimDevice::setUptime(qint64 seconds, qint64 nowMs)
{
    m_uptimeBase = std::max<qint64>(0, seconds);
    m_uptimeSinceMs = nowMs;
}

QString SimDevice::secondaryHostName() const
{
    if (m_config.secondaryIp == 0 || !SimDeviceConfig::hasSecondaryFamily(devId()))
        return QString();
    return QLatin1Char('S') + devId();
}

QByteArray SimDevice::probeAnswer() const
{
    const QString host = secondaryHostName();
    if (host.isEmpty())
        return QByteArray();
    return "iAmMeridane!\nhostname=" + host.toUtf8() +
           "\nip=" + SimDeviceConfig::ipText(m_config.secondaryIp).toUtf8() + "\n";
}

std::optional<SimTable> SimDevice::tableForOps(const QString& ops)
{
    for (int i = 0; i < 8; ++i)
        if (ops == QLatin1String(kTableOps[i]))
            return static_cast<SimTable>(i);
    return std::nullopt;
}

QString SimDevice::opsForTable(SimTable table)
{
    return QLatin1String(kTableOps[static_cast<int>(table)]);
}

int SimDevice::tableCount(SimTable table) const
{
    switch (table) {
    case SimTable::RxCh:
    case SimTable::RtpCh:
        return m_config.chNumRx;
    case SimTable::UcastRx:
    case SimTable::ActiveUcast:
        return m_config.ucastNumRx;
    case SimTable::UcastTx:
        return m_config.ucastNumTx;
    case SimTable::McastRx:
    case SimTable::ActiveMcast:
        return m_config.mcastNumRx;
    case SimTable::McastTx:
        return m_config.mcastNumTx;
    }
    return 0;
}

QJsonObject SimDevice::sdpToWire(const SimSdp& sdp)
{
    return QJsonObject{{QStringLiteral("srcIp"), SimDeviceConfig::ipText(sdp.srcIp)},
                       {QStringLiteral("dstIp"), SimDeviceConfig::ipText(sdp.dstIp)},
                       {QStringLiteral("dstPort"), num(sdp.dstPort)},
                       {QStringLiteral("chNum"), num(sdp.chNum)},
                       {QStringLiteral("sampleByteNum"), num(sdp.sampleByteNum)},
                       {QStringLiteral("rtpTsOffset"), num(sdp.rtpTsOffset)}};
}

QJsonObject SimDevice::sdpToDump(const SimSdp& sdp)
{
    return QJsonObject{{QStringLiteral("srcIp"), SimDeviceConfig::ipText(sdp.srcIp)},
                       {QStringLiteral("dstIp"), SimDeviceConfig::ipText(sdp.dstIp)},
                       {QStringLiteral("dstPort"), sdp.dstPort},
                       {QStringLiteral("chNum"), sdp.chNum},
                       {QStringLiteral("sampleByteNum"), sdp.sampleByteNum},
                       {QStringLiteral("rtpTsOffset"), static_cast<double>(sdp.rtpTsOffset)}};
}

std::optional<QJsonValue> SimDevice::wireEntry(SimTable table, int id) const
{
    const QString idText = num(id);
    switch (table) {
    case SimTable::RxCh:
        if (m_rxChMap[id] < 0)
            return std::nullopt;
        return QJsonObject{{QStringLiteral("id"), idText}, {QStringLiteral("rtpChId"), num(m_rxChMap[id])}};
    case SimTable::RtpCh: {
        const SimRtpChannel& r = m_rtpChannels[id];
        if (!r.isUsed())
            return std::nullopt;
        return QJsonObject{{QStringLiteral("id"), idText},
                           {QStringLiteral("srcDevId"), r.multicast ? QString() : r.srcDevId},
                           {QStringLiteral("srcChId"), num(r.srcChId)}};
    }
    case SimTable::UcastRx:
    case SimTable::McastRx: {
        const SimRxStream& s = (table == SimTable::UcastRx ? m_ucastRx : m_mcastRx)[id];
        if (!s.used)
            return std::nullopt;
        return QJsonObject{{QStringLiteral("id"), idText},
                           {QStringLiteral("sdp"), sdpToWire(s.sdp)},
                           {QStringLiteral("rtpChIdArr"), slotsToWire(s.rtpChIds)},
                           {QStringLiteral("active"), s.active ? QStringLiteral("1") : QStringLiteral("0")}};
    }
    case SimTable::UcastTx:
    case SimTable::McastTx: {
        const SimTxStream& s = (table == SimTable::UcastTx ? m_ucastTx : m_mcastTx)[id];
        if (!s.used)
            return std::nullopt;
        return QJsonObject{{QStringLiteral("id"), idText},
                           {QStringLiteral("sdp"), sdpToWire(s.sdp)},
                           {QStringLiteral("srcChIdArr"), slotsToWire(s.srcChIds)},
                           {QStringLiteral("name"), s.name}};
    }
    case SimTable::ActiveUcast:
    case SimTable::ActiveMcast: {
        const SimRxStream& s = (table == SimTable::ActiveUcast ? m_ucastRx : m_mcastRx)[id];
        if (!s.used || !s.active)
            return std::nullopt;
        return QJsonValue(idText);
    }
    }
    return std::nullopt;
}

QJsonObject SimDevice::pageReply(SimTable table, int idStart, int pageSize, int maxBytes) const
{
    const int count = tableCount(table);
    const int end = static_cast<int>(std::min<qint64>(qint64(idStart) + std::max(pageSize, 1), count));
    QJsonObject reply{{QStringLiteral("ops"), opsForTable(table)},
                      {QStringLiteral("idStart"), num(idStart)},
                      {QStringLiteral("idNext"), num(end)}};
    QJsonArray arr;
    int next = end;
    for (int id = idStart; id < end; ++id) {
        std::optional<QJsonValue> e = wireEntry(table, id);
        if (!e)
            continue;
        arr.append(*e);
        reply.insert(QStringLiteral("arr"), arr);
        // A controller drops datagrams that are too long, so the page ends before the entry that overflows.
        if (arr.size() > 1 && byteSize(reply) > maxBytes) {
            arr.removeLast();
            next = id;
            break;
        }
    }
    reply.insert(QStringLiteral("arr"), arr);
    reply.insert(QStringLiteral("idNext"), num(next));
    return reply;
}

QJsonObject SimDevice::announcement() const
{
    const SimDeviceConfig& c = m_config;
    return QJsonObject{{QStringLiteral("ops"), QStringLiteral("iAmVeranto")},
                       {QStringLiteral("devId"), c.devId},
                       {QStringLiteral("name"), c.name},
                       {QStringLiteral("ip"), SimDeviceConfig::ipText(c.ip)},
                       {QStringLiteral("port"), num(m_port)},
                       {QStringLiteral("chNumRx"), num(c.chNumRx)},
                       {QStringLiteral("chNumTx"), num(c.chNumTx)},
                       {QStringLiteral("ucastNumRx"), num(c.ucastNumRx)},
                       {QStringLiteral("ucastNumTx"), num(c.ucastNumTx)},
                       {QStringLiteral("mcastNumRx"), num(c.mcastNumRx)},
                       {QStringLiteral("mcastNumTx"), num(c.mcastNumTx)},
                       {QStringLiteral("sampleRate"), num(c.sampleRate)},
                       {QStringLiteral("sampleByteNum"), num(c.sampleByteNum)},
                       {QStringLiteral("pFrameNum"), num(c.pFrameNum)},
                       {QStringLiteral("dscp"), num(c.dscp)},
                       {QStringLiteral("delayUs"), num(c.delayUs)},
                       {QStringLiteral("myClkId"), c.myClkId},
                       {QStringLiteral("gmClkId"), m_gmClkId},
                       {QStringLiteral("model"), c.model},
                       {QStringLiteral("phyChNumRx"), num(c.phyChNumRx)},
                       {QStringLiteral("phyChNumTx"), num(c.phyChNumTx)},
                       {QStringLiteral("canWork"), num(c.canWork)}};
}

QJsonObject SimDevice::dumpJson() const
{
    const SimDeviceConfig& c = m_config;
    QJsonObject o{{QStringLiteral("devId"), c.devId},
                  {QStringLiteral("name"), c.name},
                  {QStringLiteral("ip"), SimDeviceConfig::ipText(c.ip)},
                  {QStringLiteral("port"), m_port},
                  {QStringLiteral("chNumRx"), c.chNumRx},
                  {QStringLiteral("chNumTx"), c.chNumTx},
                  {QStringLiteral("ucastNumRx"), c.ucastNumRx},
                  {QStringLiteral("ucastNumTx"), c.ucastNumTx},
                  {QStringLiteral("mcastNumRx"), c.mcastNumRx},
                  {QStringLiteral("mcastNumTx"), c.mcastNumTx},
                  {QStringLiteral("sampleRate"), c.sampleRate},
                  {QStringLiteral("sampleByteNum"), c.sampleByteNum},
                  {QStringLiteral("pFrameNum"), c.pFrameNum},
                  {QStringLiteral("dscp"), c.dscp},
                  {QStringLiteral("delayUs"), c.delayUs},
                  {QStringLiteral("myClkId"), c.myClkId},
                  {QStringLiteral("gmClkId"), m_gmClkId},
                  {QStringLiteral("model"), c.model},
                  {QStringLiteral("phyChNumRx"), c.phyChNumRx},
                  {QStringLiteral("phyChNumTx"), c.phyChNumTx},
                  {QStringLiteral("canWork"), c.canWork}};

    QJsonArray rxCh;
    for (int id = 0; id < m_rxChMap.size(); ++id)
        if (m_rxChMap[id] >= 0)
            rxCh.append(QJsonObject{{QStringLiteral("id"), id}, {QStringLiteral("rtpChId"), m_rxChMap[id]}});
    QJsonArray rtpCh;
    for (int id = 0; id < m_rtpChannels.size(); ++id)
        if (m_rtpChannels[id].isUsed())
            rtpCh.append(QJsonObject{
                {QStringLiteral("id"), id},
                {QStringLiteral("srcDevId"), m_rtpChannels[id].multicast ? QString() : m_rtpChannels[id].srcDevId},
                {QStringLiteral("srcChId"), m_rtpChannels[id].srcChId}});
    auto rxTable = [](const std::vector<SimRxStream>& t) {
        QJsonArray a;
        for (int id = 0; id < int(t.size()); ++id)
            if (t[id].used)
                a.append(QJsonObject{{QStringLiteral("id"), id},
                                     {QStringLiteral("sdp"), sdpToDump(t[id].sdp)},
                                     {QStringLiteral("rtpChIdArr"), slotsToDump(t[id].rtpChIds)},
                                     {QStringLiteral("active"), t[id].active}});
        return a;
    };
    auto txTable = [](const std::vector<SimTxStream>& t) {
        QJsonArray a;
        for (int id = 0; id < int(t.size()); ++id)
            if (t[id].used)
                a.append(QJsonObject{{QStringLiteral("id"), id},
                                     {QStringLiteral("sdp"), sdpToDump(t[id].sdp)},
                                     {QStringLiteral("srcChIdArr"), slotsToDump(t[id].srcChIds)},
                                     {QStringLiteral("name"), t[id].name}});
        return a;
    };
    o.insert(QStringLiteral("tables"), QJsonObject{{QStringLiteral("rxCh"), rxCh},
                                                   {QStringLiteral("rtpCh"), rtpCh},
                                                   {QStringLiteral("ucastRx"), rxTable(m_ucastRx)},
                                                   {QStringLiteral("ucastTx"), txTable(m_ucastTx)},
                                                   {QStringLiteral("mcastRx"), rxTable(m_mcastRx)},
                                                   {QStringLiteral("mcastTx"), txTable(m_mcastTx)}});
    return o;
}

int SimDevice::rxChannelsUsing(int rtpId) const
{
    return static_cast<int>(std::count(m_rxChMap.begin(), m_rxChMap.end(), rtpId));
}

int SimDevice::freeRtpChannel() const
{
    for (int id = 0; id < m_rtpChannels.size(); ++id)
        if (!m_rtpChannels[id].isUsed())
            return id;
    return -1;
}

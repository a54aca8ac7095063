#include "ArchiveLoadPlan.h"

#include "ArchiveDiff.h"
#include "CDeviceDspData.h"
#include "DevManager.h"
#include "LevelConversion.h"
#include "McastCreateChecks.h"
#include "McastTxFacts.h"
#include "OfflineDevice.h"
#include "ReplyFields.h"
#include "RouteRequests.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

namespace {

constexpr quint16 kGpioPort = 9992;
constexpr quint16 kAudioPort = 9995;
constexpr quint16 kClockPort = 9994;
constexpr int kUdpMs = 1000;
constexpr int kSlowUdpMs = 3000;
constexpr int kConfigMs = 8000;

// The automatic multicast range: 239.69.0.0/16.
constexpr uint32_t kAutoPrefix = (239u << 24) | (69u << 16);
constexpr uint32_t kAutoMask = 0xFFFF0000u;

bool inAutoRange(const QString& address)
{
    const uint32_t ip = dvm_parseIp(address);
    return ip != 0 && (ip & kAutoMask) == kAutoPrefix;
}

class Builder
{
public:
    Builder(const ArchiveLoadPlan::Input& in) : m_in(in), m_devId(in.facts.devId)
    {
        m_port = quint16(qBound(0, in.facts.port, 65535));
    }

    QJsonObject base(const QString& ops) const
    {
        return QJsonObject{{QStringLiteral("ops"), ops}, {QStringLiteral("devId"), m_devId}};
    }

    void udp(ArchiveCategory c, const QJsonObject& request, quint16 port, int ms, const QString& success)
    {
        ArchiveLoadStep s;
        s.category = c;
        s.request = ReplyFields::compact(request);
        s.ip = m_in.facts.ip;
        s.port = port;
        s.timeoutMs = ms;
        s.successText = success;
        m_steps.append(s);
    }
    /// A route request of RouteRequests, with the device it goes to added.
    void route(ArchiveCategory c, const QString& request, const QString& success)
    {
        QJsonObject o = QJsonDocument::fromJson(request.toUtf8()).object();
        o.insert(QStringLiteral("devId"), m_devId);
        udp(c, o, m_port, kUdpMs, success);
    }
    void dsp(const QJsonObject& request, const QString& success)
    {
        ArchiveLoadStep s;
        s.category = ArchiveCategory::DeviceParams;
        s.request = ReplyFields::compact(request);
        s.ip = m_in.facts.ip;
        s.port = 8999;
        s.tcp = true;
        s.timeoutMs = kConfigMs;
        s.successText = success;
        m_steps.append(s);
    }

    quint16 commandPort() const { return m_port; }
    QVector<ArchiveLoadStep> take() { return std::move(m_steps); }

private:
    const ArchiveLoadPlan::Input& m_in;
    QString m_devId;
    quint16 m_port = 0;
    QVector<ArchiveLoadStep> m_steps;
};

QJsonObject gpioObject(const OfflineGpio& g)
{
    auto n = [](int v) { return QString::number(v); };
    return QJsonObject{{QStringLiteral("direction"), n(g.direction)},
                       {QStringLiteral("type"), n(g.type)},
                       {QStringLiteral("enable"), n(g.enable)},
                       {QStringLiteral("triggerType"), n(g.triggerType)},
                       {QStringLiteral("channelDirection"), n(g.channelDirection)},
                       {QStringLiteral("channelId"), n(g.channelId)},
                       {QStringLiteral("programId"), n(g.programId)},
                       {QStringLiteral("inputChId"), n(g.inputChId)},
                       {QStringLiteral("outputChId"), n(g.outputChId)},
                       {QStringLiteral("gainStep"), n(g.gainStepIndex)},
                       {QStringLiteral("customCmd"), g.customCmd}};
}

template <typename Route> const Route* routeTo(const QVector<Route>& routes, int dstCh)
{
    const Route* found = nullptr;
    for (const Route& r : routes)
        if (r.dstChId == dstCh)
            found = &r; // the last one wins, as when the routes were compared
    return found;
}

const OfflineMcast* streamNamed(const QVector<OfflineMcast>& list, const QString& name)
{
    for (const OfflineMcast& s : list)
        if (s.name == name)
            return &s;
    return nullptr;
}

QJsonObject configObject(const OfflineDevice& dev, int index)
{
    const auto& configs = dev.dspConfigs();
    if (index < 0 || index >= int(configs.size()) || !configs[size_t(index)].data)
        return QJsonObject();
    return configs[size_t(index)].data->writeConfig(QString(), true);
}

/// The archive as it will be loaded: streams and the routes that receive them carry their loaded addresses.
OfflineDevice resolved(const ArchiveLoadPlan::Input& in)
{
    OfflineDevice dev = *in.archive;
    for (OfflineMcast& s : dev.detail().mcastList)
        s.dstIp = in.mcastAddressOf.value(s.name, s.dstIp);
    for (OfflineMcastRoute& r : dev.mcastRoutes())
        r.dstIp = in.mcastAddressOf.value(r.mcastName, r.dstIp);
    return dev;
}

} // namespace

ArchiveLoadPlan::Plan ArchiveLoadPlan::build(const Input& in)
{
    Plan plan;
    if (!in.archive || in.categories.isEmpty())
        return plan;
    const OfflineDevice archive = resolved(in);
    const OfflineDevDetail& d = archive.detail();
    const QVector<ArchiveChange> changes = ArchiveDiff::compare(archive, in.online, in.categories, in.onlineIdOf);

    QHash<QString, QVector<const ArchiveChange*>> byKey;
    for (const ArchiveChange& c : changes)
        byKey[c.key].append(&c);
    auto of = [&](const char* key) { return byKey.value(QLatin1String(key)); };
    auto has = [&](const char* key) { return byKey.contains(QLatin1String(key)); };

    Builder b(in);
    const quint16 cmd = b.commandPort();
    using C = ArchiveCategory;

    for (const ArchiveChange* c : of("gpio")) {
        QJsonObject o = b.base(QStringLiteral("setGpioInfo"));
        o.insert(QStringLiteral("index"), QString::number(c->index));
        o.insert(QStringLiteral("gpioInfo"), gpioObject(d.gpioInfoList[c->index]));
        b.udp(C::DeviceInfo, o, kGpioPort, kUdpMs, QStringLiteral("设置GPIO成功"));
    }
    if (has("devName")) {
        QJsonObject o = b.base(QStringLiteral("setDevName"));
        o.insert(QStringLiteral("name"), archive.name());
        b.udp(C::DeviceName, o, cmd, kUdpMs, QStringLiteral("设置名字成功"));
    }
    const struct
    {
        const char* key;
        const char* ops;
    } names[] = {{"rxChName", "setChNameRx"},
                 {"txChName", "setChNameTx"},
                 {"phyRxChName", "setPhyChNameRx"},
                 {"phyTxChName", "setPhyChNameTx"}};
    for (const auto& n : names) {
        for (const ArchiveChange* c : of(n.key)) {
            QJsonObject o = b.base(QLatin1String(n.ops));
            o.insert(QStringLiteral("id"), QString::number(c->index));
            o.insert(QStringLiteral("name"), c->archive);
            b.udp(C::ChannelNames, o, cmd, kUdpMs, QStringLiteral("设置通道名字成功"));
        }
    }
    const struct
    {
        const char* key;
        const char* ops;
    } gains[] = {{"phyGainRx", "setPhyGainDbRx"},
                 {"phyGainTx", "setPhyGainDbTx"},
                 {"phyMuteRx", "setPhyMuteRx"},
                 {"phyMuteTx", "setPhyMuteTx"}};
    for (const auto& g : gains) {
        for (const ArchiveChange* c : of(g.key)) {
            QJsonObject o = b.base(QLatin1String(g.ops));
            o.insert(QStringLiteral("id"), QString::number(c->index));
            o.insert(QStringLiteral("val"), c->archive);
            b.udp(C::ChannelGains, o, cmd, kUdpMs, QStringLiteral("设置通道增益成功"));
        }
    }
    auto setting = [&](const char* key, C cat, const char* ops, const char* field, quint16 port, int ms,
                       const QString& success) {
        for (const ArchiveChange* c : of(key)) {
            QJsonObject o = b.base(QLatin1String(ops));
            o.insert(QLatin1String(field), c->archive);
            b.udp(cat, o, port, ms, success);
        }
    };
    setting("sampleByteNum", C::SampleDepth, "setSampleByteNum", "sampleByteNum", kAudioPort, kUdpMs,
            QStringLiteral("设置采样深度成功"));
    setting("delayUs", C::NetworkDelay, "setDelayUs", "us", kAudioPort, kUdpMs, QStringLiteral("设置延时成功"));

    // The sample rate is never sent: the device has to be changed by hand first.
    if (in.categories.has(C::DeviceParams)) {
        const int now =
            in.facts.sampleRate > 0 ? in.facts.sampleRate : (in.online ? in.online->detail().sampleRate : 0);
        if (now > 0 && now != d.sampleRate)
            plan.notes << QStringLiteral("采样率为:%1 请先手动修改设备").arg(d.sampleRate);
    }
    if (has("packetTime") && d.packetTime > 0) {
        const long div = std::lround(1.0 / d.packetTime);
        if (div > 0) {
            QJsonObject o = b.base(QStringLiteral("setPacketTimeDiv"));
            o.insert(QStringLiteral("val"), QString::number(div));
            b.udp(C::DeviceParams, o, kClockPort, kUdpMs, QStringLiteral("设置包时间成功"));
        }
    }
    setting("ptpPriority", C::PtpPriority, "setPtpPriority", "val", kClockPort, kSlowUdpMs,
            QStringLiteral("设置时钟优先级成功"));
    setting("ptpDscp", C::PtpDscp, "setPtpDscp", "val", kClockPort, kSlowUdpMs, QStringLiteral("设置ptpDscp成功"));
    setting("dscp", C::StreamDscp, "setDscp", "dscp", kAudioPort, kUdpMs, QStringLiteral("设置流dscp成功"));

    // Routes and streams: clear what changes, then make streams before the routes that may use them.
    const QVector<const ArchiveChange*> ucast = of("ucastRoute");
    const QVector<const ArchiveChange*> streams = of("stream");
    for (const ArchiveChange* c : ucast)
        if (!c->online.isEmpty())
            b.route(C::RouteConfig, RouteRequests::clrRxCh(c->index), QStringLiteral("清除路由成功"));
    const QVector<OfflineMcast>& onlineStreams = in.online ? in.online->detail().mcastList : in.facts.txStreams;
    for (const ArchiveChange* c : streams) {
        const OfflineMcast* there = streamNamed(onlineStreams, c->name);
        if (!there)
            continue;
        McastTxFacts::TxStream t;
        t.name = there->name;
        t.dstIp = there->dstIp;
        t.dstPort = there->dstPort;
        t.channels = there->srcChannels;
        b.udp(C::RouteConfig, McastTxFacts::deleteRequest(in.facts.devId, t), cmd, kUdpMs,
              QStringLiteral("清除组播成功"));
    }
    McastCreateChecks::Device sender;
    sender.devId = in.facts.devId;
    sender.ip = in.facts.ip;
    sender.sampleRate = in.facts.sampleRate > 0 ? in.facts.sampleRate : d.sampleRate;
    sender.sampleByteNum =
        in.categories.has(C::SampleDepth) || in.facts.sampleByteNum <= 0 ? d.sampleByteNum : in.facts.sampleByteNum;
    for (const ArchiveChange* c : streams) {
        const OfflineMcast* s = streamNamed(d.mcastList, c->name);
        if (!s)
            continue;
        b.udp(C::RouteConfig,
              McastCreateChecks::request(sender, s->name, s->srcChannels, s->dstIp, QString::number(s->dstPort), 0),
              cmd, kUdpMs, QStringLiteral("创建组播成功"));
    }
    for (const ArchiveChange* c : ucast) {
        const OfflineUcastRoute* r = c->archive.isEmpty() ? nullptr : routeTo(archive.ucastRoutes(), c->index);
        if (r)
            b.route(C::RouteConfig,
                    RouteRequests::setUcastRx(in.onlineIdOf.value(r->srcDevId, r->srcDevId), r->srcChId, r->dstChId),
                    QStringLiteral("设置单播路由成功"));
    }

    // Processor: store the archived programs by name, then put the archived configuration live.
    if (in.facts.hasDsp) {
        int saved = 0;
        for (const ArchiveChange* c : of("dspProgram")) {
            QJsonObject o{{QStringLiteral("devId"), in.facts.devId},
                          {QStringLiteral("ops"), QStringLiteral("saveConfigToFile")},
                          {QStringLiteral("uiTag"), QStringLiteral("dspUiTag")},
                          {QStringLiteral("name"), c->name},
                          {QStringLiteral("config"), configObject(archive, c->index)}};
            b.dsp(o, QStringLiteral("保存第%1配置成功").arg(++saved));
        }
        if (has("dsp")) {
            QJsonObject o{{QStringLiteral("devId"), in.facts.devId},
                          {QStringLiteral("ops"), QStringLiteral("setConfig")},
                          {QStringLiteral("uiTag"), QStringLiteral("dspUiTag")},
                          {QStringLiteral("config"), configObject(archive, ArchiveDiff::currentConfigIndex(archive))}};
            b.dsp(o, QStringLiteral("设置配置成功"));
        }
    }

    for (const ArchiveChange* c : of("mcastRoute")) {
        const OfflineMcastRoute* r = c->archive.isEmpty() ? nullptr : routeTo(archive.mcastRoutes(), c->index);
        if (!r) {
            // A channel the archive feeds by unicast was set above; clearing it now would undo that.
            if (!routeTo(archive.ucastRoutes(), c->index))
                b.route(C::DeviceRoutes, RouteRequests::clrRxCh(c->index), QStringLiteral("清除路由成功"));
            continue;
        }
        const QString sender = in.onlineIdOf.value(r->srcDevId, r->srcDevId);
        StreamDesc sd{};
        sd.srcIp = in.onlineIpOf.value(sender, 0);
        if (sd.srcIp == 0)
            sd.srcIp = dvm_parseIp(r->srcIp);
        sd.dstIp = dvm_parseIp(r->dstIp);
        sd.dstPort = quint16(qBound(0, r->dstPort, 65535));
        sd.chNum = uint8_t(qBound(0, r->chNum, 255));
        sd.sampleByteNum = uint8_t(qBound(0, r->sampleByteNum, 255));
        sd.rtpTsOffset = uint32_t(r->rtpTsOffset);
        b.route(C::DeviceRoutes, RouteRequests::setMcastRx(sd, r->srcChId, r->dstChId),
                QStringLiteral("设置组播路由成功"));
    }

    // The address last: it moves the device.
    if (has("fixedIp") || has("ip") || has("gateway") || has("dns")) {
        QJsonObject o = b.base(QStringLiteral("setIp"));
        o.insert(QStringLiteral("fixedIp"), QString::number(d.isFixIp));
        if (d.isFixIp != 0) {
            o.insert(QStringLiteral("ip"), d.ipAndMask);
            o.insert(QStringLiteral("gw"), d.gateway);
            o.insert(QStringLiteral("dns"), d.dns);
        }
        b.udp(C::IpAddress, o, kClockPort, kSlowUdpMs, QStringLiteral("设置ip成功"));
    }
    plan.steps = b.take();
    return plan;
}

QHash<QString, QString> ArchiveLoadPlan::mcastAddresses(const QVector<OfflineMcast>& streams, QSet<uint32_t> used)
{
    QHash<QString, QString> out;
    auto keeps = [](const OfflineMcast& s) { return s.customAddress || inAutoRange(s.dstIp); };
    // Kept addresses first, so that no new one lands on an archived stream's address.
    for (const OfflineMcast& s : streams)
        if (keeps(s)) {
            out.insert(s.name, s.dstIp);
            used.insert(dvm_parseIp(s.dstIp));
        }
    for (const OfflineMcast& s : streams) {
        if (keeps(s) || out.contains(s.name))
            continue;
        const QString fresh = McastCreateChecks::autoAddress(239, 69, used, nullptr);
        out.insert(s.name, fresh.isEmpty() ? s.dstIp : fresh);
        if (!fresh.isEmpty())
            used.insert(dvm_parseIp(fresh));
    }
    return out;
}

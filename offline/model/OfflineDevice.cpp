#include "OfflineDevice.h"

#include "AppState.h"
#include "CDeviceDspData.h"
#include "DspDefaultConfig.h"
#include "DspJsonValue.h"
#include "ModelTable.h"
#include "OfflineDeviceType.h"
#include "OfflineJsonWriter.h"

#include <cmath>

namespace {

/// Longest text taken from a document: names and addresses are short; this only stops a hostile file.
constexpr int kMaxText = 4096;
constexpr double kMaxGainDb = 1000;

QString text(const DspJsonValue& v)
{
    return v.isString() ? v.toString().left(kMaxText) : QString();
}

void readText(const DspJsonValue& obj, const char* key, QString* out)
{
    const DspJsonValue v = obj[QLatin1String(key)];
    if (v.isValid() && !v.isObject() && !v.isArray())
        *out = v.toString().left(kMaxText);
}

void readInt(const DspJsonValue& obj, const char* key, int* out, int lo, int hi)
{
    int v = 0;
    if (obj.readInt(QLatin1String(key), &v))
        *out = qBound(lo, v, hi);
}

void readReal(const DspJsonValue& obj, const char* key, double* out, double lo, double hi)
{
    double v = 0;
    if (obj.readDouble(QLatin1String(key), &v))
        *out = qBound(lo, v, hi);
}

QStringList readTexts(const DspJsonValue& arr, int max)
{
    QStringList out;
    for (DspJsonValue v = arr.first(); v.isValid() && out.size() < max; v = v.next())
        out.append(v.isObject() || v.isArray() ? QString() : v.toString().left(kMaxText));
    return out;
}

QVector<double> readReals(const DspJsonValue& arr, int max)
{
    QVector<double> out;
    for (DspJsonValue v = arr.first(); v.isValid() && out.size() < max; v = v.next()) {
        double d = 0;
        v.toDouble(&d);
        out.append(qBound(-kMaxGainDb, d, kMaxGainDb));
    }
    return out;
}

QVector<int> readInts(const DspJsonValue& arr, int max, int lo, int hi)
{
    QVector<int> out;
    for (DspJsonValue v = arr.first(); v.isValid() && out.size() < max; v = v.next()) {
        int i = 0;
        v.toInt(&i);
        out.append(qBound(lo, i, hi));
    }
    return out;
}

QStringList defaultNames(const char* prefix, int count)
{
    QStringList out;
    out.reserve(count);
    for (int i = 1; i <= count; ++i)
        out.append(QLatin1String(prefix) + QString::number(i));
    return out;
}

OfflineChannelData defaultChannelData(const OfflineDevDetail& d)
{
    OfflineChannelData c;
    c.phyRxChNameList = defaultNames("AnalogIn", d.phyChNumRx);
    c.phyTxChNameList = defaultNames("AnalogOut", d.phyChNumTx);
    c.rxChNameList = defaultNames("NetIn", d.chNumRx);
    c.txChNameList = defaultNames("NetOut", d.chNumTx);
    c.rxPhyGainList.fill(0, d.phyChNumRx);
    c.txPhyGainList.fill(0, d.phyChNumTx);
    c.rxPhyMuteArray.fill(0, d.phyChNumRx);
    c.txPhyMuteArray.fill(0, d.phyChNumTx);
    return c;
}

QByteArray texts(const QStringList& list)
{
    OfflineJsonWriter w(OfflineJsonWriter::ArrayKind);
    for (const QString& t : list)
        w.append(t);
    return w.finish();
}

QByteArray reals(const QVector<double>& list)
{
    OfflineJsonWriter w(OfflineJsonWriter::ArrayKind);
    for (double d : list)
        w.appendReal(d);
    return w.finish();
}

QByteArray ints(const QVector<int>& list)
{
    OfflineJsonWriter w(OfflineJsonWriter::ArrayKind);
    for (int i : list)
        w.appendInt(i);
    return w.finish();
}

QByteArray devListInfoText(const OfflineDevListInfo& i)
{
    OfflineJsonWriter w;
    w.addInt("chNumRx", i.chNumRx);
    w.addInt("chNumTx", i.chNumTx);
    w.addInt("phyChNumRx", i.phyChNumRx);
    w.addInt("phyChNumTx", i.phyChNumTx);
    w.addInt("usbInNum", i.usbInNum);
    w.addInt("usbOutNum", i.usbOutNum);
    w.add("model", i.model);
    w.add("oemModel", i.oemModel);
    w.add("iconUrl", i.iconUrl);
    w.add("version", i.version);
    w.add("type", i.type);
    w.addRaw("sampleRateList", texts(i.sampleRateList));
    w.addRaw("packetTimeList", texts(i.packetTimeList));
    return w.finish();
}

QByteArray gpioText(const OfflineGpio& g)
{
    OfflineJsonWriter w;
    w.addInt("type", g.type);
    w.addInt("enable", g.enable);
    w.addInt("channelId", g.channelId);
    w.add("customCmd", g.customCmd);
    w.addInt("direction", g.direction);
    w.addInt("inputChId", g.inputChId);
    w.addInt("programId", g.programId);
    w.addInt("outputChId", g.outputChId);
    w.addInt("triggerType", g.triggerType);
    w.addInt("gainStepIndex", g.gainStepIndex);
    w.addInt("channelDirection", g.channelDirection);
    return w.finish();
}

QByteArray channelDataText(const OfflineChannelData& c)
{
    OfflineJsonWriter w;
    w.addRaw("phyRxChNameList", texts(c.phyRxChNameList));
    w.addRaw("phyTxChNameList", texts(c.phyTxChNameList));
    w.addRaw("rxChNameList", texts(c.rxChNameList));
    w.addRaw("txChNameList", texts(c.txChNameList));
    w.addRaw("rxPhyGainList", reals(c.rxPhyGainList));
    w.addRaw("txPhyGainList", reals(c.txPhyGainList));
    w.addRaw("rxPhyMuteArray", ints(c.rxPhyMuteArray));
    w.addRaw("txPhyMuteArray", ints(c.txPhyMuteArray));
    return w.finish();
}

QByteArray mcastText(const OfflineMcast& m)
{
    OfflineJsonWriter w;
    w.add("mcastName", m.name);
    w.add("srcDevId", m.srcDevId);
    w.addRaw("srcChIdArrList", ints(m.srcChannels));
    w.addInt("sampleRate", m.sampleRate);
    w.addInt("isFixIp", m.customAddress ? 1 : 0);
    w.addInt("chNum", m.chNum);
    OfflineJsonWriter addr;
    addr.add("ip", m.dstIp);
    addr.addInt("port", m.dstPort);
    w.addRaw("fixIpStr", addr.finish());
    return w.finish();
}

OfflineMcast readMcast(const DspJsonValue& v)
{
    OfflineMcast m;
    readText(v, "mcastName", &m.name);
    readText(v, "srcDevId", &m.srcDevId);
    m.srcChannels =
        readInts(v[QLatin1String("srcChIdArrList")], OfflineDevice::MaxChannels, 0, OfflineDevice::MaxChannels - 1);
    readInt(v, "sampleRate", &m.sampleRate, 0, 10000000);
    int fix = 0;
    readInt(v, "isFixIp", &fix, 0, 1);
    m.customAddress = fix != 0;
    readInt(v, "chNum", &m.chNum, 0, OfflineDevice::MaxChannels);
    const DspJsonValue addr = v[QLatin1String("fixIpStr")];
    readText(addr, "ip", &m.dstIp);
    readInt(addr, "port", &m.dstPort, 0, 65535);
    return m;
}

OfflineGpio readGpio(const DspJsonValue& v)
{
    OfflineGpio g;
    const int big = 1 << 30;
    readInt(v, "type", &g.type, -big, big);
    readInt(v, "enable", &g.enable, -big, big);
    readInt(v, "channelId", &g.channelId, -big, big);
    readText(v, "customCmd", &g.customCmd);
    readInt(v, "direction", &g.direction, -big, big);
    readInt(v, "inputChId", &g.inputChId, -big, big);
    readInt(v, "programId", &g.programId, -big, big);
    readInt(v, "outputChId", &g.outputChId, -big, big);
    readInt(v, "triggerType", &g.triggerType, -big, big);
    readInt(v, "gainStepIndex", &g.gainStepIndex, -big, big);
    readInt(v, "channelDirection", &g.channelDirection, -big, big);
    return g;
}

std::unique_ptr<CDeviceDspData> copyOf(const CDeviceDspData* data)
{
    return std::unique_ptr<CDeviceDspData>(data ? data->clone() : new CDeviceDspData);
}

QByteArray dspConfigText(const OfflineDevice::DspConfig& c)
{
    // The stored configuration is the processor's own object with its name as the first member.
    QByteArray config = c.data ? c.data->writeConfigText(QString(), true) : QByteArray("{}");
    QByteArray out("{\"name\":");
    OfflineJsonWriter name(OfflineJsonWriter::ArrayKind);
    name.append(c.name);
    const QByteArray quoted = name.finish();
    out.append(quoted.mid(1, quoted.size() - 2));
    if (config.size() > 2)
        out.append(',').append(config.mid(1));
    else
        out.append('}');
    return out;
}

} // namespace

OfflineDevice::OfflineDevice() = default;
OfflineDevice::~OfflineDevice() = default;
OfflineDevice::OfflineDevice(OfflineDevice&&) noexcept = default;
OfflineDevice& OfflineDevice::operator=(OfflineDevice&&) noexcept = default;

OfflineDevice::OfflineDevice(const OfflineDevice& other)
    : m_detail(other.m_detail), m_ucast(other.m_ucast), m_mcastRoutes(other.m_mcastRoutes),
      m_dspCurrentId(other.m_dspCurrentId)
{
    m_dsp.reserve(other.m_dsp.size());
    for (const DspConfig& c : other.m_dsp)
        m_dsp.push_back(DspConfig{c.name, copyOf(c.data.get())});
}

OfflineDevice& OfflineDevice::operator=(const OfflineDevice& other)
{
    if (this != &other) {
        OfflineDevice copy(other);
        *this = std::move(copy);
    }
    return *this;
}

std::unique_ptr<OfflineDevice> OfflineDevice::fromType(const OfflineDeviceType& type, const QString& devId,
                                                       const QString& name)
{
    auto dev = std::make_unique<OfflineDevice>();
    OfflineDevDetail& d = dev->m_detail;
    d.devId = devId;
    d.devName = name;
    d.version = type.version;
    d.model = type.devModel;
    d.devModel = type.devModel;
    d.oemModel = type.oemModel;
    d.chNumRx = qBound(0, type.chNumRx, MaxChannels);
    d.chNumTx = qBound(0, type.chNumTx, MaxChannels);
    d.phyChNumRx = qBound(0, type.phyChNumRx, MaxChannels);
    d.phyChNumTx = qBound(0, type.phyChNumTx, MaxChannels);
    d.usbInNum = qBound(0, type.usbInNum, MaxChannels);
    d.usbOutNum = qBound(0, type.usbOutNum, MaxChannels);

    OfflineDevListInfo& info = d.devListInfo;
    info.chNumRx = d.chNumRx;
    info.chNumTx = d.chNumTx;
    info.phyChNumRx = d.phyChNumRx;
    info.phyChNumTx = d.phyChNumTx;
    info.usbInNum = d.usbInNum;
    info.usbOutNum = d.usbOutNum;
    info.model = type.devModel;
    info.oemModel = type.oemModel;
    info.iconUrl = type.iconPath;
    info.version = type.version;
    info.type = type.category;
    info.sampleRateList = type.sampleRateList.mid(0, MaxListEntries);
    info.packetTimeList = type.packetTimeList.mid(0, MaxListEntries);

    d.channelData = defaultChannelData(d);

    if (dev->hasDsp()) {
        auto data = std::make_unique<CDeviceDspData>();
        data->parse(DspDefaultConfig::reply(d.phyChNumRx + d.chNumRx, d.phyChNumTx + d.chNumTx, d.sampleRate),
                    QString(), true);
        dev->addDspConfig(AppState::pick(QStringLiteral("默认配置"), QStringLiteral("Default")), std::move(data));
    }
    return dev;
}

std::unique_ptr<OfflineDevice> OfflineDevice::clone(const QString& newId, const QString& newName) const
{
    auto copy = std::make_unique<OfflineDevice>(*this);
    copy->m_detail.devId = newId;
    copy->m_detail.devName = newName;
    copy->m_detail.mcastList.clear();
    return copy;
}

bool OfflineDevice::hasDsp() const
{
    return ModelTable::instance().hasDsp(m_detail.model);
}

bool OfflineDevice::addDspConfig(const QString& name, std::unique_ptr<CDeviceDspData> data)
{
    if (!data || int(m_dsp.size()) >= MaxDspConfigs)
        return false;
    m_dsp.push_back(DspConfig{name.left(kMaxText), std::move(data)});
    return true;
}

void OfflineDevice::readDetail(const DspJsonValue& v)
{
    if (!v.isObject())
        return;
    OfflineDevDetail& d = m_detail;
    readText(v, "devId", &d.devId);
    readText(v, "devName", &d.devName);
    readInt(v, "sampleRate", &d.sampleRate, 0, 10000000);
    readReal(v, "delayMs", &d.delayMs, 0, 1e6);
    readInt(v, "ptpDscp", &d.ptpDscp, 0, 63);
    readInt(v, "dscp", &d.dscp, 0, 63);
    readInt(v, "ptpPriority", &d.ptpPriority, 0, 255);
    readInt(v, "sampleBitDepth", &d.sampleBitDepth, 0, 64);
    readInt(v, "sampleByteNum", &d.sampleByteNum, 0, 8);
    readReal(v, "packetTime", &d.packetTime, 0, 1e6);
    readInt(v, "pFrameNum", &d.pFrameNum, 0, 1 << 20);
    readInt(v, "isFixIp", &d.isFixIp, 0, 1);
    const DspJsonValue fix = v[QLatin1String("fixIpStr")];
    if (fix.isObject()) {
        readText(fix, "ipAndMask", &d.ipAndMask);
        readText(fix, "dns", &d.dns);
        readText(fix, "gateway", &d.gateway);
    }
    readText(v, "xebIp", &d.xebIp);
    readText(v, "xeuIp", &d.xeuIp);
    readText(v, "xServerStr", &d.xServerStr);
    readText(v, "version", &d.version);
    readText(v, "subVersion", &d.subVersion);
    readText(v, "model", &d.model);
    readText(v, "devModel", &d.devModel);
    readText(v, "oemModel", &d.oemModel);
    readText(v, "customType", &d.customType);
    readInt(v, "chNumRx", &d.chNumRx, 0, MaxChannels);
    readInt(v, "chNumTx", &d.chNumTx, 0, MaxChannels);
    readInt(v, "phyChNumRx", &d.phyChNumRx, 0, MaxChannels);
    readInt(v, "phyChNumTx", &d.phyChNumTx, 0, MaxChannels);
    readInt(v, "usbInNum", &d.usbInNum, 0, MaxChannels);
    readInt(v, "usbOutNum", &d.usbOutNum, 0, MaxChannels);
    readInt(v, "canGpio", &d.canGpio, 0, 1 << 20);

    const DspJsonValue li = v[QLatin1String("devListInfo")];
    if (li.isObject()) {
        OfflineDevListInfo& i = d.devListInfo;
        readInt(li, "chNumRx", &i.chNumRx, 0, MaxChannels);
        readInt(li, "chNumTx", &i.chNumTx, 0, MaxChannels);
        readInt(li, "phyChNumRx", &i.phyChNumRx, 0, MaxChannels);
        readInt(li, "phyChNumTx", &i.phyChNumTx, 0, MaxChannels);
        readInt(li, "usbInNum", &i.usbInNum, 0, MaxChannels);
        readInt(li, "usbOutNum", &i.usbOutNum, 0, MaxChannels);
        readText(li, "model", &i.model);
        readText(li, "oemModel", &i.oemModel);
        readText(li, "iconUrl", &i.iconUrl);
        readText(li, "version", &i.version);
        readText(li, "type", &i.type);
        i.sampleRateList = readTexts(li[QLatin1String("sampleRateList")], MaxListEntries);
        i.packetTimeList = readTexts(li[QLatin1String("packetTimeList")], MaxListEntries);
    }

    d.gpioInfoList.clear();
    const DspJsonValue gpios = v[QLatin1String("gpioInfoList")];
    for (DspJsonValue g = gpios.first(); g.isValid() && d.gpioInfoList.size() < MaxGpio; g = g.next())
        if (g.isObject())
            d.gpioInfoList.append(readGpio(g));

    const DspJsonValue cd = v[QLatin1String("channelData")];
    if (cd.isObject()) {
        OfflineChannelData& c = d.channelData;
        c.phyRxChNameList = readTexts(cd[QLatin1String("phyRxChNameList")], MaxChannels);
        c.phyTxChNameList = readTexts(cd[QLatin1String("phyTxChNameList")], MaxChannels);
        c.rxChNameList = readTexts(cd[QLatin1String("rxChNameList")], MaxChannels);
        c.txChNameList = readTexts(cd[QLatin1String("txChNameList")], MaxChannels);
        c.rxPhyGainList = readReals(cd[QLatin1String("rxPhyGainList")], MaxChannels);
        c.txPhyGainList = readReals(cd[QLatin1String("txPhyGainList")], MaxChannels);
        c.rxPhyMuteArray = readInts(cd[QLatin1String("rxPhyMuteArray")], MaxChannels, 0, 1);
        c.txPhyMuteArray = readInts(cd[QLatin1String("txPhyMuteArray")], MaxChannels, 0, 1);
    }

    d.mcastList.clear();
    const DspJsonValue ml = v[QLatin1String("mcastList")];
    for (DspJsonValue m = ml.first(); m.isValid() && d.mcastList.size() < MaxStreams; m = m.next())
        if (m.isObject())
            d.mcastList.append(readMcast(m));
}

void OfflineDevice::readRoute(const DspJsonValue& v)
{
    m_ucast.clear();
    m_mcastRoutes.clear();
    if (!v.isObject())
        return;
    const DspJsonValue uc = v[QLatin1String("ucastList")];
    for (DspJsonValue r = uc.first(); r.isValid() && m_ucast.size() < MaxRoutes; r = r.next()) {
        if (!r.isObject())
            continue;
        OfflineUcastRoute route;
        readText(r, "srcDevId", &route.srcDevId);
        route.srcChId = -1;
        route.dstChId = -1;
        readInt(r, "srcChId", &route.srcChId, -1, MaxChannels - 1);
        readInt(r, "dstChId", &route.dstChId, -1, MaxChannels - 1);
        if (route.srcChId >= 0 && route.dstChId >= 0)
            m_ucast.append(route);
    }
    const DspJsonValue mc = v[QLatin1String("mcastList")];
    for (DspJsonValue r = mc.first(); r.isValid() && m_mcastRoutes.size() < MaxRoutes; r = r.next()) {
        if (!r.isObject())
            continue;
        OfflineMcastRoute route;
        readText(r, "mcastName", &route.mcastName);
        readText(r, "srcDevId", &route.srcDevId);
        route.srcChId = -1;
        route.dstChId = -1;
        readInt(r, "srcChId", &route.srcChId, -1, MaxChannels - 1);
        readInt(r, "dstChId", &route.dstChId, -1, MaxChannels - 1);
        const DspJsonValue sdp = r[QLatin1String("sdpInfo")];
        readText(sdp, "srcIp", &route.srcIp);
        readText(sdp, "dstIp", &route.dstIp);
        readInt(sdp, "dstPort", &route.dstPort, 0, 65535);
        readInt(sdp, "chNum", &route.chNum, 0, MaxChannels);
        readInt(sdp, "sampleByteNum", &route.sampleByteNum, 0, 8);
        qint64 ts = 0;
        if (sdp.readInt64(QLatin1String("rtpTsOffset"), &ts))
            route.rtpTsOffset = ts;
        if (route.srcChId >= 0 && route.dstChId >= 0)
            m_mcastRoutes.append(route);
    }
}

void OfflineDevice::readDsp(const DspJsonValue& v)
{
    m_dsp.clear();
    m_dspCurrentId = 0;
    if (!v.isObject())
        return;
    readInt(v, "currentId", &m_dspCurrentId, -1, 1 << 20);
    const DspJsonValue arr = v[QLatin1String("dspArr")];
    for (DspJsonValue c = arr.first(); c.isValid() && int(m_dsp.size()) < MaxDspConfigs; c = c.next()) {
        if (!c.isObject())
            continue;
        auto data = std::make_unique<CDeviceDspData>();
        data->parseConfig(c, QString(), true);
        addDspConfig(text(c[QLatin1String("name")]), std::move(data));
    }
}

QByteArray OfflineDevice::writeDetail(const OfflineExportFlags& f) const
{
    using G = OfflineExportFlags;
    const OfflineDevDetail& d = m_detail;
    const OfflineDevDetail def; // the values of a group left out
    auto pick = [&](G::Group g, auto mine, auto other) { return f.isOn(g) ? mine : other; };

    OfflineJsonWriter w;
    w.add("devId", d.devId);
    w.add("devName", pick(G::DeviceName, d.devName, d.devId));
    w.addInt("sampleRate", pick(G::AudioParams, d.sampleRate, def.sampleRate));
    w.addReal("delayMs", pick(G::NetworkDelay, d.delayMs, def.delayMs));
    w.addInt("ptpDscp", pick(G::PtpDscp, d.ptpDscp, def.ptpDscp));
    w.addInt("dscp", pick(G::StreamDscp, d.dscp, def.dscp));
    w.addInt("ptpPriority", pick(G::PtpPriority, d.ptpPriority, def.ptpPriority));
    w.addInt("sampleBitDepth", pick(G::SampleDepth, d.sampleBitDepth, def.sampleBitDepth));
    w.addInt("sampleByteNum", pick(G::SampleDepth, d.sampleByteNum, def.sampleByteNum));
    w.addReal("packetTime", pick(G::AudioParams, d.packetTime, def.packetTime));
    w.addInt("pFrameNum", pick(G::AudioParams, d.pFrameNum, def.pFrameNum));
    const bool net = f.isOn(G::Network);
    w.addInt("isFixIp", net ? d.isFixIp : def.isFixIp);
    if (net) {
        OfflineJsonWriter fix;
        fix.add("ipAndMask", d.ipAndMask);
        fix.add("dns", d.dns);
        fix.add("gateway", d.gateway);
        w.addRaw("fixIpStr", fix.finish());
    } else {
        w.add("fixIpStr", QString());
    }
    w.add("xebIp", net ? d.xebIp : QString());
    w.add("xeuIp", net ? d.xeuIp : QString());
    w.add("xServerStr", net ? d.xServerStr : QString());
    w.add("version", d.version);
    w.add("subVersion", d.subVersion);
    w.add("model", d.model);
    w.add("devModel", d.devModel);
    w.add("oemModel", d.oemModel);
    w.add("customType", d.customType);
    w.addInt("chNumRx", d.chNumRx);
    w.addInt("chNumTx", d.chNumTx);
    w.addInt("phyChNumRx", d.phyChNumRx);
    w.addInt("phyChNumTx", d.phyChNumTx);
    w.addInt("usbInNum", d.usbInNum);
    w.addInt("usbOutNum", d.usbOutNum);
    w.addInt("canGpio", d.canGpio);
    w.addRaw("devListInfo", devListInfoText(d.devListInfo));

    OfflineJsonWriter gpios(OfflineJsonWriter::ArrayKind);
    if (f.isOn(G::DeviceInfo))
        for (const OfflineGpio& g : d.gpioInfoList)
            gpios.appendRaw(gpioText(g));
    w.addRaw("gpioInfoList", gpios.finish());

    OfflineChannelData cd = d.channelData;
    if (!f.isOn(G::ChannelNames) || !f.isOn(G::ChannelGains)) {
        const OfflineChannelData fresh = defaultChannelData(d);
        if (!f.isOn(G::ChannelNames)) {
            cd.phyRxChNameList = fresh.phyRxChNameList;
            cd.phyTxChNameList = fresh.phyTxChNameList;
            cd.rxChNameList = fresh.rxChNameList;
            cd.txChNameList = fresh.txChNameList;
        }
        if (!f.isOn(G::ChannelGains)) {
            cd.rxPhyGainList = fresh.rxPhyGainList;
            cd.txPhyGainList = fresh.txPhyGainList;
            cd.rxPhyMuteArray = fresh.rxPhyMuteArray;
            cd.txPhyMuteArray = fresh.txPhyMuteArray;
        }
    }
    w.addRaw("channelData", channelDataText(cd));

    OfflineJsonWriter streams(OfflineJsonWriter::ArrayKind);
    if (f.isOn(G::Routes))
        for (const OfflineMcast& m : d.mcastList)
            streams.appendRaw(mcastText(m));
    w.addRaw("mcastList", streams.finish());
    return w.finish();
}

QByteArray OfflineDevice::writeRoute(const OfflineExportFlags& f) const
{
    OfflineJsonWriter uc(OfflineJsonWriter::ArrayKind);
    if (f.isOn(OfflineExportFlags::Routes)) {
        for (const OfflineUcastRoute& r : m_ucast) {
            OfflineJsonWriter o;
            o.add("srcDevId", r.srcDevId);
            o.addInt("srcChId", r.srcChId);
            o.addInt("dstChId", r.dstChId);
            uc.appendRaw(o.finish());
        }
    }
    OfflineJsonWriter mc(OfflineJsonWriter::ArrayKind);
    if (f.isOn(OfflineExportFlags::McastRoutes)) {
        for (const OfflineMcastRoute& r : m_mcastRoutes) {
            OfflineJsonWriter sdp;
            sdp.add("srcIp", r.srcIp);
            sdp.add("dstIp", r.dstIp);
            sdp.addInt("dstPort", r.dstPort);
            sdp.addInt("chNum", r.chNum);
            sdp.addInt("sampleByteNum", r.sampleByteNum);
            sdp.addInt("rtpTsOffset", r.rtpTsOffset);
            OfflineJsonWriter o;
            o.add("mcastName", r.mcastName);
            o.add("srcDevId", r.srcDevId);
            o.addInt("srcChId", r.srcChId);
            o.addInt("dstChId", r.dstChId);
            o.addRaw("sdpInfo", sdp.finish());
            mc.appendRaw(o.finish());
        }
    }
    OfflineJsonWriter w;
    w.addRaw("ucastList", uc.finish());
    w.addRaw("mcastList", mc.finish());
    return w.finish();
}

QByteArray OfflineDevice::writeDsp() const
{
    OfflineJsonWriter arr(OfflineJsonWriter::ArrayKind);
    for (const DspConfig& c : m_dsp)
        arr.appendRaw(dspConfigText(c));
    OfflineJsonWriter w;
    w.addInt("currentId", m_dspCurrentId);
    w.addRaw("dspArr", arr.finish());
    return w.finish();
}

bool OfflineDevice::operator==(const OfflineDevice& o) const
{
    if (!(m_detail == o.m_detail && m_ucast == o.m_ucast && m_mcastRoutes == o.m_mcastRoutes &&
          m_dspCurrentId == o.m_dspCurrentId && m_dsp.size() == o.m_dsp.size()))
        return false;
    for (size_t i = 0; i < m_dsp.size(); ++i)
        if (dspConfigText(m_dsp[i]) != dspConfigText(o.m_dsp[i]))
            return false;
    return true;
}

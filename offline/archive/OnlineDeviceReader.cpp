#include "OnlineDeviceReader.h"

#include "ArchiveTransport.h"
#include "CDeviceDspData.h"
#include "DevManager.h"
#include "DspEnvelope.h"
#include "LogRedaction.h"
#include "ModelTable.h"
#include "ReplyFields.h"
#include "UntrustedJson.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLoggingCategory>

#include <cmath>
#include <memory>

namespace {

Q_LOGGING_CATEGORY(lcArchiveRead, "meridane.offline.archive")

enum Step
{
    StepAddress,
    StepPtp,
    StepGains,
    StepMutes,
    StepMicAndPhantom,
    StepDspInfo,
    StepDspPrograms,
    StepDspLastLoaded,
    StepDspCurrent,
    StepCount
};

constexpr quint16 AddressPort = 9994;
constexpr quint16 InfoPort = 9992;
constexpr double GainFloorDb = -60.0;
constexpr int MaxProgramNames = 1024;
constexpr int MaxFuncListItems = 256;
const char* const DspUiTag = "dspUiTag";

struct StepTexts
{
    const char* success;
    const char* failure;
};

const StepTexts kTexts[StepCount] = {
    {" 获取IP成功", " ：获取Ip失败:"},
    {" 获取ptp成功", " ：获取ptp dscp,流dscp失败:"},
    {" 获取增益成功", " ：获取增益失败:"},
    {" 获取静音成功", " ：获取静音失败:"},
    {" 获取通道增益和幻象电源成功", " ：获取通道增益和幻象电源失败:"},
    {" 设置usb通道数成功", " ：tcp连接失败，dsp配置导出失败"},
    {" 获取dsp配置列表成功", " ：获取dsp配置失败:"},
    {" 设置dsp上次加载成功", " ：获取上次加载失败:"},
    {" 设置当前dsp配置成功", "  ：获取当前配置失败:"},
};

QJsonObject parseObject(const QString& text, bool* ok)
{
    QJsonDocument doc;
    *ok = dvm::parseUntrustedJson(text.toUtf8(), &doc) == dvm::JsonVerdict::Parsed && doc.isObject();
    return doc.object();
}

/// A gain as the device writes it: "-inf" and anything below the floor are the floor.
bool gainValue(const QJsonValue& v, double* out)
{
    const QString t = ReplyFields::text(v).trimmed();
    if (t.compare(QLatin1String("-inf"), Qt::CaseInsensitive) == 0) {
        *out = GainFloorDb;
        return true;
    }
    bool ok = false;
    const double d = t.toDouble(&ok);
    if (!ok || std::isnan(d) || d == HUGE_VAL)
        return false;
    *out = d < GainFloorDb ? GainFloorDb : d;
    return true;
}

bool muteValue(const QJsonValue& v, int* out)
{
    bool ok = false;
    const int m = ReplyFields::text(v).trimmed().toInt(&ok);
    if (!ok)
        return false;
    *out = m != 0 ? 1 : 0;
    return true;
}

QStringList namesOf(const QStringList& known, const char* prefix, int count)
{
    QStringList out = known.mid(0, count);
    for (int i = out.size(); i < count; ++i)
        out << QStringLiteral("%1%2").arg(QLatin1String(prefix)).arg(i + 1);
    return out;
}

template <typename T> QVector<T> sized(const QVector<T>& known, int count)
{
    QVector<T> out = known.mid(0, count);
    out.resize(count);
    return out;
}

/// "a.b.c.d" with a mask "255.255.255.0" as "a.b.c.d/24"; an address that carries its length stays as it is.
QString addressWithLength(const QString& ip, const QString& mask)
{
    if (ip.isEmpty() || ip.contains(QLatin1Char('/')) || mask.isEmpty())
        return ip;
    const uint32_t m = dvm_parseIp(mask);
    int len = 0;
    while (len < 32 && (m & (0x80000000u >> len)))
        ++len;
    const uint32_t contiguous = len == 0 ? 0 : 0xFFFFFFFFu << (32 - len);
    if (m != contiguous)
        return ip; // not a mask: keep the address alone rather than invent a length
    return ip + QLatin1Char('/') + QString::number(len);
}

QString packetTimeText(const QString& div)
{
    bool ok = false;
    const double d = div.toDouble(&ok);
    if (!ok || !(d > 0))
        return QString();
    return QString::number(1.0 / d, 'g', 6);
}

/// One read-out: the transport, the device and the running totals.
class Run
{
public:
    Run(ArchiveTransport& transport, const OnlineDeviceFacts& facts, const std::atomic_bool* cancel,
        const OnlineDeviceReader::Progress& progress, const std::function<void()>& requestSent)
        : m_transport(transport), m_facts(facts), m_cancel(cancel), m_progress(progress), m_requestSent(requestSent)
    {
    }

    OnlineDeviceReader::Result result;

    bool cancelled() const { return m_cancel && m_cancel->load(); }
    /// Whether the last request got any reply at all.
    bool lastAnswered() const { return m_lastAnswered; }

    /// One UDP request; `reply` gets the parsed object of an answered "succ" reply.
    bool udp(const QString& ops, quint16 port, QJsonObject* reply, QString* failure,
             const QJsonObject& extra = QJsonObject())
    {
        QJsonObject req = extra;
        req.insert(QStringLiteral("ops"), ops);
        req.insert(QStringLiteral("devId"), m_facts.devId);
        const ArchiveReply r =
            m_transport.udp(ReplyFields::compact(req), m_facts.ip, port, OnlineDeviceReader::UdpTimeoutMs);
        return take(r, reply, failure);
    }

    bool dsp(const QString& ops, int timeoutMs, QJsonObject* reply, QString* failure, QString* raw = nullptr)
    {
        const QJsonObject req{{QStringLiteral("ops"), ops}, {QStringLiteral("uiTag"), QLatin1String(DspUiTag)}};
        const ArchiveReply r = m_transport.dsp(DspEnvelope::tcp(m_facts.devId, ReplyFields::compact(req)),
                                               m_facts.dspIp != 0 ? m_facts.dspIp : m_facts.ip, timeoutMs);
        if (raw)
            *raw = r.answered ? r.text : QString();
        return take(r, reply, failure);
    }

    void succeed(int step) { say(m_facts.name + QString::fromUtf8(kTexts[step].success)); }

    void fail(int step, const QString& detail)
    {
        const QString text = m_facts.name + QString::fromUtf8(kTexts[step].failure) +
                             QString::fromUtf8(LogRedaction::redacted(detail.toUtf8()));
        ++result.failedSteps;
        result.failures << text;
        qCWarning(lcArchiveRead).noquote() << text;
        say(text);
    }

private:
    bool take(const ArchiveReply& r, QJsonObject* reply, QString* failure)
    {
        ++result.requests;
        if (m_requestSent)
            m_requestSent();
        *failure = r.text;
        m_lastAnswered = r.answered;
        if (!r.answered)
            return false;
        result.anyAnswer = true;
        bool ok = false;
        *reply = parseObject(r.text, &ok);
        return ok && ReplyFields::succeeded(*reply);
    }

    void say(const QString& text)
    {
        if (m_progress)
            m_progress(text);
    }

    ArchiveTransport& m_transport;
    const OnlineDeviceFacts& m_facts;
    const std::atomic_bool* m_cancel;
    const OnlineDeviceReader::Progress& m_progress;
    const std::function<void()>& m_requestSent;
    bool m_lastAnswered = false;
};

} // namespace

namespace {

/// Reads one paged list ("arr" from "idStart", continued at "idNext") into `values`, which holds the current
/// values and the channel count. False with `failure` when a page is refused, unanswered or unreadable; values
/// read before stay.
template <typename T, typename Parse>
bool readPaged(Run& run, const QString& ops, quint16 port, QVector<T>* values, Parse parse, QString* failure)
{
    const int count = values->size();
    int start = 0;
    for (int page = 0; page < OnlineDeviceReader::MaxPages && start < count; ++page) {
        if (run.cancelled())
            return false;
        QJsonObject reply;
        if (!run.udp(ops, port, &reply, failure, QJsonObject{{QStringLiteral("idStart"), QString::number(start)}}))
            return false;
        const QJsonArray arr = reply.value(QStringLiteral("arr")).toArray();
        for (int i = 0; i < arr.size() && start + i < count; ++i) {
            T v{};
            if (!parse(arr.at(i), &v)) {
                *failure = ReplyFields::compact(reply);
                return false;
            }
            (*values)[start + i] = v;
        }
        bool ok = false;
        const int next = ReplyFields::text(reply, "idNext").toInt(&ok);
        // The list ends without a next page, or with one that does not move on.
        if (!ok || next <= start)
            return true;
        start = next;
    }
    return true;
}

} // namespace

QString OnlineDeviceReader::successText(int step)
{
    return step >= 0 && step < StepCount ? QString::fromUtf8(kTexts[step].success) : QString();
}

QString OnlineDeviceReader::failureText(int step)
{
    return step >= 0 && step < StepCount ? QString::fromUtf8(kTexts[step].failure) : QString();
}

OnlineDeviceReader::Result OnlineDeviceReader::read(const OnlineDeviceFacts& facts, const std::atomic_bool* cancel,
                                                    const Progress& progress, const std::function<void()>& requestSent)
{
    Run run(m_transport, facts, cancel, progress, requestSent);
    OfflineDevice& dev = run.result.device;
    OfflineDevDetail& d = dev.detail();
    const int maxCh = OfflineDevice::MaxChannels;

    // What the registry and the store know.
    d.devId = facts.devId;
    d.devName = facts.name;
    d.model = facts.model;
    d.devModel = facts.model;
    d.oemModel = facts.oemCode;
    d.version = facts.firmwareVersion;
    d.subVersion = facts.firmwareBuild;
    d.chNumRx = qBound(0, facts.chNumRx, maxCh);
    d.chNumTx = qBound(0, facts.chNumTx, maxCh);
    d.phyChNumRx = qBound(0, facts.phyChNumRx, maxCh);
    d.phyChNumTx = qBound(0, facts.phyChNumTx, maxCh);
    d.usbInNum = qBound(0, facts.usbInNum, maxCh);
    d.usbOutNum = qBound(0, facts.usbOutNum, maxCh);
    if (facts.sampleRate > 0)
        d.sampleRate = facts.sampleRate;
    if (facts.sampleByteNum > 0 && facts.sampleByteNum <= 4) {
        d.sampleByteNum = facts.sampleByteNum;
        d.sampleBitDepth = facts.sampleByteNum * 8;
    }
    if (facts.pFrameNum > 0 && facts.sampleRate > 0) {
        d.pFrameNum = facts.pFrameNum;
        d.packetTime = double(facts.pFrameNum) * 1000.0 / facts.sampleRate;
    }
    if (facts.delayUs > 0)
        d.delayMs = facts.delayUs / 1000.0;
    if (facts.dscp > 0)
        d.dscp = facts.dscp;
    if (facts.ptpPriority > 0)
        d.ptpPriority = facts.ptpPriority;
    if (facts.ptpDscp > 0)
        d.ptpDscp = facts.ptpDscp;
    d.isFixIp = facts.isFixedIp != 0 ? 1 : 0;
    d.ipAndMask = facts.fixedIp;
    d.gateway = facts.gateway;
    d.dns = facts.dns;

    OfflineChannelData& cd = d.channelData;
    cd.rxChNameList = namesOf(facts.rxChNames, "NetIn", d.chNumRx);
    cd.txChNameList = namesOf(facts.txChNames, "NetOut", d.chNumTx);
    cd.phyRxChNameList = namesOf(facts.phyRxChNames, "AnalogIn", d.phyChNumRx);
    cd.phyTxChNameList = namesOf(facts.phyTxChNames, "AnalogOut", d.phyChNumTx);
    cd.rxPhyGainList = sized(facts.phyRxGains, d.phyChNumRx);
    cd.txPhyGainList = sized(facts.phyTxGains, d.phyChNumTx);
    cd.rxPhyMuteArray = sized(facts.phyRxMutes, d.phyChNumRx);
    cd.txPhyMuteArray = sized(facts.phyTxMutes, d.phyChNumTx);

    OfflineDevListInfo& li = d.devListInfo;
    li.chNumRx = d.chNumRx;
    li.chNumTx = d.chNumTx;
    li.phyChNumRx = d.phyChNumRx;
    li.phyChNumTx = d.phyChNumTx;
    li.model = facts.model;
    li.oemModel = facts.oemCode;
    li.version = facts.firmwareVersion;
    li.type = ModelTable::instance().deviceTypeText(facts.model);
    li.sampleRateList = facts.sampleRates.mid(0, OfflineDevice::MaxListEntries);
    for (const QString& div : facts.packetTimeDivs.mid(0, OfflineDevice::MaxListEntries)) {
        const QString ms = packetTimeText(div);
        if (!ms.isEmpty())
            li.packetTimeList << ms;
    }

    dev.ucastRoutes() = facts.ucastRoutes.mid(0, OfflineDevice::MaxRoutes);
    dev.mcastRoutes() = facts.mcastRoutes.mid(0, OfflineDevice::MaxRoutes);
    d.mcastList = facts.txStreams.mid(0, OfflineDevice::MaxStreams);

    QJsonObject reply;
    QString failure;
    const quint16 commandPort = quint16(qBound(0, facts.port, 65535));

    // StepAddress.
    if (run.cancelled())
        return run.result;
    if (run.udp(QStringLiteral("getIp"), AddressPort, &reply, &failure)) {
        const QJsonValue fixed = reply.value(QStringLiteral("fixedIp"));
        // Some firmware nests the settings in "fixedIp"; the nesting itself says the address is fixed.
        const QJsonObject src = fixed.isObject() ? fixed.toObject() : reply;
        d.isFixIp = fixed.isObject() ? 1 : (ReplyFields::number(reply, "fixedIp") != 0 ? 1 : 0);
        d.ipAndMask =
            addressWithLength(ReplyFields::text(src, "ip").trimmed(), ReplyFields::text(src, "mask").trimmed());
        d.gateway = ReplyFields::text(src, "gw").trimmed();
        d.dns = ReplyFields::text(src, "dns").trimmed();
        run.succeed(StepAddress);
    } else {
        run.fail(StepAddress, failure);
    }

    // PTP.
    if (run.cancelled())
        return run.result;
    if (run.udp(QStringLiteral("getVersion"), AddressPort, &reply, &failure)) {
        bool okDscp = false, okPrio = false;
        const int dscp = ReplyFields::text(reply, "ptpDscp").toInt(&okDscp);
        const int prio = ReplyFields::text(reply, "ptpPriority").toInt(&okPrio);
        if (okDscp && okPrio && dscp >= 0 && dscp <= 63 && prio >= 0 && prio <= 255) {
            d.ptpDscp = dscp;
            d.ptpPriority = prio;
            run.succeed(StepPtp);
        } else {
            run.fail(StepPtp, ReplyFields::compact(reply));
        }
    } else {
        run.fail(StepPtp, failure);
    }

    // StepGains and mutes, receive side then transmit side.
    if (run.cancelled())
        return run.result;
    if (readPaged(run, QStringLiteral("getAllPhyGainDbRx"), commandPort, &cd.rxPhyGainList, gainValue, &failure) &&
        readPaged(run, QStringLiteral("getAllPhyGainDbTx"), commandPort, &cd.txPhyGainList, gainValue, &failure))
        run.succeed(StepGains);
    else if (run.cancelled())
        return run.result;
    else
        run.fail(StepGains, failure);

    if (readPaged(run, QStringLiteral("getAllPhyMuteRx"), commandPort, &cd.rxPhyMuteArray, muteValue, &failure) &&
        readPaged(run, QStringLiteral("getAllPhyMuteTx"), commandPort, &cd.txPhyMuteArray, muteValue, &failure))
        run.succeed(StepMutes);
    else if (run.cancelled())
        return run.result;
    else
        run.fail(StepMutes, failure);

    // Microphone gain and phantom power: asked so the log shows them, but the document has no place for them.
    if (run.cancelled())
        return run.result;
    if (run.udp(QStringLiteral("getInfo"), InfoPort, &reply, &failure))
        run.succeed(StepMicAndPhantom);
    else
        run.fail(StepMicAndPhantom, failure);

    if (!facts.hasDsp)
        return run.result;

    // Processor information: its channel counts beyond the physical and network ones are computer-link channels.
    if (run.cancelled())
        return run.result;
    const uint32_t dspIp = facts.dspIp != 0 ? facts.dspIp : facts.ip;
    // The configuration's layout follows the processor's own version, not the device firmware's.
    DspInfo dspInfo;
    if (!run.dsp(QStringLiteral("getVersion"), DspTimeoutMs, &reply, &failure)) {
        run.fail(StepDspInfo, QStringLiteral(" ip = ") + dvm_ipToString(dspIp) + QLatin1Char(' ') + failure);
        // Without the link the processor's other steps cannot run either; a refusal leaves them worth a try.
        if (!run.lastAnswered())
            return run.result;
    } else {
        dspInfo.model = ReplyFields::text(reply, "model");
        dspInfo.dspVer = ReplyFields::text(reply, "dspVer");
        dspInfo.version = ReplyFields::text(reply, "version");
        dspInfo.chNumIn = qBound(0, ReplyFields::number(reply, "chNumIn"), DspInfo::kMaxChannels);
        dspInfo.chNumOut = qBound(0, ReplyFields::number(reply, "chNumOut"), DspInfo::kMaxChannels);
        dspInfo.memory = ReplyFields::text(reply, "memory");
        dspInfo.funcList = ReplyFields::text(reply, "funcList").split(QLatin1Char(',')).mid(0, MaxFuncListItems);
        bool okIn = false, okOut = false;
        const int chIn = ReplyFields::text(reply, "chNumIn").toInt(&okIn);
        const int chOut = ReplyFields::text(reply, "chNumOut").toInt(&okOut);
        // Bounded before the subtraction: INT_MIN from a device would overflow it.
        if (okIn)
            d.usbInNum = qBound(0, qBound(0, chIn, DspInfo::kMaxChannels) - d.phyChNumRx - d.chNumRx, maxCh);
        if (okOut)
            d.usbOutNum = qBound(0, qBound(0, chOut, DspInfo::kMaxChannels) - d.phyChNumTx - d.chNumTx, maxCh);
        li.usbInNum = d.usbInNum;
        li.usbOutNum = d.usbOutNum;
        run.succeed(StepDspInfo);
    }

    // Program list.
    if (run.cancelled())
        return run.result;
    QStringList programs;
    QString raw;
    if (run.dsp(QStringLiteral("getConfigNameArr"), DspTimeoutMs, &reply, &failure, &raw)) {
        if (!reply.contains(QStringLiteral("nameArr"))) {
            qCWarning(lcArchiveRead) << "Missing nameArr field";
            run.fail(StepDspPrograms, failure);
        } else {
            programs = ReplyFields::texts(reply, "nameArr").mid(0, MaxProgramNames);
            run.succeed(StepDspPrograms);
        }
    } else {
        bool isJson = false;
        parseObject(raw, &isJson);
        if (!isJson && !raw.isEmpty())
            qCWarning(lcArchiveRead).noquote() << "Invalid JSON:" << raw.left(200);
        run.fail(StepDspPrograms, failure);
    }

    // Last loaded program: its place in the list, 0 when it is not listed.
    if (run.cancelled())
        return run.result;
    if (run.dsp(QStringLiteral("getDefaultFile"), DspTimeoutMs, &reply, &failure)) {
        dev.setDspCurrentId(std::max(0, int(programs.indexOf(ReplyFields::text(reply, "name")))));
        run.succeed(StepDspLastLoaded);
    } else {
        run.fail(StepDspLastLoaded, failure);
    }

    // Current configuration, archived as "curConfig".
    if (run.cancelled())
        return run.result;
    if (run.dsp(QStringLiteral("getConfig"), ConfigTimeoutMs, &reply, &failure, &raw) &&
        reply.value(QStringLiteral("config")).isObject()) {
        auto data = std::make_unique<CDeviceDspData>();
        data->info() = dspInfo;
        const QString layoutVersion = dspInfo.version.isEmpty() ? facts.firmwareVersion : dspInfo.version;
        data->parseConfig(reply.value(QStringLiteral("config")).toObject(), layoutVersion);
        dev.addDspConfig(QStringLiteral("curConfig"), std::move(data));
        run.succeed(StepDspCurrent);
    } else {
        run.fail(StepDspCurrent, failure);
    }
    return run.result;
}

#include "SimControl.h"

#include "SimAudioPath.h"
#include "SimCommandHandlers.h"
#include "SimDspConfig.h"
#include "SimDspPrograms.h"
#include "SimDspService.h"
#include "SimGpioCommands.h"
#include "SimLog.h"
#include "SimNetwork.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSocketNotifier>

#include <cerrno>
#include <cmath>
#include <unistd.h>

namespace {

QJsonObject fail(const QString& error)
{
    return QJsonObject{{QStringLiteral("ok"), false}, {QStringLiteral("error"), error}};
}

QJsonObject answerFor(const SimChange& change)
{
    if (!change.ok())
        return fail(change.error);
    return QJsonObject{{QStringLiteral("ok"), true}, {QStringLiteral("changed"), change.changed()}};
}

} // namespace

SimControl::SimControl(SimNetwork& network, QObject* parent) : QObject(parent), m_network(network) {}

QJsonObject SimControl::handleLine(const QByteArray& line)
{
    QJsonParseError pe;
    const QJsonDocument doc = QJsonDocument::fromJson(line, &pe);
    if (pe.error != QJsonParseError::NoError || !doc.isObject())
        return fail(QStringLiteral("not a JSON object"));
    const QJsonObject req = doc.object();
    const QString cmd = req.value(QLatin1String("cmd")).toString();
    const QString devId = req.value(QLatin1String("devId")).toString();

    if (cmd == QLatin1String("dump")) {
        QJsonObject out = m_network.dump();
        out.insert(QStringLiteral("ok"), true);
        return out;
    }
    if (cmd == QLatin1String("route") || cmd == QLatin1String("unroute")) {
        std::optional<int> rxCh = SimCommandHandlers::readInt(req, "rxCh");
        if (!rxCh)
            return fail(QStringLiteral("\"rxCh\" must be an integer"));
        SimChange change;
        if (cmd == QLatin1String("route")) {
            std::optional<int> srcCh = SimCommandHandlers::readInt(req, "srcCh");
            if (!srcCh)
                return fail(QStringLiteral("\"srcCh\" must be an integer"));
            change = m_network.route(devId, *rxCh, req.value(QLatin1String("srcDevId")).toString(), *srcCh);
        } else {
            change = m_network.unroute(devId, *rxCh);
        }
        m_network.publish(change);
        return answerFor(change);
    }
    if (cmd == QLatin1String("silence"))
        return setSilenced(req, true);
    if (cmd == QLatin1String("resume"))
        return setSilenced(req, false);
    if (cmd == QLatin1String("set"))
        return setValues(req);
    if (cmd == QLatin1String("state"))
        return stateOf(req);
    if (cmd == QLatin1String("dspService"))
        return switchDspService(req);
    if (cmd == QLatin1String("dspLock"))
        return lockDsp(req);
    if (cmd == QLatin1String("dspConfig"))
        return dspConfigOf(req);
    if (cmd == QLatin1String("programs"))
        return programsOf(req);
    if (cmd == QLatin1String("mic"))
        return micOf(req);
    if (cmd == QLatin1String("heard"))
        return heardBy(req);
    if (cmd == QLatin1String("signal"))
        return playSignal(req);
    if (cmd == QLatin1String("loopback"))
        return setLoopback(req);
    if (cmd == QLatin1String("fault"))
        return setFault(req);
    if (cmd == QLatin1String("quit")) {
        // Queued so the answer is written before the event loop ends.
        QMetaObject::invokeMethod(this, &SimControl::signal_quit, Qt::QueuedConnection);
        return QJsonObject{{QStringLiteral("ok"), true}};
    }
    return fail(QStringLiteral("unknown cmd \"%1\"").arg(cmd));
}

QJsonObject SimControl::setSilenced(const QJsonObject& req, bool silenced)
{
    const QString devId = req.value(QLatin1String("devId")).toString();
    const int i = m_network.indexOfDevId(devId);
    if (i < 0)
        return fail(QStringLiteral("unknown devId %1").arg(devId));
    SimDevice& dev = m_network.device(i);
    const QString onOps = req.value(QLatin1String("onOps")).toString();
    dev.silenceOn(silenced ? onOps : QString());
    if (silenced && !onOps.isEmpty())
        return QJsonObject{{QStringLiteral("ok"), true}}; // armed: the silence begins with that request
    dev.setSilenced(silenced);
    dev.setKeepsAnnouncing(silenced && req.value(QLatin1String("announce")).toBool());
    if (!silenced)
        m_network.announceAll();
    return QJsonObject{{QStringLiteral("ok"), true}};
}

QJsonObject SimControl::setValues(const QJsonObject& req)
{
    const QString devId = req.value(QLatin1String("devId")).toString();
    const int i = m_network.indexOfDevId(devId);
    if (i < 0)
        return fail(QStringLiteral("unknown devId %1").arg(devId));
    SimDevice& dev = m_network.device(i);
    const std::optional<int> temp = SimCommandHandlers::readInt(req, "temp");
    const std::optional<int> jitter = SimCommandHandlers::readInt(req, "tempJitter");
    const std::optional<int> uptime = SimCommandHandlers::readInt(req, "uptime");
    auto given = [&req](const char* key) { return req.contains(QLatin1String(key)); };
    if ((given("temp") && !temp) || (given("tempJitter") && (!jitter || *jitter < 0)) ||
        (given("uptime") && (!uptime || *uptime < 0)))
        return fail(QStringLiteral("\"temp\", \"tempJitter\" and \"uptime\" must be integers (the last two >= 0)"));
    if (!temp && !jitter && !uptime)
        return fail(QStringLiteral("nothing to set: give \"temp\", \"tempJitter\" or \"uptime\""));
    // A test that sets a temperature wants exactly that value back, unless it asks for variation too.
    if (temp || jitter)
        dev.setTemperature(temp.value_or(dev.temperatureBase()), jitter.value_or(temp ? 0 : dev.temperatureJitter()));
    if (uptime)
        dev.setUptime(*uptime, m_network.nowMs());
    return QJsonObject{{QStringLiteral("ok"), true}};
}

QJsonObject SimControl::stateOf(const QJsonObject& req)
{
    const QString devId = req.value(QLatin1String("devId")).toString();
    const int i = m_network.indexOfDevId(devId);
    if (i < 0)
        return fail(QStringLiteral("unknown devId %1").arg(devId));
    m_network.isAnswering(i); // ends a reboot whose time is up
    const bool rebooting = m_network.device(i).state().isRebooting(m_network.nowMs());
    const SimDevice& dev = m_network.device(i);
    const SimDeviceConfig& c = dev.config();
    const SimDeviceState& st = dev.state();
    auto numbers = [](const auto& values) {
        QJsonArray a;
        for (const auto& v : values)
            a.append(v);
        return a;
    };
    // Gains are numbers, except a channel turned fully down: JSON has no infinity, so it shows as "-inf".
    auto gains = [](const QVector<double>& values) {
        QJsonArray a;
        for (double v : values)
            a.append(std::isinf(v) ? QJsonValue(QStringLiteral("-inf")) : QJsonValue(v));
        return a;
    };
    QJsonArray gpio;
    for (const QJsonObject& e : st.gpio)
        gpio.append(e.isEmpty() ? SimGpioCommands::defaultEntry() : e);
    QJsonObject requests;
    for (auto it = st.requests.constBegin(); it != st.requests.constEnd(); ++it)
        requests.insert(it.key(), it.value());
    QJsonObject cfg;
    for (auto it = st.cfg.constBegin(); it != st.cfg.constEnd(); ++it)
        cfg.insert(it.key(), it.value());
    QJsonArray mcastTx;
    for (int id = 0; id < int(dev.mcastTx().size()); ++id) {
        const SimTxStream& t = dev.mcastTx()[size_t(id)];
        if (!t.used)
            continue;
        QJsonObject o = SimDevice::sdpToDump(t.sdp);
        o.insert(QStringLiteral("sdpId"), id);
        o.insert(QStringLiteral("name"), t.name);
        o.insert(QStringLiteral("srcChIds"),
                 numbers(QVector<int>(t.srcChIds.begin(), t.srcChIds.begin() + t.sdp.chNum)));
        mcastTx.append(o);
    }
    QJsonArray mcastRx;
    for (int id = 0; id < int(dev.mcastRx().size()); ++id) {
        const SimRxStream& r = dev.mcastRx()[size_t(id)];
        if (!r.used)
            continue;
        QJsonObject o = SimDevice::sdpToDump(r.sdp);
        o.insert(QStringLiteral("sdpId"), id);
        o.insert(QStringLiteral("active"), r.active);
        o.insert(QStringLiteral("rtpChIds"), numbers(r.rtpChIds));
        mcastRx.append(o);
    }
    // The password itself never leaves the device: only whether one is set.
    QJsonObject out{
        {QStringLiteral("ok"), true},
        {QStringLiteral("devId"), dev.devId()},
        {QStringLiteral("name"), c.name},
        {QStringLiteral("model"), c.model},
        {QStringLiteral("rxChNames"), QJsonArray::fromStringList(dev.names(SimNameList::Rx))},
        {QStringLiteral("txChNames"), QJsonArray::fromStringList(dev.names(SimNameList::Tx))},
        {QStringLiteral("phyRxChNames"), QJsonArray::fromStringList(dev.names(SimNameList::PhyRx))},
        {QStringLiteral("phyTxChNames"), QJsonArray::fromStringList(dev.names(SimNameList::PhyTx))},
        {QStringLiteral("sampleRate"), c.sampleRate},
        {QStringLiteral("pendingSampleRate"), st.pendingSampleRate},
        {QStringLiteral("packetTimeDiv"), st.packetTimeDiv},
        {QStringLiteral("pendingPacketTimeDiv"), st.pendingPacketTimeDiv},
        {QStringLiteral("pFrameNum"), c.pFrameNum},
        {QStringLiteral("delayUs"), c.delayUs},
        {QStringLiteral("sampleByteNum"), c.sampleByteNum},
        {QStringLiteral("dscp"), c.dscp},
        {QStringLiteral("ptpPriority"), c.ptpPriority},
        {QStringLiteral("ptpDomain"), c.ptpDomain},
        {QStringLiteral("ptpDscp"), c.ptpDscp},
        {QStringLiteral("ipMode"), st.fixedIp},
        {QStringLiteral("address"), SimDeviceConfig::ipText(dev.ip())},
        {QStringLiteral("ip"), SimDeviceConfig::ipText(st.ip)},
        {QStringLiteral("prefixLength"), st.prefixLength},
        {QStringLiteral("gw"), SimDeviceConfig::ipText(st.gateway)},
        {QStringLiteral("dns"), SimDeviceConfig::ipText(st.dns)},
        {QStringLiteral("phyGainRx"), gains(st.phyGain[int(SimSide::Rx)])},
        {QStringLiteral("phyGainTx"), gains(st.phyGain[int(SimSide::Tx)])},
        {QStringLiteral("gpio"), gpio},
        {QStringLiteral("phyMuteRx"), numbers(st.phyMute[int(SimSide::Rx)])},
        {QStringLiteral("phyMuteTx"), numbers(st.phyMute[int(SimSide::Tx)])},
        {QStringLiteral("ampGainLev"), numbers(st.ampGainLevel)},
        {QStringLiteral("ampPower"), numbers(st.ampPower)},
        {QStringLiteral("cfg"), cfg},
        {QStringLiteral("lock"), SimDeviceConfig::maskText(dev.lockMask())},
        {QStringLiteral("dspLock"), SimDeviceConfig::maskText(dev.dspLockMask())},
        {QStringLiteral("passwordSet"), dev.hasPassword()},
        {QStringLiteral("silenced"), dev.isSilenced()},
        {QStringLiteral("rebooting"), rebooting},
        {QStringLiteral("rebootCount"), st.rebootCount},
        {QStringLiteral("requests"), requests},
        {QStringLiteral("tunnelDatagrams"), st.tunnelDatagrams},
        {QStringLiteral("mcastTx"), mcastTx},
        {QStringLiteral("mcastRx"), mcastRx},
    };
    out.insert(QStringLiteral("dspConfig"), dspSummary(i));
    out.insert(QStringLiteral("audio"), audioState(dev));
    QJsonObject oem;
    for (auto it = c.oemData.constBegin(); it != c.oemData.constEnd(); ++it)
        oem.insert(it.key(), it.value());
    QJsonObject testGpio;
    for (auto it = st.factory.testGpio.constBegin(); it != st.factory.testGpio.constEnd(); ++it)
        testGpio.insert(QString::number(it.key()), it.value() ? 1 : 0);
    out.insert(QStringLiteral("oemData"), oem);
    out.insert(QStringLiteral("factory"), QJsonObject{{QStringLiteral("sshStarts"), st.factory.sshStarts},
                                                      {QStringLiteral("resets"), st.factory.resets},
                                                      {QStringLiteral("testGpio"), testGpio}});
    return out;
}

QJsonValue SimControl::dspSummary(int index)
{
    SimDevice& dev = m_network.device(index);
    if (!dev.config().hasDsp())
        return QJsonValue::Null;
    QJsonObject o = SimDspConfig::summary(SimDspConfig::current(dev));
    o.insert(QStringLiteral("saved"), dev.state().dsp.savedCount);
    o.insert(QStringLiteral("factoryConfigPending"), !dev.state().dsp.factoryConfig.isEmpty());
    o.insert(QStringLiteral("serviceOn"), dev.state().dsp.serviceOn);
    return o;
}

QJsonObject SimControl::switchDspService(const QJsonObject& req)
{
    const QString devId = req.value(QLatin1String("devId")).toString();
    const int i = m_network.indexOfDevId(devId);
    if (i < 0)
        return fail(QStringLiteral("unknown devId %1").arg(devId));
    if (!m_network.device(i).config().hasDsp())
        return fail(QStringLiteral("%1 has no signal processor").arg(devId));
    const QJsonValue on = req.value(QLatin1String("on"));
    if (!on.isBool())
        return fail(QStringLiteral("\"on\" must be true or false"));
    m_network.device(i).state().dsp.serviceOn = on.toBool();
    SimDspService::applySwitch(m_network, i);
    return QJsonObject{{QStringLiteral("ok"), true}, {QStringLiteral("on"), on.toBool()}};
}

QJsonObject SimControl::lockDsp(const QJsonObject& req)
{
    const QString devId = req.value(QLatin1String("devId")).toString();
    const int i = m_network.indexOfDevId(devId);
    if (i < 0)
        return fail(QStringLiteral("unknown devId %1").arg(devId));
    const std::optional<quint32> mask = SimDeviceConfig::parseMask(req.value(QLatin1String("mask")).toString());
    if (!mask)
        return fail(QStringLiteral("\"mask\" must be a lock mask text such as \"1\" or \"0\""));
    SimDevice& dev = m_network.device(i);
    if (req.value(QLatin1String("unseen")).toBool())
        dev.lockDspUnseen(*mask);
    else
        dev.setDspLockMask(*mask);
    return QJsonObject{{QStringLiteral("ok"), true}};
}

QJsonObject SimControl::dspConfigOf(const QJsonObject& req)
{
    const QString devId = req.value(QLatin1String("devId")).toString();
    const int i = m_network.indexOfDevId(devId);
    if (i < 0)
        return fail(QStringLiteral("unknown devId %1").arg(devId));
    SimDevice& dev = m_network.device(i);
    if (!dev.config().hasDsp())
        return fail(QStringLiteral("%1 has no signal processor").arg(devId));
    // The factory configuration waiting for the next reboot, as "setFactoryConfig" delivered it.
    if (req.value(QLatin1String("factory")).toBool()) {
        const QJsonObject& pending = dev.state().dsp.factoryConfig;
        return QJsonObject{{QStringLiteral("ok"), true},
                           {QStringLiteral("config"), pending.isEmpty() ? QJsonValue() : QJsonValue(pending)}};
    }
    return QJsonObject{{QStringLiteral("ok"), true}, {QStringLiteral("config"), SimDspConfig::current(dev)}};
}

QJsonObject SimControl::programsOf(const QJsonObject& req)
{
    const QString devId = req.value(QLatin1String("devId")).toString();
    const int i = m_network.indexOfDevId(devId);
    if (i < 0)
        return fail(QStringLiteral("unknown devId %1").arg(devId));
    SimDevice& dev = m_network.device(i);
    if (!dev.config().hasDsp())
        return fail(QStringLiteral("%1 has no signal processor").arg(devId));
    QJsonArray sums{SimDspConfig::summary(SimDspPrograms::factory(dev)).value(QLatin1String("sha1"))};
    for (const auto& p : dev.state().dsp.programs)
        sums.append(SimDspConfig::summary(p.second).value(QLatin1String("sha1")));
    return QJsonObject{{QStringLiteral("ok"), true},
                       {QStringLiteral("nameArr"), QJsonArray::fromStringList(SimDspPrograms::names(dev))},
                       {QStringLiteral("lastLoaded"), dev.state().dsp.lastLoaded},
                       {QStringLiteral("sha1Arr"), sums}};
}

QJsonObject SimControl::micOf(const QJsonObject& req)
{
    const QString devId = req.value(QLatin1String("devId")).toString();
    const int i = m_network.indexOfDevId(devId);
    if (i < 0)
        return fail(QStringLiteral("unknown devId %1").arg(devId));
    SimMicProcessor& mic = m_network.device(i).state().mic;
    if (req.contains(QLatin1String("set"))) {
        QString error;
        if (!req.value(QLatin1String("set")).isObject())
            return fail(QStringLiteral("\"set\" must be an object"));
        if (!mic.preset(req.value(QLatin1String("set")).toObject(), &error))
            return fail(error);
    }
    return QJsonObject{{QStringLiteral("ok"), true},
                       {QStringLiteral("live"), mic.live().toJson()},
                       {QStringLiteral("saved"), mic.saved().toJson()},
                       {QStringLiteral("saves"), mic.saveCount()},
                       {QStringLiteral("commands"), mic.commandCount()}};
}

QJsonObject SimControl::heardBy(const QJsonObject& req)
{
    if (!req.contains(QLatin1String("devId")))
        return heardByAll();
    const QString devId = req.value(QLatin1String("devId")).toString();
    const int i = m_network.indexOfDevId(devId);
    if (i < 0)
        return fail(QStringLiteral("unknown devId %1").arg(devId));
    SimDeviceState& st = m_network.device(i).state();
    QJsonObject heard;
    for (auto it = st.requests.constBegin(); it != st.requests.constEnd(); ++it) {
        const int since = it.value() - st.requestsMark.value(it.key(), 0);
        if (since > 0)
            heard.insert(it.key(), since);
    }
    st.requestsMark = st.requests;
    return QJsonObject{{QStringLiteral("ok"), true}, {QStringLiteral("heard"), heard}};
}

QJsonObject SimControl::heardByAll()
{
    // Summed over every device, with each device's mark set as its own "heard" line would: a test of a large
    // network asks once a second instead of once per device.
    QMap<QString, qint64> sums;
    int devices = 0;
    for (int i = 0; i < m_network.deviceCount(); ++i) {
        SimDeviceState& st = m_network.device(i).state();
        bool any = false;
        for (auto it = st.requests.constBegin(); it != st.requests.constEnd(); ++it) {
            const int since = it.value() - st.requestsMark.value(it.key(), 0);
            if (since > 0) {
                sums[it.key()] += since;
                any = true;
            }
        }
        st.requestsMark = st.requests;
        devices += any ? 1 : 0;
    }
    QJsonObject heard;
    for (auto it = sums.constBegin(); it != sums.constEnd(); ++it)
        heard.insert(it.key(), double(it.value()));
    return QJsonObject{
        {QStringLiteral("ok"), true}, {QStringLiteral("heard"), heard}, {QStringLiteral("devices"), devices}};
}

QJsonObject SimControl::playSignal(const QJsonObject& req)
{
    const QString devId = req.value(QLatin1String("devId")).toString();
    const int i = m_network.indexOfDevId(devId);
    if (i < 0)
        return fail(QStringLiteral("unknown devId %1").arg(devId));
    SimDevice& dev = m_network.device(i);
    const int inputs = dev.config().phyChNumRx;
    const QJsonValue list = req.value(QLatin1String("inputs"));
    if (!list.isArray())
        return fail(QStringLiteral("\"inputs\" must be a list of physical inputs (1-based; empty stops the signal)"));
    QSet<int> chosen;
    for (const QJsonValue& v : list.toArray()) {
        // Numbers or decimal text, as the route lines take them.
        const std::optional<int> n = SimCommandHandlers::readInt(QJsonObject{{QStringLiteral("n"), v}}, "n");
        if (!n || *n < 1 || *n > inputs)
            return fail(QStringLiteral("\"inputs\" must be whole numbers from 1 to %1 (the physical inputs of %2)")
                            .arg(inputs)
                            .arg(devId));
        chosen.insert(*n - 1);
    }
    double db = SimAudioPath::kDefaultGeneratorDb;
    if (req.contains(QLatin1String("dBFS"))) {
        const QJsonValue v = req.value(QLatin1String("dBFS"));
        if (!v.isDouble() || !(v.toDouble() >= SimAudioPath::kMinGeneratorDb) ||
            !(v.toDouble() <= SimAudioPath::kMaxGeneratorDb))
            return fail(QStringLiteral("\"dBFS\" must be a number from %1 to %2")
                            .arg(SimAudioPath::kMinGeneratorDb)
                            .arg(SimAudioPath::kMaxGeneratorDb));
        db = v.toDouble();
    }
    SimDeviceState::Audio& audio = dev.state().audio;
    // Inputs that keep playing at the same level keep their start; a new level starts everywhere anew.
    QMap<int, qint64> since;
    const qint64 now = m_network.nowMs();
    for (int input : chosen)
        since.insert(input, db == audio.generatorDb ? audio.generatorSinceMs.value(input, now) : now);
    audio.generatorSinceMs = since;
    audio.generatorDb = db;
    return QJsonObject{{QStringLiteral("ok"), true}, {QStringLiteral("audio"), audioState(dev)}};
}

QJsonObject SimControl::setLoopback(const QJsonObject& req)
{
    const QString devId = req.value(QLatin1String("devId")).toString();
    const int i = m_network.indexOfDevId(devId);
    if (i < 0)
        return fail(QStringLiteral("unknown devId %1").arg(devId));
    const QJsonValue on = req.value(QLatin1String("on"));
    if (!on.isBool())
        return fail(QStringLiteral("\"on\" must be true or false"));
    SimDevice& dev = m_network.device(i);
    dev.state().audio.loopback = on.toBool();
    return QJsonObject{{QStringLiteral("ok"), true}, {QStringLiteral("audio"), audioState(dev)}};
}

QJsonObject SimControl::setFault(const QJsonObject& req)
{
    const QString devId = req.value(QLatin1String("devId")).toString();
    const int i = m_network.indexOfDevId(devId);
    if (i < 0)
        return fail(QStringLiteral("unknown devId %1").arg(devId));
    SimDevice& dev = m_network.device(i);
    const int outputs = dev.config().phyChNumTx;
    const std::optional<int> c = SimCommandHandlers::readInt(req, "channel");
    if (!c || *c < 1 || *c > outputs)
        return fail(QStringLiteral("\"channel\" must be a physical output from 1 to %1").arg(outputs));
    const QString kind = req.value(QLatin1String("kind")).toString();
    SimDeviceState::Audio& audio = dev.state().audio;
    if (kind == QLatin1String("silent"))
        audio.faults.insert(*c - 1, SimDeviceState::Audio::Fault::Silent);
    else if (kind == QLatin1String("low"))
        audio.faults.insert(*c - 1, SimDeviceState::Audio::Fault::Low);
    else if (kind == QLatin1String("ok"))
        audio.faults.remove(*c - 1);
    else
        return fail(QStringLiteral("\"kind\" must be \"silent\", \"low\" or \"ok\""));
    return QJsonObject{{QStringLiteral("ok"), true}, {QStringLiteral("audio"), audioState(dev)}};
}

QJsonObject SimControl::audioState(const SimDevice& dev)
{
    const SimDeviceState::Audio& audio = dev.state().audio;
    QJsonArray inputs;
    for (auto it = audio.generatorSinceMs.constBegin(); it != audio.generatorSinceMs.constEnd(); ++it)
        inputs.append(it.key() + 1);
    QJsonObject faults;
    for (auto it = audio.faults.constBegin(); it != audio.faults.constEnd(); ++it)
        faults.insert(QString::number(it.key() + 1), it.value() == SimDeviceState::Audio::Fault::Silent
                                                         ? QStringLiteral("silent")
                                                         : QStringLiteral("low"));
    QJsonArray cancel;
    for (auto it = audio.cancel.constBegin(); it != audio.cancel.constEnd(); ++it)
        cancel.append(QJsonObject{{QStringLiteral("portIndex"), it.key()},
                                  {QStringLiteral("delayNum"), it.value().delayNum},
                                  {QStringLiteral("maxNum"), it.value().maxNum}});
    return QJsonObject{{QStringLiteral("inputs"), inputs},
                       {QStringLiteral("dBFS"), audio.generatorDb},
                       {QStringLiteral("loopback"), audio.loopback},
                       {QStringLiteral("faults"), faults},
                       {QStringLiteral("cancel"), cancel}};
}

void SimControl::feed(const QByteArray& bytes)
{
    int from = 0;
    while (from < bytes.size()) {
        const int nl = bytes.indexOf('\n', from);
        const int end = nl < 0 ? bytes.size() : nl;
        if (!m_discarding)
            m_pending.append(bytes.constData() + from, end - from);
        if (m_pending.size() > kMaxLineBytes) {
            m_pending.clear();
            m_discarding = true;
        }
        if (nl < 0)
            break;
        if (m_discarding) {
            emit signal_answer(QJsonDocument(fail(QStringLiteral("line too long"))).toJson(QJsonDocument::Compact));
        } else if (!m_pending.trimmed().isEmpty()) {
            emit signal_answer(QJsonDocument(handleLine(m_pending)).toJson(QJsonDocument::Compact));
        }
        m_pending.clear();
        m_discarding = false;
        from = nl + 1;
    }
}

void SimControl::attachStdin(bool exitOnEof)
{
    m_exitOnEof = exitOnEof;
    m_notifier = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &SimControl::handleStdinReadable);
}

void SimControl::handleStdinReadable()
{
    char buf[4096];
    const ssize_t n = ::read(STDIN_FILENO, buf, sizeof(buf));
    if (n > 0) {
        feed(QByteArray(buf, static_cast<int>(n)));
        return;
    }
    if (n < 0 && (errno == EINTR || errno == EAGAIN))
        return;
    // End of input (or an unreadable descriptor): stop watching, otherwise the notifier fires forever.
    m_notifier->setEnabled(false);
    if (!m_pending.trimmed().isEmpty() && !m_discarding)
        emit signal_answer(QJsonDocument(handleLine(m_pending)).toJson(QJsonDocument::Compact));
    m_pending.clear();
    qCDebug(lcSim) << "standard input closed";
    if (m_exitOnEof)
        emit signal_quit();
}

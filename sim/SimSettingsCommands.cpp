#include "SimSettingsCommands.h"

#include "SimNetwork.h"
#include "SimReply.h"

#include <QJsonDocument>

namespace {

using Replies = QVector<QJsonObject>;

/// Empty when the name may be kept, else the reason to refuse it.
QString nameProblem(const QString& name)
{
    if (name.trimmed().isEmpty())
        return QStringLiteral("empty name");
    if (name.toUtf8().size() > SimSettingsCommands::kMaxNameBytes)
        return QStringLiteral("name too long");
    return QString();
}

Replies setDevName(const SimRequest& req)
{
    const QString name = SimReply::text(req, "name");
    const QString problem = nameProblem(name);
    QJsonObject r = problem.isEmpty() ? SimReply::succ(req) : SimReply::fail(req, problem);
    if (problem.isEmpty())
        req.network.device(req.deviceIndex).editConfig().name = name;
    r.insert(QStringLiteral("name"), name);
    return {SimReply::withTags(req, r)};
}

SimHandler channelNameSetter(SimNameList list)
{
    return [list](const SimRequest& req) -> Replies {
        SimDevice& dev = req.network.device(req.deviceIndex);
        const QString name = SimReply::text(req, "name");
        const std::optional<int> id = SimCommandHandlers::readInt(req.message, "id");
        QString problem = nameProblem(name);
        if (!id || *id < 0 || *id >= dev.names(list).size())
            problem = QStringLiteral("id out of range");
        if (problem.isEmpty())
            dev.setName(list, *id, name);
        QJsonObject r = problem.isEmpty() ? SimReply::succ(req) : SimReply::fail(req, problem);
        return {SimReply::withTags(req, SimReply::echo(req, r, {"id", "name"}))};
    };
}

/// A whole-number setting: checked against [min, max] (and `allowed` when given), stored by `apply`, echoed.
SimHandler numberSetter(const char* key, int min, int max, std::function<void(SimDevice&, int)> apply,
                        std::function<QVector<int>(const SimDevice&)> allowed = {})
{
    return [key, min, max, apply, allowed](const SimRequest& req) -> Replies {
        SimDevice& dev = req.network.device(req.deviceIndex);
        const std::optional<int> v = SimReply::readIntIn(req.message, key, min, max);
        if (!v || (allowed && !allowed(dev).contains(*v)))
            return {
                SimReply::echo(req, SimReply::fail(req, QStringLiteral("invalid %1").arg(QLatin1String(key))), {key})};
        apply(dev, *v);
        return {SimReply::echo(req, SimReply::succ(req), {key})};
    };
}

Replies reboot(const SimRequest& req)
{
    req.network.startReboot(req.deviceIndex);
    return {SimReply::succ(req)};
}

/// "a.b.c.d/len" (the length may be missing: the stored one stays).
bool parseAddress(const QString& text, quint32* ip, int* prefix)
{
    const QStringList parts = text.trimmed().split(QLatin1Char('/'));
    if (parts.size() > 2)
        return false;
    const std::optional<quint32> a = SimDeviceConfig::parseIp(parts[0]);
    if (!a || (*a >> 24) == 0 || (*a >> 24) >= 224)
        return false;
    if (parts.size() == 2) {
        bool ok = false;
        const int len = parts[1].toInt(&ok, 10);
        if (!ok || len < 1 || len > 32)
            return false;
        *prefix = len;
    }
    *ip = *a;
    return true;
}

/// An optional dotted address: absent or empty keeps `current`; false for anything unreadable.
bool optionalAddress(const SimRequest& req, const char* key, quint32* current)
{
    const QString t = SimReply::text(req, key).trimmed();
    if (t.isEmpty())
        return true;
    const std::optional<quint32> a = SimDeviceConfig::parseIp(t);
    if (!a)
        return false;
    *current = *a;
    return true;
}

Replies setIp(const SimRequest& req)
{
    SimDevice& dev = req.network.device(req.deviceIndex);
    // The request is a broadcast: every other device hears it and keeps quiet.
    if (SimReply::text(req, "devId") != dev.devId())
        return {};
    const QString mode = SimReply::text(req, "fixedIp");
    const auto refuse = [&req](const char* reason) {
        return Replies{SimReply::echo(req, SimReply::fail(req, QLatin1String(reason)), {"fixedIp", "ip", "gw", "dns"})};
    };
    SimDeviceState& st = dev.state();
    if (mode == QLatin1String("0")) {
        st.fixedIp = 0;
    } else if (mode == QLatin1String("1")) {
        quint32 ip = 0;
        int prefix = st.prefixLength;
        quint32 gw = st.gateway;
        quint32 dns = st.dns;
        if (!parseAddress(SimReply::text(req, "ip"), &ip, &prefix))
            return refuse("bad ip");
        if (!optionalAddress(req, "gw", &gw))
            return refuse("bad gw");
        if (!optionalAddress(req, "dns", &dns))
            return refuse("bad dns");
        st.fixedIp = 1;
        st.ip = ip;
        st.prefixLength = prefix;
        st.gateway = gw;
        st.dns = dns;
        req.network.requestMove(req.deviceIndex, ip);
    } else {
        return refuse("bad fixedIp");
    }
    return {SimReply::echo(req, SimReply::succ(req), {"fixedIp", "ip", "gw", "dns"})};
}

QString cfgText(const QMap<QString, QString>& cfg)
{
    QStringList lines;
    for (auto it = cfg.constBegin(); it != cfg.constEnd(); ++it)
        lines.append(it.key() + QLatin1Char('=') + it.value());
    return lines.join(QLatin1Char('\n'));
}

Replies getCfg(const SimRequest& req)
{
    QJsonObject r = SimReply::succ(req);
    r.insert(QStringLiteral("cfg"), cfgText(req.network.device(req.deviceIndex).state().cfg));
    return {r};
}

Replies setCfg(const SimRequest& req)
{
    SimDeviceState& st = req.network.device(req.deviceIndex).state();
    QMap<QString, QString> given;
    for (QString line : SimReply::text(req, "cfg").split(QLatin1Char('\n'))) {
        line.remove(QLatin1Char('\r'));
        if (line.trimmed().isEmpty())
            continue;
        const int eq = line.indexOf(QLatin1Char('='));
        // One bad line refuses the whole text, so a half-applied configuration never exists.
        if (eq <= 0 || line.left(eq).trimmed().isEmpty() ||
            line.left(eq).trimmed().toUtf8().size() > SimSettingsCommands::kMaxCfgKeyBytes ||
            line.mid(eq + 1).trimmed().toUtf8().size() > SimSettingsCommands::kMaxCfgValueBytes)
            return {SimReply::fail(req, QStringLiteral("bad cfg"))};
        given.insert(line.left(eq).trimmed(), line.mid(eq + 1).trimmed());
    }
    if (given.isEmpty())
        return {SimReply::fail(req, QStringLiteral("bad cfg"))};
    QMap<QString, QString> merged = st.cfg;
    for (auto it = given.constBegin(); it != given.constEnd(); ++it)
        merged.insert(it.key(), it.value());
    QJsonObject r = SimReply::succ(req);
    r.insert(QStringLiteral("cfg"), cfgText(merged));
    // Each request may add keys; the text must still fit the one datagram "getCfg" answers with.
    if (QJsonDocument(r).toJson(QJsonDocument::Compact).size() > kSimMaxDatagramBytes)
        return {SimReply::fail(req, QStringLiteral("cfg too long"))};
    st.cfg = merged;
    return {r};
}

} // namespace

void SimSettingsCommands::addTo(SimCommandHandlers& h)
{
    // DSP windows rename channels through the DSP port with their tag.
    const SimServices names = SimServiceCommand | SimServiceDsp;
    h.add(QStringLiteral("setDevName"), setDevName, SimServiceCommand);
    h.add(QStringLiteral("setChNameRx"), channelNameSetter(SimNameList::Rx), names);
    h.add(QStringLiteral("setChNameTx"), channelNameSetter(SimNameList::Tx), names);
    h.add(QStringLiteral("setPhyChNameRx"), channelNameSetter(SimNameList::PhyRx), names);
    h.add(QStringLiteral("setPhyChNameTx"), channelNameSetter(SimNameList::PhyTx), names);

    // Sample rate and packet time wait for the next reboot.
    h.add(QStringLiteral("setSampleRate"),
          numberSetter(
              "val", 1, 384000, [](SimDevice& d, int v) { d.state().pendingSampleRate = v; },
              [](const SimDevice& d) { return d.config().sampleRates; }),
          SimServiceSettings);
    h.add(QStringLiteral("setPacketTimeDiv"),
          numberSetter(
              "val", 1, 64, [](SimDevice& d, int v) { d.state().pendingPacketTimeDiv = v; },
              [](const SimDevice& d) { return d.config().packetTimeDivs; }),
          SimServiceSettings);
    // Delay, sample depth and stream DSCP are taken on the command port and on 9995 alike.
    const SimServices audio = SimServiceCommand | SimServiceLock;
    h.add(QStringLiteral("setDelayUs"),
          numberSetter("us", 0, 10000000, [](SimDevice& d, int v) { d.editConfig().delayUs = v; }), audio);
    h.add(QStringLiteral("setSampleByteNum"),
          numberSetter("sampleByteNum", 2, 4, [](SimDevice& d, int v) { d.editConfig().sampleByteNum = v; }), audio);
    h.add(QStringLiteral("setDscp"), numberSetter("dscp", 0, 63, [](SimDevice& d, int v) { d.editConfig().dscp = v; }),
          audio);
    h.add(QStringLiteral("setPtpPriority"),
          numberSetter("val", 0, 255, [](SimDevice& d, int v) { d.editConfig().ptpPriority = v; }), SimServiceSettings);
    h.add(QStringLiteral("setPtpDomain"),
          numberSetter("val", 0, 127, [](SimDevice& d, int v) { d.editConfig().ptpDomain = v; }), SimServiceSettings);
    h.add(QStringLiteral("setPtpDscp"),
          numberSetter("val", 0, 63, [](SimDevice& d, int v) { d.editConfig().ptpDscp = v; }), SimServiceSettings);
    h.add(QStringLiteral("reboot"), reboot, SimServiceSettings);
    h.add(QStringLiteral("setIp"), setIp, SimServiceSettings);
    h.add(QStringLiteral("getCfg"), getCfg, SimServiceCfg);
    h.add(QStringLiteral("setCfg"), setCfg, SimServiceCfg);
}

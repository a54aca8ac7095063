#include "SimDeviceConfig.h"

#include "SimTypes.h"

#include <QHostAddress>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSet>

#include <cmath>

namespace {

// The controller keeps texts in 64-byte fields; longer ones would be cut there and no longer compare equal.
constexpr int kMaxTextBytes = 63;
constexpr int kMaxTableSize = 4096;

QString cutUtf8(const QString& text)
{
    QByteArray utf8 = text.toUtf8();
    if (utf8.size() <= kMaxTextBytes)
        return text;
    int n = kMaxTextBytes;
    // Step back over continuation bytes so no character is split.
    while (n > 0 && (static_cast<unsigned char>(utf8[n]) & 0xC0) == 0x80)
        --n;
    return QString::fromUtf8(utf8.left(n));
}

class Reader
{
public:
    Reader(const QJsonObject& obj, QString where, QString* error)
        : m_obj(obj), m_where(std::move(where)), m_error(error)
    {
    }

    bool failed() const { return m_failed; }

    void fail(const QString& msg)
    {
        if (!m_failed && m_error)
            *m_error = m_where + QStringLiteral(": ") + msg;
        m_failed = true;
    }

    void readInt(const char* key, int* out, int min, int max)
    {
        QJsonValue v = m_obj.value(QLatin1String(key));
        if (v.isUndefined())
            return;
        std::optional<int> n = toInt(v);
        if (!n)
            return fail(QStringLiteral("\"%1\" must be an integer").arg(QLatin1String(key)));
        if (*n < min || *n > max)
            return fail(QStringLiteral("\"%1\" must be from %2 to %3").arg(QLatin1String(key)).arg(min).arg(max));
        *out = *n;
    }

    void readText(const char* key, QString* out)
    {
        QJsonValue v = m_obj.value(QLatin1String(key));
        if (v.isUndefined())
            return;
        if (!v.isString())
            return fail(QStringLiteral("\"%1\" must be a string").arg(QLatin1String(key)));
        *out = cutUtf8(v.toString());
    }

    bool readIp(const char* key, quint32* out, bool required)
    {
        QJsonValue v = m_obj.value(QLatin1String(key));
        if (v.isUndefined()) {
            if (required)
                fail(QStringLiteral("\"%1\" is required").arg(QLatin1String(key)));
            return false;
        }
        std::optional<quint32> ip = v.isString() ? SimDeviceConfig::parseIp(v.toString()) : std::nullopt;
        if (!ip || *ip == 0) {
            fail(QStringLiteral("\"%1\" must be a dotted IPv4 address").arg(QLatin1String(key)));
            return false;
        }
        *out = *ip;
        return true;
    }

    QVector<int> readIntList(const QJsonValue& v, const char* key, int min, int max)
    {
        QVector<int> out;
        if (!v.isArray()) {
            fail(QStringLiteral("\"%1\" must be an array").arg(QLatin1String(key)));
            return out;
        }
        for (const QJsonValue& e : v.toArray()) {
            std::optional<int> n = toInt(e);
            if (!n || *n < min || *n > max) {
                fail(QStringLiteral("\"%1\" entries must be integers from %2 to %3")
                         .arg(QLatin1String(key))
                         .arg(min)
                         .arg(max));
                return {};
            }
            out.append(*n);
        }
        return out;
    }

    /// Names by id: at most `count` strings, each cut like any other text.
    void readNames(const char* key, QStringList* out, int count)
    {
        QJsonValue v = m_obj.value(QLatin1String(key));
        if (v.isUndefined())
            return;
        if (!v.isArray() || v.toArray().size() > count)
            return fail(
                QStringLiteral("\"%1\" must be an array of at most %2 names").arg(QLatin1String(key)).arg(count));
        QStringList names;
        for (const QJsonValue& e : v.toArray()) {
            if (!e.isString())
                return fail(QStringLiteral("\"%1\" entries must be strings").arg(QLatin1String(key)));
            names.append(cutUtf8(e.toString()));
        }
        *out = names;
    }

    void readMask(const char* key, quint32* out)
    {
        QJsonValue v = m_obj.value(QLatin1String(key));
        if (v.isUndefined())
            return;
        std::optional<quint32> mask;
        if (v.isString())
            mask = SimDeviceConfig::parseMask(v.toString());
        else if (v.isDouble() && v.toDouble() >= 0 && v.toDouble() <= 4294967295.0 &&
                 std::floor(v.toDouble()) == v.toDouble())
            mask = static_cast<quint32>(v.toDouble());
        if (!mask)
            return fail(QStringLiteral("\"%1\" must be a 32-bit mask").arg(QLatin1String(key)));
        *out = *mask;
    }

    void readTextMap(const char* key, QMap<QString, QString>* out)
    {
        QJsonValue v = m_obj.value(QLatin1String(key));
        if (v.isUndefined())
            return;
        if (!v.isObject())
            return fail(QStringLiteral("\"%1\" must be an object").arg(QLatin1String(key)));
        QMap<QString, QString> map;
        const QJsonObject o = v.toObject();
        for (auto it = o.begin(); it != o.end(); ++it) {
            if (!it.value().isString())
                return fail(QStringLiteral("\"%1\" values must be strings").arg(QLatin1String(key)));
            map.insert(it.key(), cutUtf8(it.value().toString()));
        }
        *out = map;
    }

    void readNumbers(const char* key, QVector<int>* out, int min, int max)
    {
        QJsonValue v = m_obj.value(QLatin1String(key));
        if (v.isUndefined())
            return;
        QVector<int> list = readIntList(v, key, min, max);
        if (!m_failed && list.isEmpty())
            fail(QStringLiteral("\"%1\" must not be empty").arg(QLatin1String(key)));
        if (!m_failed)
            *out = list;
    }

    static std::optional<int> toInt(const QJsonValue& v)
    {
        if (v.isDouble()) {
            double d = v.toDouble();
            if (std::floor(d) != d || d < -2147483648.0 || d > 2147483647.0)
                return std::nullopt;
            return static_cast<int>(d);
        }
        // Decimal text is accepted too: it is how the same values travel on the wire.
        if (v.isString()) {
            bool ok = false;
            int n = v.toString().toInt(&ok, 10);
            if (ok)
                return n;
        }
        return std::nullopt;
    }

private:
    QJsonObject m_obj;
    QString m_where;
    QString* m_error;
    bool m_failed = false;
};

bool isMulticast(quint32 ip)
{
    return (ip >> 28) == 0xE;
}

bool hasDuplicates(const QVector<int>& v)
{
    return QSet<int>(v.begin(), v.end()).size() != v.size();
}

} // namespace

bool SimDeviceConfig::hasDsp() const
{
    return model == QLatin1String("MRD-P64") || model == QLatin1String("MRD-M8") || model == QLatin1String("MRD-M16");
}

QString SimDeviceConfig::ipText(quint32 ip)
{
    return QStringLiteral("%1.%2.%3.%4").arg(ip >> 24).arg((ip >> 16) & 0xFF).arg((ip >> 8) & 0xFF).arg(ip & 0xFF);
}

std::optional<quint32> SimDeviceConfig::parseIp(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() != 4)
        return std::nullopt;
    quint32 ip = 0;
    for (const QString& p : parts) {
        bool ok = false;
        if (p.isEmpty() || p.size() > 3)
            return std::nullopt;
        uint n = p.toUInt(&ok, 10);
        if (!ok || n > 255)
            return std::nullopt;
        ip = (ip << 8) | n;
    }
    return ip;
}

QString SimDeviceConfig::devIdForIp(quint32 ip)
{
    return QStringLiteral("MD%1").arg(ip, 8, 16, QLatin1Char('0')).toUpper();
}

bool SimDeviceConfig::hasSecondaryFamily(const QString& devId)
{
    return devId.startsWith(QLatin1String("MRP-")) || devId.startsWith(QLatin1String("MRQ-"));
}

QString SimDeviceConfig::maskText(quint32 mask)
{
    return QStringLiteral("0x") + QString::number(mask, 16);
}

std::optional<quint32> SimDeviceConfig::parseMask(const QString& text)
{
    bool ok = false;
    const QString t = text.trimmed();
    qulonglong v = 0;
    if (t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        v = t.mid(2).toULongLong(&ok, 16);
    else
        v = t.toULongLong(&ok, 10);
    if (!ok || v > 0xFFFFFFFFull)
        return std::nullopt;
    return static_cast<quint32>(v);
}

QString SimDeviceConfig::clockIdForIp(quint32 ip)
{
    auto hex = [](quint32 b) { return QStringLiteral("%1").arg(b & 0xFF, 2, 16, QLatin1Char('0')).toUpper(); };
    return QStringLiteral("00-1D-C1-FF-FE-%1-%2-%3").arg(hex(ip >> 16), hex(ip >> 8), hex(ip));
}

bool SimDeviceConfig::isClockId(const QString& text)
{
    if (text.size() != 23)
        return false;
    for (int i = 0; i < text.size(); ++i) {
        QChar c = text[i];
        if (i % 3 == 2) {
            if (c != QLatin1Char('-'))
                return false;
        } else if (!c.isDigit() && !(c.toUpper() >= QLatin1Char('A') && c.toUpper() <= QLatin1Char('F'))) {
            return false;
        }
    }
    return true;
}

std::optional<SimDeviceConfig> SimDeviceConfig::fromJson(const QJsonObject& obj, int index, QString* error)
{
    SimDeviceConfig c;
    Reader r(obj, QStringLiteral("device %1").arg(index + 1), error);
    r.readIp("ip", &c.ip, true);
    if (r.failed())
        return std::nullopt;
    if (isMulticast(c.ip) || c.ip == 0xFFFFFFFFu) {
        r.fail(QStringLiteral("\"ip\" must be a unicast address"));
        return std::nullopt;
    }
    c.name = QStringLiteral("SIM-%1").arg(index + 1, 2, 10, QLatin1Char('0'));
    c.devId = devIdForIp(c.ip);
    c.myClkId = clockIdForIp(c.ip);
    r.readText("name", &c.name);
    r.readText("devId", &c.devId);
    r.readText("model", &c.model);
    r.readText("myClkId", &c.myClkId);
    int port = 0;
    r.readInt("port", &port, 0, 65535);
    c.port = static_cast<quint16>(port);
    r.readInt("chNumRx", &c.chNumRx, 0, kMaxTableSize);
    r.readInt("chNumTx", &c.chNumTx, 0, kMaxTableSize);
    r.readInt("phyChNumRx", &c.phyChNumRx, 0, kMaxTableSize);
    r.readInt("phyChNumTx", &c.phyChNumTx, 0, kMaxTableSize);
    r.readInt("ucastNumRx", &c.ucastNumRx, 0, kMaxTableSize);
    r.readInt("ucastNumTx", &c.ucastNumTx, 0, kMaxTableSize);
    r.readInt("mcastNumRx", &c.mcastNumRx, 0, kMaxTableSize);
    r.readInt("mcastNumTx", &c.mcastNumTx, 0, kMaxTableSize);
    r.readInt("sampleRate", &c.sampleRate, 1000, 384000);
    r.readInt("sampleByteNum", &c.sampleByteNum, 1, 4);
    r.readInt("pFrameNum", &c.pFrameNum, 1, 4096);
    r.readInt("dscp", &c.dscp, 0, 63);
    r.readInt("delayUs", &c.delayUs, 0, 10000000);
    r.readInt("canWork", &c.canWork, 0, 1);
    if (r.failed())
        return std::nullopt;
    r.readNames("rxChNames", &c.rxChNames, c.chNumRx);
    r.readNames("txChNames", &c.txChNames, c.chNumTx);
    r.readNames("phyRxChNames", &c.phyRxChNames, c.phyChNumRx);
    r.readNames("phyTxChNames", &c.phyTxChNames, c.phyChNumTx);
    const QJsonValue password = obj.value(QLatin1String("password"));
    if (!password.isUndefined()) {
        // Cutting a password would lock the user out, so a bad one is refused instead (never echoed).
        const QString text = password.toString();
        if (!password.isString() || text.toUtf8().size() > kMaxTextBytes || text.contains(QLatin1Char(' ')))
            r.fail(QStringLiteral("\"password\" must be text of at most %1 bytes without blanks").arg(kMaxTextBytes));
        else
            c.password = text;
    }
    r.readMask("lock", &c.lock);
    r.readMask("dspLock", &c.dspLock);
    r.readText("version", &c.version);
    r.readText("oemCode", &c.oemCode);
    r.readTextMap("oemData", &c.oemData);
    r.readText("customStr", &c.customStr);
    r.readText("dspVersion", &c.dspVersion);
    r.readInt("temp", &c.temp, -55000, 200000);
    r.readInt("tempJitter", &c.tempJitter, 0, 10000);
    r.readInt("uptime", &c.uptime, 0, 315360000);
    r.readInt("fixedIp", &c.fixedIp, 0, 1);
    r.readIp("gateway", &c.gateway, false);
    r.readIp("dns", &c.dns, false);
    r.readIp("secondaryIp", &c.secondaryIp, false);
    r.readInt("ptpPriority", &c.ptpPriority, 0, 255);
    r.readInt("ptpDomain", &c.ptpDomain, 0, 127);
    r.readInt("ptpDscp", &c.ptpDscp, 0, 63);
    r.readNumbers("sampleRates", &c.sampleRates, 1000, 384000);
    r.readNumbers("packetTimeDivs", &c.packetTimeDivs, 1, 64);
    if (r.failed())
        return std::nullopt;
    const QJsonValue silent = obj.value(QLatin1String("silentPhyRx"));
    if (!silent.isUndefined())
        c.silentPhyRx = r.readIntList(silent, "silentPhyRx", 0, c.phyChNumRx - 1);
    if (r.failed())
        return std::nullopt;
    if (c.secondaryIp != 0 && (isMulticast(c.secondaryIp) || c.secondaryIp == 0xFFFFFFFFu || c.secondaryIp == c.ip))
        r.fail(QStringLiteral("\"secondaryIp\" must be a unicast address other than \"ip\""));
    if (c.devId.isEmpty())
        r.fail(QStringLiteral("\"devId\" must not be empty"));
    else if (!isClockId(c.myClkId))
        r.fail(QStringLiteral("\"myClkId\" must look like 00-1D-C1-FF-FE-12-34-56"));

    const QJsonValue routes = obj.value(QLatin1String("routes"));
    if (!routes.isUndefined() && !routes.isArray())
        r.fail(QStringLiteral("\"routes\" must be an array"));
    for (const QJsonValue& v : routes.toArray()) {
        if (r.failed())
            break;
        Reader rr(v.toObject(), QStringLiteral("device %1 route").arg(index + 1), error);
        SimRouteConfig route;
        route.rxCh = -1;
        route.srcCh = -1;
        rr.readInt("rxCh", &route.rxCh, 0, c.chNumRx - 1);
        rr.readText("srcDevId", &route.srcDevId);
        rr.readInt("srcCh", &route.srcCh, 0, kMaxTableSize - 1);
        if (!rr.failed() && (route.rxCh < 0 || route.srcCh < 0 || route.srcDevId.isEmpty()))
            rr.fail(QStringLiteral("needs \"rxCh\", \"srcDevId\" and \"srcCh\""));
        if (rr.failed())
            return std::nullopt;
        c.routes.append(route);
    }

    const QJsonValue mtx = obj.value(QLatin1String("mcastTx"));
    if (!mtx.isUndefined() && !mtx.isArray())
        r.fail(QStringLiteral("\"mcastTx\" must be an array"));
    if (mtx.toArray().size() > c.mcastNumTx)
        r.fail(QStringLiteral("more \"mcastTx\" streams than mcastNumTx"));
    for (const QJsonValue& v : mtx.toArray()) {
        if (r.failed())
            break;
        Reader sr(v.toObject(), QStringLiteral("device %1 mcastTx").arg(index + 1), error);
        SimMcastTxConfig s;
        s.name = QStringLiteral("%1 stream %2").arg(c.name).arg(c.mcastTx.size() + 1);
        sr.readText("name", &s.name);
        sr.readIp("dstIp", &s.dstIp, true);
        int dstPort = 5004;
        sr.readInt("dstPort", &dstPort, 1, 65535);
        s.dstPort = static_cast<quint16>(dstPort);
        s.channels = sr.readIntList(v.toObject().value(QLatin1String("channels")), "channels", 0, c.chNumTx - 1);
        if (!sr.failed() && !isMulticast(s.dstIp))
            sr.fail(QStringLiteral("\"dstIp\" must be a multicast group"));
        if (!sr.failed() && (s.channels.isEmpty() || s.channels.size() > kSimStreamSlots))
            sr.fail(QStringLiteral("\"channels\" must hold 1 to %1 channels").arg(kSimStreamSlots));
        if (sr.failed())
            return std::nullopt;
        c.mcastTx.append(s);
    }

    const QJsonValue mrx = obj.value(QLatin1String("mcastRx"));
    if (!mrx.isUndefined() && !mrx.isArray())
        r.fail(QStringLiteral("\"mcastRx\" must be an array"));
    if (mrx.toArray().size() > c.mcastNumRx)
        r.fail(QStringLiteral("more \"mcastRx\" streams than mcastNumRx"));
    for (const QJsonValue& v : mrx.toArray()) {
        if (r.failed())
            break;
        Reader sr(v.toObject(), QStringLiteral("device %1 mcastRx").arg(index + 1), error);
        SimMcastRxConfig s;
        sr.readIp("dstIp", &s.dstIp, true);
        s.rxChannels = sr.readIntList(v.toObject().value(QLatin1String("rxChannels")), "rxChannels", 0, c.chNumRx - 1);
        if (!sr.failed() && !isMulticast(s.dstIp))
            sr.fail(QStringLiteral("\"dstIp\" must be a multicast group"));
        if (!sr.failed() && (s.rxChannels.isEmpty() || s.rxChannels.size() > kSimStreamSlots))
            sr.fail(QStringLiteral("\"rxChannels\" must hold 1 to %1 channels").arg(kSimStreamSlots));
        if (!sr.failed() && hasDuplicates(s.rxChannels))
            sr.fail(QStringLiteral("\"rxChannels\" names a channel twice"));
        if (sr.failed())
            return std::nullopt;
        c.mcastRx.append(s);
    }
    if (r.failed())
        return std::nullopt;
    return c;
}

QJsonObject SimDeviceConfig::toJson() const
{
    QJsonObject o;
    o.insert(QStringLiteral("name"), name);
    o.insert(QStringLiteral("devId"), devId);
    o.insert(QStringLiteral("model"), model);
    o.insert(QStringLiteral("ip"), ipText(ip));
    if (port != 0)
        o.insert(QStringLiteral("port"), port);
    o.insert(QStringLiteral("chNumRx"), chNumRx);
    o.insert(QStringLiteral("chNumTx"), chNumTx);
    o.insert(QStringLiteral("phyChNumRx"), phyChNumRx);
    o.insert(QStringLiteral("phyChNumTx"), phyChNumTx);
    o.insert(QStringLiteral("ucastNumRx"), ucastNumRx);
    o.insert(QStringLiteral("ucastNumTx"), ucastNumTx);
    o.insert(QStringLiteral("mcastNumRx"), mcastNumRx);
    o.insert(QStringLiteral("mcastNumTx"), mcastNumTx);
    o.insert(QStringLiteral("sampleRate"), sampleRate);
    o.insert(QStringLiteral("sampleByteNum"), sampleByteNum);
    o.insert(QStringLiteral("pFrameNum"), pFrameNum);
    o.insert(QStringLiteral("dscp"), dscp);
    o.insert(QStringLiteral("delayUs"), delayUs);
    o.insert(QStringLiteral("canWork"), canWork);
    o.insert(QStringLiteral("myClkId"), myClkId);
    QJsonArray r;
    for (const SimRouteConfig& route : routes)
        r.append(QJsonObject{{QStringLiteral("rxCh"), route.rxCh},
                             {QStringLiteral("srcDevId"), route.srcDevId},
                             {QStringLiteral("srcCh"), route.srcCh}});
    o.insert(QStringLiteral("routes"), r);
    QJsonArray tx;
    for (const SimMcastTxConfig& s : mcastTx) {
        QJsonArray ch;
        for (int c : s.channels)
            ch.append(c);
        tx.append(QJsonObject{{QStringLiteral("name"), s.name},
                              {QStringLiteral("dstIp"), ipText(s.dstIp)},
                              {QStringLiteral("dstPort"), s.dstPort},
                              {QStringLiteral("channels"), ch}});
    }
    o.insert(QStringLiteral("mcastTx"), tx);
    QJsonArray rx;
    for (const SimMcastRxConfig& s : mcastRx) {
        QJsonArray ch;
        for (int c : s.rxChannels)
            ch.append(c);
        rx.append(QJsonObject{{QStringLiteral("dstIp"), ipText(s.dstIp)}, {QStringLiteral("rxChannels"), ch}});
    }
    o.insert(QStringLiteral("mcastRx"), rx);

    const SimDeviceConfig defaults;
    auto names = [&o](const char* key, const QStringList& list) {
        if (!list.isEmpty())
            o.insert(QLatin1String(key), QJsonArray::fromStringList(list));
    };
    auto numbers = [](const QVector<int>& v) {
        QJsonArray a;
        for (int n : v)
            a.append(n);
        return a;
    };
    names("rxChNames", rxChNames);
    names("txChNames", txChNames);
    names("phyRxChNames", phyRxChNames);
    names("phyTxChNames", phyTxChNames);
    if (!password.isEmpty())
        o.insert(QStringLiteral("password"), password);
    if (lock != 0)
        o.insert(QStringLiteral("lock"), maskText(lock));
    if (dspLock != 0)
        o.insert(QStringLiteral("dspLock"), maskText(dspLock));
    if (version != defaults.version)
        o.insert(QStringLiteral("version"), version);
    if (oemCode != defaults.oemCode)
        o.insert(QStringLiteral("oemCode"), oemCode);
    if (oemData != defaults.oemData) {
        QJsonObject od;
        for (auto it = oemData.begin(); it != oemData.end(); ++it)
            od.insert(it.key(), it.value());
        o.insert(QStringLiteral("oemData"), od);
    }
    if (!customStr.isEmpty())
        o.insert(QStringLiteral("customStr"), customStr);
    if (dspVersion != defaults.dspVersion)
        o.insert(QStringLiteral("dspVersion"), dspVersion);
    if (temp != defaults.temp)
        o.insert(QStringLiteral("temp"), temp);
    if (tempJitter != defaults.tempJitter)
        o.insert(QStringLiteral("tempJitter"), tempJitter);
    if (uptime != 0)
        o.insert(QStringLiteral("uptime"), uptime);
    if (fixedIp != 0)
        o.insert(QStringLiteral("fixedIp"), fixedIp);
    if (gateway != 0)
        o.insert(QStringLiteral("gateway"), ipText(gateway));
    if (dns != 0)
        o.insert(QStringLiteral("dns"), ipText(dns));
    if (secondaryIp != 0)
        o.insert(QStringLiteral("secondaryIp"), ipText(secondaryIp));
    if (ptpPriority != defaults.ptpPriority)
        o.insert(QStringLiteral("ptpPriority"), ptpPriority);
    if (ptpDomain != defaults.ptpDomain)
        o.insert(QStringLiteral("ptpDomain"), ptpDomain);
    if (ptpDscp != defaults.ptpDscp)
        o.insert(QStringLiteral("ptpDscp"), ptpDscp);
    if (sampleRates != defaults.sampleRates)
        o.insert(QStringLiteral("sampleRates"), numbers(sampleRates));
    if (packetTimeDivs != defaults.packetTimeDivs)
        o.insert(QStringLiteral("packetTimeDivs"), numbers(packetTimeDivs));
    if (!silentPhyRx.isEmpty())
        o.insert(QStringLiteral("silentPhyRx"), numbers(silentPhyRx));
    return o;
}

std::optional<QVector<SimDeviceConfig>> SimDeviceConfig::listFromJson(const QByteArray& json, QString* error)
{
    QJsonParseError pe;
    QJsonDocument doc = QJsonDocument::fromJson(json, &pe);
    if (pe.error != QJsonParseError::NoError || !doc.isObject()) {
        if (error)
            *error = QStringLiteral("not a JSON object: %1").arg(pe.errorString());
        return std::nullopt;
    }
    QJsonValue devices = doc.object().value(QLatin1String("devices"));
    if (!devices.isArray()) {
        if (error)
            *error = QStringLiteral("\"devices\" must be an array");
        return std::nullopt;
    }
    QVector<SimDeviceConfig> out;
    QSet<quint32> ips;
    QSet<QString> ids;
    const QJsonArray arr = devices.toArray();
    for (int i = 0; i < arr.size(); ++i) {
        if (!arr[i].isObject()) {
            if (error)
                *error = QStringLiteral("device %1: must be an object").arg(i + 1);
            return std::nullopt;
        }
        std::optional<SimDeviceConfig> c = fromJson(arr[i].toObject(), i, error);
        if (!c)
            return std::nullopt;
        // A secondary unit has an address of its own: it may not share one with any device or unit.
        if (ips.contains(c->ip) || ids.contains(c->devId) || (c->secondaryIp != 0 && ips.contains(c->secondaryIp))) {
            if (error)
                *error = QStringLiteral("device %1: address or devId used twice").arg(i + 1);
            return std::nullopt;
        }
        ips.insert(c->ip);
        if (c->secondaryIp != 0)
            ips.insert(c->secondaryIp);
        ids.insert(c->devId);
        out.append(*c);
    }
    return out;
}

QByteArray SimDeviceConfig::listToJson(const QVector<SimDeviceConfig>& devices)
{
    QJsonArray arr;
    for (const SimDeviceConfig& d : devices)
        arr.append(d.toJson());
    return QJsonDocument(QJsonObject{{QStringLiteral("devices"), arr}}).toJson(QJsonDocument::Indented);
}

bool SimDeviceConfig::isHostAddress(quint32 ip)
{
    const quint32 last = ip & 0xFFu;
    return last != 0 && last != 0xFFu;
}

QVector<quint32> SimDeviceConfig::hostAddresses(quint32 first, int count)
{
    QVector<quint32> out;
    for (quint64 a = first; out.size() < count; ++a) {
        if (a >= 0xFFFFFFFFull)
            return {};
        if (isHostAddress(quint32(a)))
            out.append(quint32(a));
    }
    return out;
}

QVector<SimDeviceConfig> SimDeviceConfig::generate(const QVector<quint32>& ips)
{
    struct Model
    {
        const char* name;
        int ch;
        int phy;
    };
    // Different sizes on purpose: 64 channels need several pages, 8 fit in one.
    static const Model models[] = {{"MRD-A16", 16, 16}, {"MRD-D8", 8, 8}, {"MRD-P64", 64, 0}};
    QVector<SimDeviceConfig> out;
    for (int i = 0; i < ips.size(); ++i) {
        SimDeviceConfig c;
        const Model& m = models[i % 3];
        c.ip = ips[i];
        c.name = QStringLiteral("SIM-%1").arg(i + 1, 2, 10, QLatin1Char('0'));
        c.devId = devIdForIp(c.ip);
        c.myClkId = clockIdForIp(c.ip);
        c.model = QLatin1String(m.name);
        c.chNumRx = c.chNumTx = m.ch;
        c.phyChNumRx = c.phyChNumTx = m.phy;
        if (i > 0) {
            const QString prev = devIdForIp(ips[i - 1]);
            c.routes = {{0, prev, 0}, {1, prev, 1}};
        }
        if (i == 0)
            c.mcastTx.append({QStringLiteral("SIM-01 stream 1"), 0xEF450001u /* 239.69.0.1 */, 5004, {0, 1}});
        if (i == 1)
            c.mcastRx.append({0xEF450001u, {2, 3}});
        out.append(c);
    }
    if (out.size() >= 5) {
        // One amplifier, away from the ends of the chain so the multicast pair and the last device stay as
        // they were; it still sends and receives two channels of the chain.
        SimDeviceConfig& amp = out[3];
        amp.model = QStringLiteral("MRA-4");
        amp.chNumRx = amp.chNumTx = 4;
        amp.phyChNumRx = 0;
        amp.phyChNumTx = 4;
    }
    if (out.isEmpty())
        return out;
    // One device of a family with a secondary unit, so the probe has something to find; the others keep
    // the identities they always had. The unit takes the first address after it that no device uses.
    SimDeviceConfig& last = out.last();
    last.devId = QStringLiteral("MRP-%1").arg(last.ip, 8, 16, QLatin1Char('0')).toUpper();
    for (quint32 a = last.ip + 1; a != 0 && a != 0xFFFFFFFFu; ++a)
        if (isHostAddress(a) && !ips.contains(a)) {
            last.secondaryIp = a;
            break;
        }
    return out;
}

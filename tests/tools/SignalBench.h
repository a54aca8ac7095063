#pragma once
#include "ServiceLink.h"
#include "TestDevice.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMutex>
#include <QSet>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <limits>

/// A test bench behind the service link: a source with a -20 dBFS generator on its analog inputs and a device
/// under test with its outputs cabled back to its inputs, computing the levels each meter reads from the routes
/// made through it. Faults, silence and refusals are switched per test.
class SignalBench : public ServiceLink
{
public:
    static constexpr uint32_t kSourceIp = 0x0A000001;
    static constexpr uint32_t kDutIp = 0x0A000002;
    static constexpr quint16 kPort = 9990;
    static constexpr int kChannels = 32;
    static constexpr double kGeneratorDb = -20.0;

    int analogReturnDelay = 143; ///< samples: return through the device's outputs and inputs
    QHash<int, int> extraDelay;  ///< DUT output (0-based) -> samples more on that channel's way
    QHash<int, QString> faults;  ///< DUT output (0-based) -> "silent" | "low" (6 dB) | "low3" (3 dB)
    bool dutSilent = false;      ///< the device under test answers nothing
    bool refuseRoutes = false;
    bool sourceHasStage = true;
    QHash<int, int> strayRoutes; ///< DUT rx -> source tx, made again after every clear (a stuck route)
    QStringList log;             ///< "ip ops" of every request
    int pageSize = 8;            ///< levels per answer
    bool dutAmplifier = false;   ///< the DUT has no physical inputs; its transmit channels carry its network inputs
    bool ampModule2Silent = false;
    bool ampPowerOff = false;

    static TestDevice device(const QString& id, uint32_t ip)
    {
        TestDevice d;
        d.listed = true;
        d.active = true;
        d.devId = id;
        d.name = id;
        d.ip = ip;
        d.port = kPort;
        d.phyInputs = d.phyOutputs = d.netInputs = d.netOutputs = kChannels;
        return d;
    }

    WaitedUdpRequest::Result request(const QByteArray& text, const QHostAddress& address, quint16 port) override
    {
        QMutexLocker lock(&m_mutex);
        const QJsonObject q = QJsonDocument::fromJson(text).object();
        const QString ops = q.value("ops").toString();
        const uint32_t ip = address.toIPv4Address();
        log.append(QStringLiteral("%1 %2").arg(ip == kSourceIp ? "S" : "D", ops));
        const bool isSource = ip == kSourceIp;
        if ((!isSource && dutSilent) || (ip != kSourceIp && ip != kDutIp))
            return {WaitedUdpRequest::Outcome::NoReturn, QStringLiteral("No Return With 2000ms")};
        QJsonObject a{{"ops", ops}, {"devId", isSource ? "S" : "D"}, {"result", "succ"}};
        if (port == 12001 || port == 12002) {
            if (isSource || !dutAmplifier || (port == 12002 && ampModule2Silent))
                return {WaitedUdpRequest::Outcome::NoReturn, QStringLiteral("No Return With 2000ms")};
            if (ops == "getInfo") {
                a["model"] = "MRA-4";
                a["version"] = "3.1.9";
            } else {
                a["chNum"] = "4";
                a["powerOn"] = ampPowerOff ? "0" : "1";
                a["powerGainArr"] = QJsonArray{"20", "20", "20", "20"};
            }
        } else if (port != kPort) {
            return {WaitedUdpRequest::Outcome::NoReturn, QStringLiteral("No Return With 2000ms")};
        } else if (ops == "setBorderProc") {
            if (!isSource || !sourceHasStage || q.value("portIndex").toString() != "0") {
                a["result"] = "fail";
                a["reason"] = "out of range";
            } else {
                m_stage = q.value("delayNum").toString().toInt();
            }
        } else if (ops == "setUcastRx") {
            if (refuseRoutes) {
                a["result"] = "fail";
                a["reason"] = "no free sdpId";
            } else {
                routes(isSource)[q.value("dstChId").toString().toInt()] = q.value("srcChId").toString().toInt();
            }
        } else if (ops == "clrRxCh") {
            const int rx = q.value("dstChId").toString().toInt();
            routes(isSource).remove(rx);
            if (!isSource && strayRoutes.contains(rx))
                m_dutRoutes[rx] = strayRoutes.value(rx);
        } else if (ops.startsWith("getAll")) {
            const int start = q.value("idStart").toString().toInt();
            QJsonArray arr;
            for (int i = start; i < std::min(kChannels, start + pageSize); ++i)
                arr.append(text1(level(isSource, ops, i)));
            a["idStart"] = QString::number(start);
            a["idNext"] = QString::number(start + arr.size());
            a["arr"] = arr;
        } else {
            return {WaitedUdpRequest::Outcome::NoReturn, QStringLiteral("No Return With 2000ms")};
        }
        return {WaitedUdpRequest::Outcome::Reply, QString::fromUtf8(QJsonDocument(a).toJson(QJsonDocument::Compact))};
    }

    int stage() const { return m_stage; }
    QHash<int, int> dutRoutes() const { return m_dutRoutes; }
    QHash<int, int> sourceRoutes() const { return m_sourceRoutes; }

private:
    static constexpr double kSilent = -std::numeric_limits<double>::infinity();

    QHash<int, int>& routes(bool source) { return source ? m_sourceRoutes : m_dutRoutes; }
    static QString text1(double db) { return std::isfinite(db) ? QString::number(db, 'f', 1) : QStringLiteral("-inf"); }

    double sourceTx(int tx) const { return tx < kChannels ? kGeneratorDb : kSilent; }
    double dutNetRx(int c) const { return m_dutRoutes.contains(c) ? sourceTx(m_dutRoutes.value(c)) : kSilent; }
    double dutPhyTx(int c) const
    {
        const double db = dutNetRx(c);
        const QString f = faults.value(c);
        return f == "silent" ? kSilent : f == "low" ? db - 6.0 : f == "low3" ? db - 3.0 : db;
    }
    double dutNetTx(int tx) const
    {
        if (dutAmplifier)
            return dutNetRx(tx);
        return tx < kChannels ? dutPhyTx(tx) : dutNetRx(tx - kChannels);
    }
    double sourcePhyTx(int c) const
    {
        if (c != 0 || !m_sourceRoutes.contains(0))
            return kSilent;
        const int tx = m_sourceRoutes.value(0);
        const double ret = dutNetTx(tx);
        if (!std::isfinite(ret))
            return kGeneratorDb; // only the inverted copy
        const double a = std::pow(10.0, ret / 20.0), b = std::pow(10.0, kGeneratorDb / 20.0);
        const int delay = analogReturnDelay + extraDelay.value(tx);
        const double frac = std::min(1.0, std::abs(delay - m_stage) / 16.0);
        const double res = std::sqrt((a - b) * (a - b) + 2 * a * b * frac);
        return res <= 0 ? -96.0 : std::max(-96.0, 20.0 * std::log10(res));
    }
    double level(bool source, const QString& ops, int i) const
    {
        if (source) {
            if (ops == "getAllPhyVolumeDbRx")
                return kGeneratorDb;
            if (ops == "getAllVolumeDbTx")
                return sourceTx(i);
            if (ops == "getAllPhyVolumeDbTx")
                return sourcePhyTx(i);
            return m_sourceRoutes.contains(i) ? dutNetTx(m_sourceRoutes.value(i)) : kSilent;
        }
        if (ops == "getAllVolumeDbRx")
            return dutNetRx(i);
        if (ops == "getAllPhyVolumeDbTx" || ops == "getAllPhyVolumeDbRx")
            return dutPhyTx(i); // outputs cabled to inputs
        return dutNetTx(i);
    }

    QMutex m_mutex;
    QHash<int, int> m_dutRoutes;
    QHash<int, int> m_sourceRoutes;
    int m_stage = 4800;
};

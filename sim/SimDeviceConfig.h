#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVector>

#include <optional>

/// A unicast route of the description: receive channel rxCh takes channel srcCh of device srcDevId.
struct SimRouteConfig
{
    int rxCh = 0;
    QString srcDevId;
    int srcCh = 0;
};

/// A multicast stream the device sends (and announces by SAP).
struct SimMcastTxConfig
{
    QString name;
    quint32 dstIp = 0;
    quint16 dstPort = 5004;
    QVector<int> channels;
};

/// A multicast stream the device receives: stream channel k feeds rxChannels[k].
struct SimMcastRxConfig
{
    quint32 dstIp = 0;
    QVector<int> rxChannels;
};

/// Description of one simulated device as kept in the simulator's own JSON file (numbers as JSON numbers).
class SimDeviceConfig
{
public:
    QString name;
    QString devId;
    QString model = QStringLiteral("MRD-A16");
    quint32 ip = 0;
    /// Command port; 0 means the simulator-wide default.
    quint16 port = 0;
    int chNumRx = 16;
    int chNumTx = 16;
    int phyChNumRx = 16;
    int phyChNumTx = 16;
    int ucastNumRx = 8;
    int ucastNumTx = 8;
    int mcastNumRx = 8;
    int mcastNumTx = 4;
    int sampleRate = 48000;
    int sampleByteNum = 3;
    int pFrameNum = 48;
    int dscp = 34;
    int delayUs = 1000;
    int canWork = 1;
    QString myClkId;
    QVector<SimRouteConfig> routes;
    QVector<SimMcastTxConfig> mcastTx;
    QVector<SimMcastRxConfig> mcastRx;

    // What the device reports about itself on its service ports. Written by toJson() only when set or
    // different from the default, so generated descriptions stay short.
    /// Channel names by id; missing entries get "NetIn<n>", "NetOut<n>", "AnalogIn<n>", "AnalogOut<n>".
    QStringList rxChNames;
    QStringList txChNames;
    QStringList phyRxChNames;
    QStringList phyTxChNames;
    /// Empty means no password: any "setLock" is accepted and "setPassword" expects an empty "old".
    QString password;
    quint32 lock = 0;
    quint32 dspLock = 0;
    QString version = QStringLiteral("1.8.2-20260918");
    QString oemCode = QStringLiteral("000001");
    /// Answers of "getOemData" by requested "name".
    QMap<QString, QString> oemData{{QStringLiteral("customOemType"), QStringLiteral("standard")}};
    QString customStr;
    /// Firmware of the signal processor ("version" of the DSP port's "getVersion"); from "3.1.1" on the
    /// matrix carries its gains ("gainArr").
    QString dspVersion = QStringLiteral("3.2.0");
    /// Millidegrees Celsius; each answer varies by up to tempJitter either way.
    int temp = 45000;
    int tempJitter = 300;
    /// Seconds already up when the simulator starts.
    int uptime = 0;
    int fixedIp = 0;
    /// 0 means the .1 address of the device's /24 (gateway) and the gateway (dns).
    quint32 gateway = 0;
    quint32 dns = 0;
    /// Address of the secondary network unit ("MRP-"/"MRQ-" devices answer the probe with it); 0 for none.
    quint32 secondaryIp = 0;
    int ptpPriority = 128;
    int ptpDomain = 0;
    int ptpDscp = 46;
    QVector<int> sampleRates{44100, 48000, 96000};
    QVector<int> packetTimeDivs{1, 2, 4, 8};
    /// Physical inputs (ids) whose level is silence.
    QVector<int> silentPhyRx;

    /// The amplifier model: its physical outputs are amplifier channels with gain steps and power.
    bool isAmplifier() const { return model == QLatin1String("MRA-4"); }
    /// Models with a signal processor: they answer the batch meters on the DSP port.
    bool hasDsp() const;

    /// Reads one device; absent members keep their defaults ("ip" is required, devId, name and
    /// myClkId are derived when absent). `index` (0-based) names the default "SIM-NN". Returns nullopt and
    /// sets `error` when a member has the wrong type or an impossible value.
    static std::optional<SimDeviceConfig> fromJson(const QJsonObject& obj, int index, QString* error);
    QJsonObject toJson() const;

    /// Reads a whole file {"devices":[...]}; also checks that addresses and devIds are unique.
    static std::optional<QVector<SimDeviceConfig>> listFromJson(const QByteArray& json, QString* error);
    static QByteArray listToJson(const QVector<SimDeviceConfig>& devices);

    /// Default network: one device per address, rotating models, a unicast route chain (device k takes
    /// channels 1-2 of device k-1), device 1 sending one multicast stream and device 2 receiving it.
    /// The last device belongs to the "MRP-" family ("MRP-" and the address in hex) and has a secondary
    /// unit on the next host address after it that no device uses. In networks of five devices or more the fourth
    /// is an amplifier ("MRA-4", four channels).
    static QVector<SimDeviceConfig> generate(const QVector<quint32>& ips);
    /// count addresses from first upwards, passing over those ending in .0 or .255 (network and broadcast
    /// addresses of a /24, which some hosts refuse as unicast); empty when they would run past 255.255.255.254.
    static QVector<quint32> hostAddresses(quint32 first, int count);
    /// An address whose last byte is neither 0 nor 255.
    static bool isHostAddress(quint32 ip);

    /// "MD" and the four address bytes in hex: stable across runs for the same address.
    static QString devIdForIp(quint32 ip);
    /// Devices of this family have a secondary network unit that answers the "AreYouMeridane?" probe.
    static bool hasSecondaryFamily(const QString& devId);
    /// A 32-bit mask as "0x" and lower-case hex digits; parseMask also takes decimal text.
    static QString maskText(quint32 mask);
    static std::optional<quint32> parseMask(const QString& text);
    /// An EUI-64 style PTP identity ending in the last three address bytes.
    static QString clockIdForIp(quint32 ip);
    /// True for the 23-character form "00-1D-C1-FF-FE-12-34-56".
    static bool isClockId(const QString& text);
    static QString ipText(quint32 ip);
    /// Parses dotted IPv4 text; nullopt for anything else.
    static std::optional<quint32> parseIp(const QString& text);
};

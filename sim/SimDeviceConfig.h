#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>
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
    static QVector<SimDeviceConfig> generate(const QVector<quint32>& ips);

    /// "MD" and the four address bytes in hex: stable across runs for the same address.
    static QString devIdForIp(quint32 ip);
    /// An EUI-64 style PTP identity ending in the last three address bytes.
    static QString clockIdForIp(quint32 ip);
    /// True for the 23-character form "00-1D-C1-FF-FE-12-34-56".
    static bool isClockId(const QString& text);
    static QString ipText(quint32 ip);
    /// Parses dotted IPv4 text; nullopt for anything else.
    static std::optional<quint32> parseIp(const QString& text);
};

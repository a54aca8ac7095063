#include "McastCreateChecks.h"

#include "DevManager.h"
#include "RouteClickChecks.h"

#include <QJsonArray>

namespace {

constexpr int kLow = 2;    // last two parts of an automatic address: 2..253
constexpr int kSpan = 252; // values in 2..253
constexpr int kRandomTries = 1000;

/// Digits only, or -1 (an empty field reads as 0, as the fields are read by value).
int fieldValue(const QString& text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return 0;
    bool ok = false;
    const int v = t.toInt(&ok);
    return ok && v >= 0 ? v : -1;
}

uint32_t quad(int a, int b, int c, int d)
{
    return (static_cast<uint32_t>(a) << 24) | (static_cast<uint32_t>(b) << 16) | (static_cast<uint32_t>(c) << 8) |
           static_cast<uint32_t>(d);
}

bool portInRange(const QString& port)
{
    const int p = fieldValue(port);
    return p >= McastCreateChecks::kMinPort && p <= McastCreateChecks::kMaxPort;
}

} // namespace

McastCreateChecks::Failure McastCreateChecks::checkNameAndChannels(const QString& name, const QVector<int>& channels)
{
    if (name.trimmed().isEmpty())
        return EmptyName;
    if (channels.isEmpty())
        return NoChannel;
    if (channels.size() > kMaxChannels)
        return TooManyChannels;
    return None;
}

McastCreateChecks::Failure McastCreateChecks::checkCustom(const QString (&ip)[4], const QString& port)
{
    const int first = fieldValue(ip[0]);
    if (first < 224 || first > 239)
        return WrongIp;
    for (int i = 1; i < 4; ++i) {
        const int v = fieldValue(ip[i]);
        if (v < 0 || v > 255)
            return WrongIp;
    }
    if (!portInRange(port))
        return WrongPort;
    for (const QString& f : ip) {
        if (f.trimmed().isEmpty())
            return IpNotFilled;
    }
    if (port.trimmed().isEmpty())
        return PortNotFilled;
    return None;
}

QString McastCreateChecks::autoAddress(int first, int second, const QSet<uint32_t>& inUse,
                                       const std::function<uint32_t()>& random)
{
    auto text = [&](int c, int d) { return QStringLiteral("%1.%2.%3.%4").arg(first).arg(second).arg(c).arg(d); };
    if (random) {
        for (int i = 0; i < kRandomTries; ++i) {
            const int c = static_cast<int>(random() % kSpan) + kLow;
            const int d = static_cast<int>(random() % kSpan) + kLow;
            if (!inUse.contains(quad(first, second, c, d)))
                return text(c, d);
        }
    }
    // A network this crowded would make drawing loop for ever: take the first free one instead.
    for (int c = kLow; c < kLow + kSpan; ++c) {
        for (int d = kLow; d < kLow + kSpan; ++d) {
            if (!inUse.contains(quad(first, second, c, d)))
                return text(c, d);
        }
    }
    return QString();
}

McastCreateChecks::Outcome McastCreateChecks::evaluate(const Input& in, const Device& dev, const QSet<uint32_t>& inUse,
                                                       const std::function<uint32_t()>& random)
{
    Outcome out;
    out.failure = checkNameAndChannels(in.name, in.channels);
    if (out.failure != None)
        return out;

    QString dstIp;
    if (in.automatic) {
        // The prefix and the port are still typed fields: a wrong one would name no multicast group.
        const int first = fieldValue(in.ip[0]), second = fieldValue(in.ip[1]);
        if (in.ip[0].trimmed().isEmpty() || in.ip[1].trimmed().isEmpty() || first < 224 || first > 239 || second < 0 ||
            second > 255) {
            out.failure = WrongIp;
            return out;
        }
        if (in.port.trimmed().isEmpty()) {
            out.failure = PortNotFilled;
            return out;
        }
        if (!portInRange(in.port)) {
            out.failure = WrongPort;
            return out;
        }
        dstIp = autoAddress(first, second, inUse, random);
        if (dstIp.isEmpty()) {
            out.failure = NoFreeAddress;
            return out;
        }
    } else {
        out.failure = checkCustom(in.ip, in.port);
        if (out.failure != None)
            return out;
        dstIp = QStringLiteral("%1.%2.%3.%4")
                    .arg(fieldValue(in.ip[0]))
                    .arg(fieldValue(in.ip[1]))
                    .arg(fieldValue(in.ip[2]))
                    .arg(fieldValue(in.ip[3]));
    }
    const int ms = qMax(0, fieldValue(in.rtpOffsetMs));
    out.request = request(dev, in.name, in.channels, dstIp, QString::number(fieldValue(in.port)),
                          rtpTsOffset(ms, dev.sampleRate));
    return out;
}

QVector<int> McastCreateChecks::channelsFromNames(const QStringList& names)
{
    QVector<int> out;
    for (const QString& n : names) {
        const int colon = n.indexOf(QLatin1Char(':'));
        bool ok = false;
        const int ch = n.mid(colon + 1).toInt(&ok);
        if (colon >= 0 && ok && ch >= 0)
            out.append(ch);
    }
    return out;
}

bool McastCreateChecks::portEditable(const QString& firmwareVersion)
{
    // The same firmware line as a receiver's multicast port rule.
    return !RouteClickChecks::firmwareBeforeAnyPort(firmwareVersion);
}

uint32_t McastCreateChecks::rtpTsOffset(int ms, int sampleRate)
{
    if (ms <= 0 || sampleRate <= 0)
        return 0;
    return static_cast<uint32_t>(static_cast<uint64_t>(ms) * static_cast<uint64_t>(sampleRate / 1000));
}

QJsonObject McastCreateChecks::request(const Device& dev, const QString& name, const QVector<int>& channels,
                                       const QString& dstIp, const QString& dstPort, uint32_t offset)
{
    QJsonArray chans;
    for (int ch : channels)
        chans.append(QString::number(ch));
    const QJsonObject sdp{{"srcIp", dvm_ipToString(dev.ip)},
                          {"dstIp", dstIp},
                          {"dstPort", dstPort},
                          {"chNum", QString::number(channels.size())},
                          {"sampleByteNum", QString::number(dev.sampleByteNum)},
                          {"rtpTsOffset", QString::number(offset)},
                          {"ssrc", QStringLiteral("0")}};
    return QJsonObject{{"ops", QStringLiteral("setMcastTx")},
                       {"devId", dev.devId},
                       {"name", name},
                       {"srcChIdArr", chans},
                       {"sdp", sdp}};
}

QSet<uint32_t> McastCreateChecks::addressesInUse()
{
    QSet<uint32_t> out;
    for (McastRecord* m : getAllMcasts()) {
        McastRecord copy;
        if (dvm_copyMcast(m, &copy))
            out.insert(copy.stream.dstIp);
    }
    for (DevRecord* d : getAllDevs()) {
        const int n = qBound(0, d->tables.fetched[DVM_T_MCAST_TX], static_cast<int>(DVM_TABLE_SIZE));
        for (int id = 0; id < n; ++id) {
            const uint32_t dst = d->tables.mcastTx[id].stream.dstIp;
            if (dst != 0)
                out.insert(dst);
        }
    }
    return out;
}

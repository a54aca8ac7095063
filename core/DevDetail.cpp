#include "DevDetail.h"

#include "DevManager.h"

#include <QJsonArray>
#include <cstring>

namespace {

template <typename List> QJsonArray arrayOf(const List& values)
{
    QJsonArray out;
    for (const auto& v : values)
        out.append(v);
    return out;
}

} // namespace

QStringList s_dev_detail::numberedNames(const QString& prefix, int count)
{
    QStringList out;
    out.reserve(qMax(count, 0));
    for (int i = 1; i <= count; ++i)
        out.append(prefix + QString::number(i));
    return out;
}

QString s_dev_detail::macTextFromClockId(const QString& clockId)
{
    QString mac = clockId.trimmed();
    mac.replace(QLatin1Char('-'), QLatin1Char(':'));
    if (mac.size() == 23)
        mac.remove(9, 6);
    return mac;
}

s_dev_detail s_dev_detail::fromHeader(const DevHeader& hdr)
{
    // Text fields are NUL-terminated within their arrays; strnlen guards a record that is not.
    auto text = [](const char* s, size_t size) { return QString::fromUtf8(s, int(strnlen(s, size))); };
    s_dev_detail d;
    d.devId = text(hdr.devId, sizeof hdr.devId);
    d.name = text(hdr.name, sizeof hdr.name);
    d.ip = hdr.ip;
    d.port = hdr.port;
    // Counts come from the network: clamped so that a hostile announcement cannot exhaust memory.
    const int rx = dvm_clampCount(hdr.chNumRx);
    const int tx = dvm_clampCount(hdr.chNumTx);
    const int phyRx = dvm_clampCount(hdr.phyChNumRx);
    const int phyTx = dvm_clampCount(hdr.phyChNumTx);
    d.txChNames = numberedNames(QStringLiteral("NetOut"), tx);
    d.rxChNames = numberedNames(QStringLiteral("NetIn"), rx);
    d.phyTxChNames = numberedNames(QStringLiteral("AnalogOut"), phyTx);
    d.phyRxChNames = numberedNames(QStringLiteral("AnalogIn"), phyRx);
    d.phyRxGains = QVector<double>(phyRx, 0.0);
    d.phyTxGains = QVector<double>(phyTx, 0.0);
    d.phyRxMutes = QVector<int>(phyRx, 0);
    d.phyTxMutes = QVector<int>(phyTx, 0);
    d.sampleRate = hdr.sampleRate;
    d.sampleByteNum = hdr.sampleByteNum;
    d.dscp = hdr.dscp;
    d.model = text(hdr.model, sizeof hdr.model);
    d.type = d.model;
    d.macText = macTextFromClockId(text(hdr.myClkId, sizeof hdr.myClkId));
    d.canWork = hdr.canWork != 0;
    return d;
}

s_dev_detail s_dev_detail::fromRecord(const DevRecord* rec)
{
    DevHeader hdr;
    if (!dvm_copyDevHeader(rec, &hdr))
        return s_dev_detail();
    return fromHeader(hdr);
}

void s_dev_detail::registerMetaType()
{
    qRegisterMetaType<DevDetail_t>("DevDetail_t");
}

QJsonObject s_dev_detail::toJson() const
{
    return QJsonObject{{"devId", devId},
                       {"name", name},
                       {"ip", dvm_ipToString(ip)},
                       {"port", port},
                       {"rxChNames", arrayOf(rxChNames)},
                       {"txChNames", arrayOf(txChNames)},
                       {"phyRxChNames", arrayOf(phyRxChNames)},
                       {"phyTxChNames", arrayOf(phyTxChNames)},
                       {"phyRxGains", arrayOf(phyRxGains)},
                       {"phyTxGains", arrayOf(phyTxGains)},
                       {"phyRxMutes", arrayOf(phyRxMutes)},
                       {"phyTxMutes", arrayOf(phyTxMutes)},
                       {"sampleRate", sampleRate},
                       {"sampleByteNum", sampleByteNum},
                       {"dscp", dscp},
                       {"model", model},
                       {"type", type},
                       {"macText", macText},
                       {"canWork", canWork},
                       {"oemCode", oemCode},
                       {"firmwareVersion", firmwareVersion},
                       {"firmwareBuild", firmwareBuild},
                       {"ptpPriority", ptpPriority},
                       {"ptpDomain", ptpDomain},
                       {"ptpDscp", ptpDscp},
                       {"sampleRates", arrayOf(sampleRates)},
                       {"packetTimeDivs", arrayOf(packetTimeDivs)},
                       {"isFixedIp", isFixedIp},
                       {"fixedIp", fixedIp},
                       {"gateway", gateway},
                       {"dns", dns},
                       {"temperature", temperature},
                       {"customOemType", customOemType},
                       {"customStr", customStr},
                       {"routeLock", routeLock},
                       {"detailLock", detailLock},
                       {"dspLockLevel", dspLockLevel},
                       {"passwordSet", passwordSet}};
}

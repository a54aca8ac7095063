#include "DesignCheck.h"

#include "ModelTable.h"
#include "OfflineData.h"

#include <QHash>
#include <QSet>

namespace {

using Finding = DesignCheck::Finding;

QString ch(int zeroBased)
{
    return QString::number(zeroBased + 1); // people count channels from 1
}

class Checker
{
public:
    explicit Checker(const OfflineData::DeviceList& devices)
    {
        for (const auto& d : devices)
            m_byId.insert(d->devId(), d.get());
    }

    void add(Finding::Kind kind, const QString& devId, const QString& text) { out.append(Finding{kind, devId, text}); }

    /// The sender of a route, or nullptr with a finding.
    const OfflineDevice* sender(const OfflineDevice& dst, const QString& srcDevId, int srcCh, int dstCh,
                                const QString& what)
    {
        const OfflineDevice* src = m_byId.value(srcDevId);
        if (!src) {
            add(Finding::MissingDevice, dst.devId(),
                QStringLiteral("%1 route to %2 channel %3 comes from %4, which is not in the design")
                    .arg(what, dst.devId(), ch(dstCh), srcDevId));
            return nullptr;
        }
        if (srcCh >= src->detail().chNumTx)
            add(Finding::MissingChannel, dst.devId(),
                QStringLiteral("%1 route to %2 channel %3 comes from %4 transmit channel %5, which it does not have")
                    .arg(what, dst.devId(), ch(dstCh), srcDevId, ch(srcCh)));
        return src;
    }

    void receiver(const OfflineDevice& dst, int dstCh, const QString& what)
    {
        if (dstCh >= dst.detail().chNumRx)
            add(Finding::MissingChannel, dst.devId(),
                QStringLiteral("%1 route to %2 receive channel %3, which it does not have")
                    .arg(what, dst.devId(), ch(dstCh)));
    }

    QVector<Finding> out;

private:
    QHash<QString, const OfflineDevice*> m_byId;
};

bool offers(const OfflineDevice& d, int rate)
{
    const QStringList& list = d.detail().devListInfo.sampleRateList;
    return list.isEmpty() || list.contains(QString::number(rate)); // an empty list says nothing
}

} // namespace

int DesignCheck::mcastCapacity(const QString& model)
{
    const int limit = ModelTable::instance().modelRow(model).value(QStringLiteral("mcastTxLimit")).toInt(0);
    return limit > 0 ? limit : DefaultMcastCapacity;
}

QVector<DesignCheck::Finding> DesignCheck::run(const OfflineData& data)
{
    QVector<Finding> out;
    data.withLock([&](const OfflineData::DeviceList& devices, const QVector<OfflineMcast>&) {
        Checker c(devices);
        QSet<QString> streams; // what the devices send: the global list only mirrors it
        for (const auto& d : devices)
            for (const OfflineMcast& m : d->detail().mcastList)
                streams.insert(m.name);

        QHash<QString, QString> byAddress; // "ip:port" -> first stream there
        for (const auto& dp : devices) {
            const OfflineDevice& d = *dp;
            const OfflineDevDetail& det = d.detail();
            if (!offers(d, det.sampleRate))
                c.add(Finding::UnofferedRate, d.devId(),
                      QStringLiteral("%1 runs at %2 Hz, which its type does not offer (%3)")
                          .arg(d.devId(), QString::number(det.sampleRate),
                               det.devListInfo.sampleRateList.join(QStringLiteral(", "))));
            const int capacity = mcastCapacity(d.model());
            if (det.mcastList.size() > capacity)
                c.add(Finding::OverCapacity, d.devId(),
                      QStringLiteral("%1 sends %2 streams but can send %3")
                          .arg(d.devId(), QString::number(det.mcastList.size()), QString::number(capacity)));
            for (const OfflineMcast& m : det.mcastList) {
                const QString where = m.dstIp + ':' + QString::number(m.dstPort);
                const auto it = byAddress.constFind(where);
                if (it != byAddress.constEnd())
                    c.add(Finding::SharedAddress, d.devId(),
                          QStringLiteral("streams %1 and %2 both use %3").arg(it.value(), m.name, where));
                else
                    byAddress.insert(where, m.name);
                if (!offers(d, m.sampleRate))
                    c.add(Finding::UnofferedRate, d.devId(),
                          QStringLiteral("stream %1 of %2 runs at %3 Hz, which the type does not offer")
                              .arg(m.name, d.devId(), QString::number(m.sampleRate)));
                for (int s : m.srcChannels)
                    if (s >= det.chNumTx)
                        c.add(Finding::MissingChannel, d.devId(),
                              QStringLiteral("stream %1 carries transmit channel %2 of %3, which it does not have")
                                  .arg(m.name, ch(s), d.devId()));
            }
            for (const OfflineUcastRoute& r : d.ucastRoutes()) {
                c.sender(d, r.srcDevId, r.srcChId, r.dstChId, QStringLiteral("unicast"));
                c.receiver(d, r.dstChId, QStringLiteral("unicast"));
            }
            for (const OfflineMcastRoute& r : d.mcastRoutes()) {
                const QString what = QStringLiteral("stream %1").arg(r.mcastName);
                c.sender(d, r.srcDevId, r.srcChId, r.dstChId, what);
                c.receiver(d, r.dstChId, what);
                if (!streams.contains(r.mcastName))
                    c.add(Finding::MissingStream, d.devId(),
                          QStringLiteral("%1 receives stream %2, which no device sends").arg(d.devId(), r.mcastName));
            }
        }
        out = c.out;
    });
    return out;
}

#pragma once
#include <QJsonObject>
#include <QString>
#include <array>
#include <cstdint>

/// The twelve delay-statistics values of one receiving stream as a device reports them, and the texts and
/// command messages of the delay page. Widget-free.
class DelayStats
{
public:
    /// In reading order; the seven buckets follow Total.
    enum Field
    {
        Total,
        In125,
        In250,
        In500,
        In1ms,
        In2ms,
        In4ms,
        Out4ms,
        AvgUs,
        MaxUs,
        NotContinue,
        ExceedDelay,
        FieldCount
    };
    static constexpr int kBucketCount = 7;

    /// The reply key of a field ("total", "in125", ... "exceedDelay").
    static QString key(Field field);

    /// All values 0.
    DelayStats() { m_values.fill(0.0); }
    /// Reads the twelve values of a statistics reply. A missing, non-numeric or negative value reads as 0.
    static DelayStats fromReply(const QJsonObject& reply);

    double value(Field field) const { return m_values[size_t(field)]; }
    /// The shown text: whole numbers without decimals, others with at most two.
    QString text(Field field) const;
    /// Bucket `index` (0 = "< 0.125 ms" .. 6 = "> 4 ms") relative to the total, within 0..1; 0 when the total
    /// is 0. A device whose buckets add up to more than its total is not trusted beyond a full bar.
    double share(int index) const;

    bool operator==(const DelayStats& other) const { return m_values == other.m_values; }

    // ---- Command messages and stream choice ----------------------------------------------------------

    /// {"devId","ops":"getDelayStatUcast"/"getDelayStatMcast","sdpId"} as compact text.
    static QString getRequest(const QString& devId, bool multicast, int sdpId);
    /// {"devId","ops":"clrDelayStatUcast"/"clrDelayStatMcast","sdpId"} as compact text.
    static QString clearRequest(const QString& devId, bool multicast, int sdpId);
    /// Recognises the four reply names; sets the stream kind and whether it answers a clear.
    static bool isStatsOps(const QString& ops, bool* multicast, bool* clear);

    /// "ucast:" + label + " " + source "->" destination, addresses as "%u.%u.%u.%u".
    static QString unicastEntryText(const QString& label, uint32_t srcIp, uint32_t dstIp);
    /// "mcast:" + label + " " + multicast address.
    static QString multicastEntryText(const QString& label, uint32_t groupIp);

private:
    std::array<double, FieldCount> m_values;
};

#pragma once
#include "DvmTypes.h"

#include <QJsonObject>
#include <QMetaType>
#include <QString>
#include <QStringList>
#include <QVector>
#include <cstdint>

/// The user interface's copy of one device: the announcement fields it shows plus what the
/// device's replies report later. Passed by value (also across threads in queued signals).
/// An empty devId means "no such device".
struct s_dev_detail
{
    // Identity and address, from the announcement.
    QString devId;
    QString name;
    uint32_t ip = 0; ///< host order
    int port = 0;    ///< the device's command port

    // Channel names: numbered defaults at first, then the names the device reports.
    QStringList txChNames;    ///< network transmit: "NetOut1".."NetOutN"
    QStringList rxChNames;    ///< network receive: "NetIn1".."NetInN"
    QStringList phyTxChNames; ///< physical outputs: "AnalogOut1".."AnalogOutN"
    QStringList phyRxChNames; ///< physical inputs: "AnalogIn1".."AnalogInN"

    // Physical gains (dB) and mutes (the device's value, 0 = unmuted), one entry per physical channel.
    QVector<double> phyRxGains;
    QVector<double> phyTxGains;
    QVector<int> phyRxMutes;
    QVector<int> phyTxMutes;

    // Audio and clock settings.
    int sampleRate = 0;
    int sampleByteNum = 0;
    int dscp = 0;
    QString model; ///< announced model; replaced by the model the device reports
    QString type;  ///< device type; the announced model until something better is known
    QString macText;
    bool canWork = false;

    // Reported by replies.
    QString oemCode;         ///< "000000" when the device reports none
    QString firmwareVersion; ///< version text before the first "-"
    QString firmwareBuild;   ///< version text after the first "-"
    int ptpPriority = 0;
    int ptpDomain = 0;
    int ptpDscp = 0;
    QStringList sampleRates;    ///< supported sample rates, as reported
    QStringList packetTimeDivs; ///< supported packet-time divisors, as reported
    int isFixedIp = 0;
    QString fixedIp;
    QString gateway;
    QString dns;
    QString temperature; ///< as reported: thousandths of a degree Celsius
    QString customOemType;
    QString customStr;
    int routeLock = 0;
    int detailLock = 0;
    int dspLockLevel = 0;
    int passwordSet = 0;

    bool isEmpty() const { return devId.isEmpty(); }

    /// A detail built from announcement fields: identity, address, counts turned into default
    /// channel names, gains and mutes. Counts are clamped to what a table can hold (0..4096).
    static s_dev_detail fromHeader(const DevHeader& hdr);
    /// The same from a live registry record, copied under the registry lock; empty for null.
    static s_dev_detail fromRecord(const DevRecord* rec);
    /// "prefix1".."prefixN"; no entries for a count of 0 or less.
    static QStringList numberedNames(const QString& prefix, int count);
    /// The MAC text of a PTP clock identity: trimmed, "-" written as ":", and a 23-character
    /// EUI-64 identity loses its two middle filler octets (17 characters). Other lengths keep
    /// all their octets.
    static QString macTextFromClockId(const QString& clockId);
    /// Every field as JSON under its own name: the address as dotted text (also 0.0.0.0), numbers as JSON
    /// numbers, lists as arrays. The one form of a detail that the application's state files and scripted
    /// sessions print.
    QJsonObject toJson() const;
    /// Registers DevDetail_t for queued signals; call once before connecting (idempotent).
    static void registerMetaType();
};

typedef s_dev_detail DevDetail_t;

Q_DECLARE_METATYPE(DevDetail_t)

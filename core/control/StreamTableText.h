#pragma once
#include <QJsonObject>
#include <QString>
#include <QVector>

/// The texts of a device's stream tables as the stream view lists them, read from a copy of the registry
/// record (RegistryJson::device), never from the live tables.
class StreamTableText
{
public:
    /// The six sections, in the order they are shown.
    enum Section
    {
        RxCh,    ///< "rxChArr(rtpChId)", buttons "listinfo_rxIdArr_N"
        RtpCh,   ///< "rtpChArr(srcDevId,srcChId)", buttons "listinfo_rtpChArr_N"
        UcastRx, ///< "ucastArrRx(active,srcIp)", buttons "listinfo_ucastArrRx_N"
        McastRx, ///< "mcastArrRx(active,srcIp)", buttons "listinfo_umastArrRx_N"
        UcastTx, ///< "ucastArrTx(dstIp)", buttons "listinfo_ucastArrTx_N"
        McastTx, ///< "mcastArrTx(dstIp,name)", buttons "listinfo_mcastArrTx_N"
        SectionCount
    };

    struct Entry
    {
        int id = 0;
        QString text;     ///< button text
        QString detail;   ///< detail dialog text; empty for receive channels and RTP channels
        int rtpChId = -1; ///< receive channels only: the feeding RTP channel, -1 for none
    };

    static QString title(Section s);
    /// Button object name prefix of a section, such as "listinfo_rxIdArr_".
    static QString objectPrefix(Section s);
    /// The section a button object name belongs to, or SectionCount; `id` gets the number after the second "_".
    static Section sectionOfObject(const QString& objectName, int* id);

    /// The entries of a section. Receive channels list one entry per announced receive channel.
    static QVector<Entry> entries(const QJsonObject& device, Section s);
    /// "N(rtp)" of a receive channel button.
    static QString rxChText(int ch, int rtpChId);
    /// The detail text of a stream entry of the JSON copy ("\n\n" between lines); `withName` adds the name
    /// line of a multicast transmit stream.
    static QString detail(const QJsonObject& entry, bool receive, bool withName = false);
};

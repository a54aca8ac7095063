#include "StreamTableText.h"

#include "ReplyFields.h"
#include "StreamName.h"

#include <QJsonArray>

namespace {

struct SectionInfo
{
    const char* title;
    const char* word; // object name part the button actions recognise
    const char* table;
};

const SectionInfo kSections[StreamTableText::SectionCount] = {
    {"rxChArr(rtpChId)", "rxIdArr", "rxCh"},
    {"rtpChArr(srcDevId,srcChId)", "rtpChArr", "rtpCh"},
    {"ucastArrRx(active,srcIp)", "ucastArrRx", "ucastRx"},
    {"mcastArrRx(active,srcIp)", "umastArrRx", "mcastRx"},
    {"ucastArrTx(dstIp)", "ucastArrTx", "ucastTx"},
    {"mcastArrTx(dstIp,name)", "mcastArrTx", "mcastTx"},
};

QString channelList(const QJsonArray& arr)
{
    QStringList parts;
    for (const QJsonValue& v : arr)
        parts << QString::number(v.toInt(-1));
    return parts.join(QLatin1Char(','));
}

} // namespace

QString StreamTableText::title(Section s)
{
    return QLatin1String(kSections[s].title);
}

QString StreamTableText::objectPrefix(Section s)
{
    return QStringLiteral("listinfo_%1_").arg(QLatin1String(kSections[s].word));
}

StreamTableText::Section StreamTableText::sectionOfObject(const QString& objectName, int* id)
{
    const QStringList parts = objectName.split(QLatin1Char('_'));
    if (parts.size() != 3 || parts[0] != QLatin1String("listinfo"))
        return SectionCount;
    bool ok = false;
    const int n = parts[2].toInt(&ok);
    if (!ok || n < 0)
        return SectionCount;
    for (int s = 0; s < SectionCount; ++s) {
        if (parts[1] == QLatin1String(kSections[s].word)) {
            if (id)
                *id = n;
            return static_cast<Section>(s);
        }
    }
    return SectionCount;
}

QString StreamTableText::rxChText(int ch, int rtpChId)
{
    return QStringLiteral("%1(%2)").arg(ch).arg(rtpChId);
}

QString StreamTableText::detail(const QJsonObject& entry, bool receive, bool withName)
{
    const QJsonObject sdp = entry.value(QStringLiteral("sdp")).toObject();
    QStringList lines{QStringLiteral("srcIp:") + ReplyFields::text(sdp.value(QStringLiteral("srcIp"))),
                      QStringLiteral("dstIp:") + ReplyFields::text(sdp.value(QStringLiteral("dstIp"))),
                      QStringLiteral("dstPort:") + ReplyFields::text(sdp.value(QStringLiteral("dstPort"))),
                      QStringLiteral("chNum:") + ReplyFields::text(sdp.value(QStringLiteral("chNum"))),
                      QStringLiteral("sampleByteNum:") + ReplyFields::text(sdp.value(QStringLiteral("sampleByteNum"))),
                      QStringLiteral("rtpTsOffset:") + ReplyFields::text(sdp.value(QStringLiteral("rtpTsOffset")))};
    if (receive) {
        lines << QStringLiteral("rtpChIdArr:") + channelList(entry.value(QStringLiteral("rtpChIdArr")).toArray());
        lines << (entry.value(QStringLiteral("active")).toBool() ? QStringLiteral("active:true")
                                                                 : QStringLiteral("active:false"));
    } else {
        lines << QStringLiteral("srcChIdArr:") + channelList(entry.value(QStringLiteral("srcChIdArr")).toArray());
        if (withName)
            lines << QStringLiteral("name:") + StreamName::shown(entry.value(QStringLiteral("name")).toString());
    }
    return lines.join(QStringLiteral("\n\n"));
}

QVector<StreamTableText::Entry> StreamTableText::entries(const QJsonObject& device, Section s)
{
    QVector<Entry> out;
    const QJsonArray table =
        device.value(QStringLiteral("tables")).toObject().value(QLatin1String(kSections[s].table)).toArray();
    if (s == RxCh) {
        QHash<int, int> map;
        for (const QJsonValue& v : table)
            map.insert(v.toObject().value(QStringLiteral("id")).toInt(),
                       v.toObject().value(QStringLiteral("rtpChId")).toInt(-1));
        const int count = qBound(0, device.value(QStringLiteral("chNumRx")).toInt(), 4096);
        for (int ch = 0; ch < count; ++ch) {
            Entry e;
            e.id = ch;
            e.rtpChId = map.value(ch, -1);
            e.text = rxChText(ch, e.rtpChId);
            out.append(e);
        }
        return out;
    }
    for (const QJsonValue& v : table) {
        const QJsonObject o = v.toObject();
        Entry e;
        e.id = o.value(QStringLiteral("id")).toInt();
        const QJsonObject sdp = o.value(QStringLiteral("sdp")).toObject();
        switch (s) {
        case RtpCh:
            e.text = QStringLiteral("%1,%2")
                         .arg(o.value(QStringLiteral("srcDevId")).toString())
                         .arg(o.value(QStringLiteral("srcChId")).toInt(-1));
            break;
        case UcastRx:
        case McastRx:
            e.text = QStringLiteral("%1,%2")
                         .arg(o.value(QStringLiteral("active")).toBool() ? 1 : 0)
                         .arg(ReplyFields::text(sdp.value(QStringLiteral("srcIp"))));
            e.detail = detail(o, true);
            break;
        case UcastTx:
            e.text = ReplyFields::text(sdp.value(QStringLiteral("dstIp")));
            e.detail = detail(o, false);
            break;
        case McastTx:
            e.text = QStringLiteral("%1,%2").arg(ReplyFields::text(sdp.value(QStringLiteral("dstIp"))),
                                                 StreamName::shown(o.value(QStringLiteral("name")).toString()));
            e.detail = detail(o, false, true);
            break;
        default:
            break;
        }
        out.append(e);
    }
    return out;
}

#include "CtlTargets.h"

#include <QStringList>
#include <functional>

namespace {

CtlTargets::Result found(int position)
{
    CtlTargets::Result r;
    r.status = CtlTargets::Found;
    r.position = position;
    return r;
}

CtlTargets::Result failed(CtlTargets::Status status, const QString& error)
{
    CtlTargets::Result r;
    r.status = status;
    r.error = error;
    return r;
}

/// True when `name` is `text`, also when the name ends in the CR its SAP line kept: nobody types that CR.
bool sameName(const QString& name, const QString& text, Qt::CaseSensitivity cs)
{
    if (QString::compare(name, text, cs) == 0)
        return true;
    return name.endsWith(QLatin1Char('\r')) && QString::compare(name.chopped(1), text, cs) == 0;
}

/// The single candidate `matches` accepts first exactly, then ignoring case; `describe` names each one of an
/// ambiguous set.
CtlTargets::Result pick(const QVector<int>& candidates, const std::function<QString(int)>& nameOf, const QString& text,
                        const QString& what, const std::function<QString(int)>& describe)
{
    for (const Qt::CaseSensitivity cs : {Qt::CaseSensitive, Qt::CaseInsensitive}) {
        QVector<int> hits;
        for (int pos : candidates) {
            if (sameName(nameOf(pos), text, cs))
                hits.append(pos);
        }
        if (hits.size() == 1)
            return found(hits.first());
        if (hits.size() > 1) {
            QStringList names;
            for (int pos : hits)
                names << describe(pos);
            return failed(
                CtlTargets::Ambiguous,
                QStringLiteral("\"%1\" names several %2: %3").arg(text, what, names.join(QStringLiteral(", "))));
        }
    }
    return failed(CtlTargets::Unknown, QString());
}

} // namespace

CtlTargets::Result CtlTargets::header(const MatrixAxis& axis, const QString& text, bool devicesOnly)
{
    const QString what = devicesOnly ? QStringLiteral("device") : QStringLiteral("device or stream");
    QVector<int> headers;
    for (int pos : axis.headerPositions()) {
        if (!devicesOnly || !axis.at(pos).multicast)
            headers.append(pos);
    }
    // Identifiers are unique: a devId or destination address is taken as such before any name.
    for (int pos : headers) {
        if (axis.at(pos).id == text)
            return found(pos);
    }
    Result r = pick(
        headers, [&axis](int pos) { return axis.at(pos).name; }, text, what + QStringLiteral("s"),
        [&axis](int pos) { return QStringLiteral("%1 (%2)").arg(axis.at(pos).name, axis.at(pos).id); });
    if (r.status == Ambiguous)
        r.error += QStringLiteral("; name it by its %1")
                       .arg(devicesOnly ? QStringLiteral("devId") : QStringLiteral("devId or address"));
    else if (r.status == Unknown)
        r.error = QStringLiteral("no %1 \"%2\" on the network").arg(what, text);
    return r;
}

CtlTargets::Result CtlTargets::channelOf(const MatrixAxis& axis, int header, const QString& text)
{
    const AxisItem& head = axis.at(header);
    const int count = axis.channelCount(header);
    bool isNumber = false;
    const int number = text.toInt(&isNumber);
    if (isNumber) {
        if (number < 1 || number > count)
            return failed(
                Unknown,
                QStringLiteral("%1 has no channel %2 (channels 1 to %3)").arg(head.name).arg(number).arg(count));
        return found(header + number);
    }
    QVector<int> channels;
    for (int c = 1; c <= count; ++c)
        channels.append(header + c);
    Result r = pick(
        channels, [&axis](int pos) { return axis.at(pos).secondName; }, text, QStringLiteral("channels"),
        [&axis, header](int pos) { return QString::number(pos - header); });
    if (r.status == Ambiguous)
        r.error = QStringLiteral("%1: %2; name it by its number").arg(head.name, r.error);
    else if (r.status == Unknown)
        r.error = QStringLiteral("%1 has no channel \"%2\"").arg(head.name, text);
    return r;
}

CtlTargets::Result CtlTargets::channel(const MatrixAxis& axis, const QString& text, bool devicesOnly)
{
    Result first;
    bool tried = false;
    Result hit;
    for (int colon = text.lastIndexOf(QLatin1Char(':')); colon >= 0;
         colon = colon > 0 ? text.lastIndexOf(QLatin1Char(':'), colon - 1) : -1) {
        Result h = header(axis, text.left(colon), devicesOnly);
        Result r = h.ok() ? channelOf(axis, h.position, text.mid(colon + 1)) : h;
        if (!tried) {
            first = r;
            tried = true;
        }
        if (!r.ok())
            continue;
        if (hit.ok() && hit.position != r.position)
            return failed(Ambiguous, QStringLiteral("\"%1\" can be read in more than one way; use the channel "
                                                    "number and the devId")
                                         .arg(text));
        hit = r;
    }
    if (hit.ok())
        return hit;
    if (!tried)
        return failed(Unknown, QStringLiteral("\"%1\" names no channel: write DEVICE:CHANNEL").arg(text));
    return first;
}

#include "CtlArchiveDevices.h"

#include "DevManager.h"

namespace {

/// Index of the one device `text` names; -1 unknown, -2 ambiguous (with `error`).
int indexOf(const QVector<OnlineDeviceFacts>& online, const QString& text, QString* error)
{
    for (int i = 0; i < online.size(); ++i) {
        if (online.at(i).devId == text || dvm_ipToString(online.at(i).ip) == text)
            return i;
    }
    for (const Qt::CaseSensitivity cs : {Qt::CaseSensitive, Qt::CaseInsensitive}) {
        QVector<int> hits;
        for (int i = 0; i < online.size(); ++i) {
            if (QString::compare(online.at(i).name, text, cs) == 0)
                hits.append(i);
        }
        if (hits.size() == 1)
            return hits.first();
        if (hits.size() > 1) {
            QStringList names;
            for (int i : hits)
                names << QStringLiteral("%1 (%2)").arg(online.at(i).name, online.at(i).devId);
            *error = QStringLiteral("\"%1\" names several devices: %2; name it by its devId")
                         .arg(text, names.join(QStringLiteral(", ")));
            return -2;
        }
    }
    *error = QStringLiteral("no device \"%1\" on the network").arg(text);
    return -1;
}

} // namespace

QStringList CtlArchiveDevices::items(const QString& list)
{
    QStringList out;
    for (const QString& part : list.split(QLatin1Char(','))) {
        const QString t = part.trimmed();
        if (!t.isEmpty())
            out.append(t);
    }
    return out;
}

bool CtlArchiveDevices::select(const QVector<OnlineDeviceFacts>& online, const QStringList& names,
                               QVector<OnlineDeviceFacts>* chosen, QString* error)
{
    chosen->clear();
    QVector<int> taken;
    for (const QString& name : names) {
        const int i = indexOf(online, name, error);
        if (i < 0)
            return false;
        if (!taken.contains(i)) {
            taken.append(i);
            chosen->append(online.at(i));
        }
    }
    return true;
}

bool CtlArchiveDevices::allFound(const QVector<OnlineDeviceFacts>& online, const QStringList& names)
{
    QString error;
    for (const QString& name : names) {
        if (indexOf(online, name, &error) < 0)
            return false;
    }
    return true;
}

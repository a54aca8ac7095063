#include "SecondaryUnitProbe.h"

#include "DevDetailStore.h"
#include "DevManager.h"
#include "ModelTable.h"

namespace {

// Where a key's value begins: the key must start the text or follow a non-alphanumeric
// character, so that "ip=" is not found inside a longer key such as "gwip=".
int valueStart(const QString& text, const QString& key)
{
    for (int at = text.indexOf(key); at >= 0; at = text.indexOf(key, at + 1))
        if (at == 0 || !text.at(at - 1).isLetterOrNumber())
            return at + key.size();
    return -1;
}

// The value after a key up to the end of its line; the carriage return of CRLF answers is trimmed.
QString lineValue(const QString& text, const QString& key)
{
    const int start = valueStart(text, key);
    if (start < 0)
        return QString();
    const int end = text.indexOf(QLatin1Char('\n'), start);
    return text.mid(start, end < 0 ? -1 : end - start).trimmed();
}

} // namespace

SecondaryUnitProbe::Answer SecondaryUnitProbe::parse(const QByteArray& datagram, const ModelTable& models)
{
    Answer a;
    const QString text = QString::fromUtf8(datagram);
    if (!text.contains(QLatin1String("ip=")) || !text.contains(QLatin1String("iAmMeridane!")))
        return a;
    a.isAnswer = true;
    a.hostname = lineValue(text, QStringLiteral("hostname="));
    a.ip = dvm_parseIp(lineValue(text, QStringLiteral("ip=")));
    if (a.ip != 0)
        a.mainDevId = models.secondaryUnitDevId(a.hostname);
    return a;
}

bool SecondaryUnitProbe::record(const Answer& answer, DevDetailStore& store)
{
    if (answer.mainDevId.isEmpty() || !findDevById(answer.mainDevId.toUtf8().constData()))
        return false;
    store.setSecondaryUnit(answer.mainDevId, answer.ip);
    return true;
}

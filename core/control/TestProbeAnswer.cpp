#include "TestProbeAnswer.h"

#include "DevManager.h"

namespace TestProbeAnswer {

namespace {

// The value after `key` up to the next blank or line end (answers come one key a line or several on one
// line); the key must not follow a letter, digit or "_", so that
// "ip=" is not read inside another key such as "gwip=".
QString lineValue(const QString& text, const QString& key)
{
    for (int at = text.indexOf(key); at >= 0; at = text.indexOf(key, at + 1)) {
        if (at != 0 && (text.at(at - 1).isLetterOrNumber() || text.at(at - 1) == QLatin1Char('_')))
            continue;
        const int start = at + key.size();
        // Only printable characters reach the lists and the record file.
        QString value;
        for (int i = start; i < text.size() && !text.at(i).isSpace(); ++i) {
            const QChar c = text.at(i);
            if (c.unicode() > 0x20 && c.unicode() < 0x7f && value.size() < kMaxFieldChars)
                value.append(c);
        }
        return value;
    }
    return QString();
}

} // namespace

bool parse(const QByteArray& datagram, uint32_t sender, Answer* answer)
{
    if (datagram.size() > kMaxDatagramBytes || !datagram.contains("iAmMeridane!"))
        return false;
    const QString text = QString::fromUtf8(datagram).replace(QLatin1String("\r"), QString());
    Answer a;
    a.hostname = lineValue(text, QStringLiteral("hostname="));
    if (a.hostname.isEmpty())
        return false;
    a.boardModel = lineValue(text, QStringLiteral("board_model="));
    a.firmware = lineValue(text, QStringLiteral("firmware="));
    const uint32_t said = dvm_parseIp(lineValue(text, QStringLiteral("ip=")));
    a.ip = said != 0 ? said : sender;
    if (a.ip == 0)
        return false;
    a.linkLocal = isLinkLocal(a.ip);
    *answer = a;
    return true;
}

bool isLinkLocal(uint32_t ip)
{
    return (ip >> 16) == ((169u << 8) | 254u);
}

bool usableInterface(const QString& interfaceName, uint32_t ip)
{
    if (ip == 0 || ip == 0x7f000001u)
        return false;
    const QString name = interfaceName.toLower();
    return !name.contains(QLatin1String("vmware")) && !name.contains(QLatin1String("vethernet"));
}

bool List::add(const Answer& answer)
{
    QVector<Answer>& list = answer.linkLocal ? m_linkLocal : m_devices;
    for (Answer& known : list) {
        if (known.hostname == answer.hostname && known.ip == answer.ip) {
            known = answer;
            return true;
        }
    }
    if (list.size() >= kMaxDevices) {
        ++m_dropped;
        return false;
    }
    list.append(answer);
    return true;
}

void List::clear()
{
    m_devices.clear();
    m_linkLocal.clear();
    m_dropped = 0;
}

} // namespace TestProbeAnswer

#include "McastOracle.h"

#include "DevManager.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QRegularExpression>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

[[noreturn]] void fail(const char* what, const QByteArray& detail)
{
    std::fprintf(stderr, "multicast datagram read unlike QJsonDocument: %s %s\n", what, detail.constData());
    std::abort();
}

/// UTF-8 of a JSON string value as the registry stores text: lone surrogates become U+FFFD and the
/// text is cut at a character boundary to size - 1 bytes. Not a string gives "".
QByteArray expectedText(const QJsonValue& value, int size)
{
    QByteArray out;
    if (!value.isString()) {
        return out;
    }
    const QString s = value.toString();
    for (int i = 0; i < s.size(); ++i) {
        uint cp = s.at(i).unicode();
        if (QChar::isHighSurrogate(cp) && i + 1 < s.size() && s.at(i + 1).isLowSurrogate()) {
            cp = QChar::surrogateToUcs4(static_cast<ushort>(cp), s.at(i + 1).unicode());
            ++i;
        } else if (QChar::isSurrogate(cp)) {
            cp = 0xFFFD;
        }
        // Encoded by hand: QString::fromUcs4 would drop U+FEFF as a byte order mark.
        QByteArray ch;
        if (cp < 0x80) {
            ch += char(cp);
        } else if (cp < 0x800) {
            ch += char(0xC0 | (cp >> 6));
            ch += char(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            ch += char(0xE0 | (cp >> 12));
            ch += char(0x80 | ((cp >> 6) & 0x3F));
            ch += char(0x80 | (cp & 0x3F));
        } else {
            ch += char(0xF0 | (cp >> 18));
            ch += char(0x80 | ((cp >> 12) & 0x3F));
            ch += char(0x80 | ((cp >> 6) & 0x3F));
            ch += char(0x80 | (cp & 0x3F));
        }
        if (out.size() + ch.size() > size - 1) {
            break;
        }
        out += ch;
    }
    return out;
}

/// Only plain decimal texts are compared: blanks, signs and saturation are the reader's own rules.
bool plainInt(const QJsonValue& value, int* out)
{
    static const QRegularExpression plain(QStringLiteral("^-?[0-9]{1,9}$"));
    if (!value.isString() || !plain.match(value.toString()).hasMatch()) {
        return false;
    }
    *out = value.toString().toInt();
    return true;
}

/// Members of the outermost object of a text that QJsonDocument accepted. More members than the
/// parsed object has means duplicate keys, whose winner QJsonDocument does not define.
int topLevelMembers(const QByteArray& text)
{
    int depth = 0;
    int members = 0;
    bool inString = false;
    for (int i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (inString) {
            if (c == '\\') {
                ++i;
            } else if (c == '"') {
                inString = false;
            }
        } else if (c == '"') {
            inString = true;
        } else if (c == '{' || c == '[') {
            ++depth;
        } else if (c == '}' || c == ']') {
            --depth;
        } else if (c == ':' && depth == 1) {
            ++members;
        }
    }
    return members;
}

/// QJsonDocument also takes raw NUL bytes inside strings and a backslash before a byte above 127;
/// the registry refuses such texts, and no device sends them, so only rejection is compared for them.
bool oddBytes(const QByteArray& text)
{
    for (int i = 0; i < text.size(); ++i) {
        if (text[i] == '\0' || (text[i] == '\\' && i + 1 < text.size() && (text[i + 1] & 0x80))) {
            return true;
        }
    }
    return false;
}

void expectText(const char* field, const char* stored, const QJsonValue& value, int size)
{
    const QByteArray want = expectedText(value, size);
    // strcmp: a "\u0000" inside the value ends the stored text there.
    if (std::strcmp(stored, want.constData()) != 0) {
        fail(field, QByteArray(stored) + " != " + want);
    }
}

void expectInt(const char* field, int32_t stored, const QJsonValue& value)
{
    int want = 0;
    if (plainInt(value, &want) && stored != want) {
        fail(field, QByteArray::number(stored) + " != " + QByteArray::number(want));
    }
}

/// A stored clock event: "state" of "masterOffset" and "ppm" of "adjustFreq", 0 when absent.
void expectClockEvent(const QJsonObject& obj, uint32_t srcIp)
{
    const QString event = obj.value(QLatin1String("event")).toString();
    const bool offset = event == QLatin1String("masterOffset");
    if (!offset && event != QLatin1String("adjustFreq")) {
        return;
    }
    const DevRecord* rec = findDevByIp(srcIp);
    const QJsonValue value = obj.value(QLatin1String(offset ? "state" : "ppm"));
    int want = 0;
    if (!rec || (!value.isUndefined() && !plainInt(value, &want))) {
        return;
    }
    const int32_t stored = offset ? rec->ptpState : rec->ppm;
    if (stored != want) {
        fail(offset ? "ptpState" : "ppm", QByteArray::number(stored) + " != " + QByteArray::number(want));
    }
}

} // namespace

void McastOracle::before()
{
    m_headers.clear();
    for (const DevRecord* rec : getAllDevs()) {
        DevHeader h;
        dvm_copyDevHeader(rec, &h);
        m_headers.push_back(h);
    }
}

void McastOracle::expectUnchanged(const std::vector<DevRecord*>& devs, const char* what, const QByteArray& dgram) const
{
    if (devs.size() != m_headers.size()) {
        fail((QByteArray(what) + " added a device").constData(), dgram.left(200));
    }
    for (size_t i = 0; i < devs.size(); ++i) {
        DevHeader h;
        dvm_copyDevHeader(devs[i], &h);
        h.lifeMs = m_headers[i].lifeMs;
        if (std::memcmp(&h, &m_headers[i], sizeof h) != 0) {
            fail((QByteArray(what) + " changed a device").constData(), dgram.left(200));
        }
    }
}

bool McastOracle::claimsLiveDevice(const QByteArray& devId, uint32_t ip) const
{
    // One address, one device; one identifier, one address: the live owner keeps both until it ages out.
    const DevHeader* same = nullptr;
    bool heldByOther = false;
    for (const DevHeader& h : m_headers) {
        if (std::strncmp(h.devId, devId.constData(), DVM_NAME_LEN) == 0) {
            same = &h;
        } else if (h.ip == ip && h.lifeMs > 0) {
            heldByOther = true;
        }
    }
    if (same) {
        return same->ip != ip && (same->lifeMs > 0 || heldByOther);
    }
    return heldByOther;
}

void McastOracle::after(const QByteArray& dgram, uint32_t srcIp) const
{
    QJsonParseError err;
    const QJsonDocument doc = QJsonDocument::fromJson(dgram, &err);
    const std::vector<DevRecord*> devs = getAllDevs();

    if (err.error != QJsonParseError::NoError || !doc.isObject()) {
        // Treated as an object without members: no device may change (life aside).
        expectUnchanged(devs, "a rejected text", dgram);
        return;
    }

    const QJsonObject obj = doc.object();
    if (topLevelMembers(dgram) != obj.size() || oddBytes(dgram)) {
        return;
    }
    const QString ops = obj.value(QLatin1String("ops")).toString();
    if (ops != QLatin1String("iAmVeranto")) {
        if (ops != QLatin1String("updateRoute") && ops != QLatin1String("updateActive")) {
            expectClockEvent(obj, srcIp);
        }
        return;
    }
    const QJsonValue ip = obj.value(QLatin1String("ip"));
    if (!ip.isString() || dvm_parseIp(ip.toString()) == 0) {
        return;
    }
    const QByteArray devId = expectedText(obj.value(QLatin1String("devId")), DVM_NAME_LEN);
    if (claimsLiveDevice(devId, dvm_parseIp(ip.toString()))) {
        expectUnchanged(devs, "a refused takeover", dgram);
        return;
    }
    const DevRecord* rec = findDevById(devId.constData());
    if (!rec) {
        fail("an accepted announcement left no device", devId);
    }
    DevHeader h;
    dvm_copyDevHeader(rec, &h);
    if (h.ip != dvm_parseIp(ip.toString())) {
        fail("ip", ip.toString().toUtf8());
    }
    expectText("name", h.name, obj.value(QLatin1String("name")), DVM_NAME_LEN);
    expectText("myClkId", h.myClkId, obj.value(QLatin1String("myClkId")), DVM_CLKID_LEN);
    expectText("gmClkId", h.gmClkId, obj.value(QLatin1String("gmClkId")), DVM_CLKID_LEN);
    expectText("model", h.model, obj.value(QLatin1String("model")), DVM_NAME_LEN);
    expectInt("port", h.port, obj.value(QLatin1String("port")));
    expectInt("chNumRx", h.chNumRx, obj.value(QLatin1String("chNumRx")));
    expectInt("chNumTx", h.chNumTx, obj.value(QLatin1String("chNumTx")));
    expectInt("ucastNumRx", h.ucastNumRx, obj.value(QLatin1String("ucastNumRx")));
    expectInt("mcastNumTx", h.mcastNumTx, obj.value(QLatin1String("mcastNumTx")));
    expectInt("sampleRate", h.sampleRate, obj.value(QLatin1String("sampleRate")));
    expectInt("canWork", h.canWork, obj.value(QLatin1String("canWork")));
}

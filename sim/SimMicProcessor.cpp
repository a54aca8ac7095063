#include "SimMicProcessor.h"

#include <QJsonArray>
#include <QList>

namespace {

struct Code
{
    const char* letters;
    int channel; ///< the one channel digit it answers on; -1 for 0..kChannels-1
    int min;
    int max;
};

// Single settings, then per-channel ones; SS (save) is handled apart.
const Code kCodes[] = {
    {"IE", 1, 0, 5},     {"IF", 1, 0, 5},  {"IA", 1, 0, 1},     {"IN", 1, 0, 5},  {"IT", 3, 0, 1},
    {"IG", -1, -60, 24}, {"IM", -1, 0, 1}, {"OV", -1, -60, 24}, {"OM", -1, 0, 1},
};

const Code* findCode(const QByteArray& letters)
{
    for (const Code& c : kCodes)
        if (letters == c.letters)
            return &c;
    return nullptr;
}

int* slot(SimMicProcessor::Settings& s, const QByteArray& letters, int ch)
{
    if (letters == "IE")
        return &s.aec;
    if (letters == "IF")
        return &s.afc;
    if (letters == "IA")
        return &s.agc;
    if (letters == "IN")
        return &s.anc;
    if (letters == "IT")
        return &s.headphone;
    if (letters == "IG")
        return &s.inGain[size_t(ch)];
    if (letters == "IM")
        return &s.inMute[size_t(ch)];
    if (letters == "OV")
        return &s.outGain[size_t(ch)];
    if (letters == "OM")
        return &s.outMute[size_t(ch)];
    return nullptr;
}

/// A whole number of one to three digits with an optional minus.
bool readNumber(const QByteArray& text, int* out)
{
    const int start = text.startsWith('-') ? 1 : 0;
    if (text.size() - start < 1 || text.size() - start > 3)
        return false;
    for (int i = start; i < text.size(); ++i)
        if (text.at(i) < '0' || text.at(i) > '9')
            return false;
    *out = text.toInt();
    return true;
}

QJsonArray arrayOf(const std::array<int, SimMicProcessor::kChannels>& values)
{
    QJsonArray a;
    for (int v : values)
        a.append(v);
    return a;
}

QList<QByteArray> commandLines(const QByteArray& datagram)
{
    QList<QByteArray> out;
    for (const QByteArray& raw : datagram.split('\n')) {
        const QByteArray line = raw.trimmed();
        if (!line.isEmpty())
            out << line;
    }
    return out;
}

} // namespace

QJsonObject SimMicProcessor::Settings::toJson() const
{
    return QJsonObject{{QStringLiteral("aec"), aec},
                       {QStringLiteral("afc"), afc},
                       {QStringLiteral("agc"), agc},
                       {QStringLiteral("anc"), anc},
                       {QStringLiteral("headphone"), headphone},
                       {QStringLiteral("inGain"), arrayOf(inGain)},
                       {QStringLiteral("inMute"), arrayOf(inMute)},
                       {QStringLiteral("outGain"), arrayOf(outGain)},
                       {QStringLiteral("outMute"), arrayOf(outMute)}};
}

bool SimMicProcessor::Settings::operator==(const Settings& o) const
{
    return aec == o.aec && afc == o.afc && agc == o.agc && anc == o.anc && headphone == o.headphone &&
           inGain == o.inGain && inMute == o.inMute && outGain == o.outGain && outMute == o.outMute;
}

bool SimMicProcessor::isForProcessor(const QByteArray& datagram)
{
    const QList<QByteArray> lines = commandLines(datagram.left(64));
    if (lines.isEmpty() || lines.first().size() < 3)
        return false;
    const QByteArray& first = lines.first();
    const char form = first.at(2);
    if (form != 'r' && form != 's')
        return false;
    return first.startsWith("SS") || findCode(first.left(2)) != nullptr;
}

QByteArray SimMicProcessor::handle(const QByteArray& datagram)
{
    QByteArray out;
    int n = 0;
    for (const QByteArray& line : commandLines(datagram)) {
        if (++n > kMaxLines)
            break;
        ++m_commands;
        out += answer(line) + "\r\n";
    }
    return out;
}

QByteArray SimMicProcessor::answer(const QByteArray& line)
{
    static const QByteArray kErr("ERR");
    if (line.size() < 4)
        return kErr;
    const QByteArray letters = line.left(2);
    const char form = line.at(2);
    const char digit = line.at(3);
    const QByteArray rest = line.mid(4);
    if (letters == "SS") {
        if (form != 's' || digit != '1' || !rest.isEmpty())
            return kErr;
        m_saved = m_live;
        ++m_saveCount;
        return QByteArray("SSs1");
    }
    const Code* code = findCode(letters);
    if (code == nullptr || digit < '0' || digit > '9' || (form != 'r' && form != 's'))
        return kErr;
    const int ch = digit - '0';
    if (code->channel >= 0 ? ch != code->channel : ch >= kChannels)
        return kErr;
    int* value = slot(m_live, letters, ch);
    if (form == 'r') {
        if (!rest.isEmpty())
            return kErr;
    } else {
        int v = 0;
        if (!readNumber(rest, &v))
            return kErr;
        if (v >= code->min && v <= code->max)
            *value = v;
    }
    return letters + 'r' + digit + QByteArray::number(*value);
}

bool SimMicProcessor::preset(const QJsonObject& values, QString* error)
{
    Settings next = m_live;
    const auto fail = [error](const QString& why) {
        if (error != nullptr)
            *error = why;
        return false;
    };
    const auto inRange = [](const QJsonValue& v, int min, int max) {
        return v.isDouble() && v.toDouble() == double(v.toInt()) && v.toInt() >= min && v.toInt() <= max;
    };
    struct Single
    {
        const char* key;
        int* field;
        int min;
        int max;
    };
    const Single singles[] = {{"aec", &next.aec, 0, 5},
                              {"afc", &next.afc, 0, 5},
                              {"agc", &next.agc, 0, 1},
                              {"anc", &next.anc, 0, 5},
                              {"headphone", &next.headphone, 0, 1}};
    struct Channels
    {
        const char* key;
        std::array<int, kChannels>* field;
        int min;
        int max;
    };
    const Channels channels[] = {{"inGain", &next.inGain, -60, 24},
                                 {"inMute", &next.inMute, 0, 1},
                                 {"outGain", &next.outGain, -60, 24},
                                 {"outMute", &next.outMute, 0, 1}};
    for (auto it = values.begin(); it != values.end(); ++it) {
        bool known = false;
        for (const Single& s : singles) {
            if (it.key() != QLatin1String(s.key))
                continue;
            known = true;
            if (!inRange(it.value(), s.min, s.max))
                return fail(QStringLiteral("invalid %1").arg(it.key()));
            *s.field = it.value().toInt();
        }
        for (const Channels& c : channels) {
            if (it.key() != QLatin1String(c.key))
                continue;
            known = true;
            const QJsonArray a = it.value().toArray();
            if (!it.value().isArray() || a.size() != kChannels)
                return fail(QStringLiteral("invalid %1").arg(it.key()));
            for (int ch = 0; ch < kChannels; ++ch) {
                if (!inRange(a.at(ch), c.min, c.max))
                    return fail(QStringLiteral("invalid %1").arg(it.key()));
                (*c.field)[size_t(ch)] = a.at(ch).toInt();
            }
        }
        if (!known)
            return fail(QStringLiteral("unknown key %1").arg(it.key()));
    }
    m_live = next;
    m_saved = next;
    return true;
}

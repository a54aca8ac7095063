#include "SimDspParams.h"

#include "SimReply.h"

#include <QJsonArray>

#include <cmath>
#include <vector>

namespace {

enum class Kind
{
    Number,  ///< finite decimal within [min, max]
    Integer, ///< whole number within [min, max]
    Flag,    ///< "0" or "1"
    Text,    ///< any text (a C-notation mask)
    Array    ///< handled by the block's own rule
};

struct Rule
{
    const char* key;
    Kind kind;
    double min;
    double max;
};

/// Bounds of what a block may hold at all, for keys the device leaves open.
constexpr double kWide = 1e6;
constexpr int kMaxArray = 4096;
/// Upper bound of the ducker's reference channel: replaced by the last input at check time.
constexpr double kLastInput = -1000;

const std::vector<Rule> kBand = {
    {"type", Kind::Integer, 0, 9},
    {"freq0", Kind::Number, 1, 24000},
    {"dbGain", Kind::Number, -48, 24},
    {"qBwS", Kind::Number, 0.017, kWide},
};

const std::vector<Rule> kCompressor = {
    {"trigDb", Kind::Number, -100, 0},     {"ratio", Kind::Number, 1, 128}, {"attackMs", Kind::Number, 1, 1000},
    {"releaseMs", Kind::Number, 1, 10000}, {"kneeDb", Kind::Number, 0, 48},
};

/// Rules per JSON block type (index), empty for a type the processor does not know.
const std::vector<Rule>& rulesOf(int type)
{
    static const std::vector<std::vector<Rule>> rules = {
        /* 0 eq */ {{"eqArr", Kind::Array, 0, 0}, {"bypassArr", Kind::Array, 0, 0}},
        /* 1 delay */ {{"delayNum", Kind::Integer, 0, 480000}, {"maxNum", Kind::Integer, 1, 480000}},
        /* 2 compressor */ kCompressor,
        /* 3 feedback eliminator */ {{"freqShift", Kind::Integer, 0, 100}},
        /* 4 high/low-pass */
        {{"isHpf", Kind::Flag, 0, 1},
         {"order", Kind::Integer, 1, 8},
         {"type", Kind::Integer, 0, 2},
         {"freq0", Kind::Number, 1, 24000}},
        /* 5 fir */
        {{"firType", Kind::Integer, 0, 3},
         {"winType", Kind::Integer, 0, 15},
         {"attDb", Kind::Number, 0, 200},
         {"taps", Kind::Integer, 0, kMaxArray},
         {"maxTaps", Kind::Integer, 1, kMaxArray},
         {"freq0", Kind::Number, 1, 24000},
         {"freq1", Kind::Number, 1, 24000},
         {"arr", Kind::Array, 0, 0}},
        /* 6 limiter */ {{"limitDb", Kind::Number, -100, 0}},
        /* 7 noise gate */
        {{"trigDb", Kind::Number, -100, 0}, {"openMs", Kind::Number, 0, 1000}, {"closeMs", Kind::Number, 0, 1000}},
        /* 8 expander */ kCompressor,
        /* 9 signal generator */
        {{"mode", Kind::Integer, 0, 9}, {"gainDb", Kind::Number, -100, 24}, {"freq", Kind::Number, 1, 24000}},
        /* 10 channel echo canceller */
        {{"hasAec", Kind::Flag, 0, 1},
         {"aecLevel", Kind::Integer, 0, 9},
         {"hasAgc", Kind::Flag, 0, 1},
         {"hasAns", Kind::Flag, 0, 1},
         {"ansLevel", Kind::Integer, 0, 9},
         {"banMask", Kind::Text, 0, 0},
         {"farCh", Kind::Integer, 0, 4096},
         {"farFromOut", Kind::Flag, 0, 1}},
        /* 11 ducker */
        {{"trigDb", Kind::Number, -60, 0},
         {"duckDb", Kind::Number, -80, 0},
         {"attackMs", Kind::Number, 1, 50000},
         {"releaseMs", Kind::Number, 1, 50000},
         {"holdMs", Kind::Number, 1, 50000},
         {"refCh", Kind::Integer, -1, kLastInput}},
    };
    static const std::vector<Rule> none;
    return type >= 0 && type < int(rules.size()) ? rules[size_t(type)] : none;
}

QString number(double v)
{
    return QString::number(v, 'g', 6);
}

/// Why one value breaks its rule; empty when it keeps it.
QString checkValue(const Rule& rule, const QJsonObject& given, int inputs)
{
    const QString key = QLatin1String(rule.key);
    const QJsonValue v = given.value(key);
    const double max = rule.max == kLastInput ? inputs - 1 : rule.max;
    switch (rule.kind) {
    case Kind::Flag:
        return v.toString() == QLatin1String("0") || v.toString() == QLatin1String("1")
                   ? QString()
                   : QStringLiteral("%1 must be 0 or 1").arg(key);
    case Kind::Text:
        return v.isString() ? QString() : QStringLiteral("%1 must be text").arg(key);
    case Kind::Array:
        return QString();
    case Kind::Number:
    case Kind::Integer: {
        const std::optional<double> d = SimReply::readDouble(given, rule.key);
        if (!d)
            return QStringLiteral("%1 is not a number").arg(key);
        if (rule.kind == Kind::Integer && std::floor(*d) != *d)
            return QStringLiteral("%1 must be a whole number").arg(key);
        if (*d < rule.min || *d > max)
            return QStringLiteral("%1 out of range %2..%3").arg(key, number(rule.min), number(max));
        return QString();
    }
    }
    return QString();
}

/// Why `given` breaks `rules`: an unknown key or a value out of range; empty when it keeps them.
QString checkObject(const std::vector<Rule>& rules, const QJsonObject& given, int inputs)
{
    for (auto it = given.begin(); it != given.end(); ++it) {
        const Rule* rule = nullptr;
        for (const Rule& r : rules)
            if (it.key() == QLatin1String(r.key))
                rule = &r;
        if (!rule)
            return QStringLiteral("unknown key %1").arg(it.key());
        const QString problem = checkValue(*rule, given, inputs);
        if (!problem.isEmpty())
            return problem;
    }
    return QString();
}

/// The equaliser's band list and bypass list: as many entries as the block has bands, each one valid.
QString checkEqLists(const QJsonObject& stored, const QJsonObject& given)
{
    const int bands = stored.value(QLatin1String("obj")).toObject().value(QLatin1String("eqArr")).toArray().size();
    for (const char* key : {"eqArr", "bypassArr"}) {
        const QJsonValue v = given.value(QLatin1String(key));
        if (v.isUndefined())
            continue;
        if (!v.isArray() || v.toArray().size() != bands)
            return QStringLiteral("%1 must hold %2 entries").arg(QLatin1String(key)).arg(bands);
        for (const QJsonValue& e : v.toArray()) {
            const QString problem =
                QLatin1String(key) == QLatin1String("eqArr")
                    ? (e.isObject() ? SimDspParams::checkBand(e.toObject()) : QStringLiteral("band must be an object"))
                    : (e.toString() == QLatin1String("0") || e.toString() == QLatin1String("1")
                           ? QString()
                           : QStringLiteral("bypassArr entries must be 0 or 1"));
            if (!problem.isEmpty())
                return problem;
        }
    }
    return QString();
}

} // namespace

QString SimDspParams::check(const QJsonObject& stored, const QJsonObject& given, int inputs)
{
    const std::optional<int> type = SimReply::readIntIn(stored, "type", 0, 1000);
    const std::vector<Rule>& rules = rulesOf(type.value_or(-1));
    if (rules.empty())
        return QStringLiteral("unknown block type");
    QString problem = checkObject(rules, given, inputs);
    if (problem.isEmpty() && *type == 0)
        problem = checkEqLists(stored, given);
    if (problem.isEmpty() && *type == 5 && given.contains(QLatin1String("arr"))) {
        const QJsonValue arr = given.value(QLatin1String("arr"));
        if (!arr.isArray() || arr.toArray().size() > kMaxArray)
            problem = QStringLiteral("arr must be a list of at most %1 coefficients").arg(kMaxArray);
    }
    if (problem.isEmpty() && *type == 1) {
        // The delay cannot pass its own maximum, whichever of the two the change names.
        const QJsonObject params = stored.value(QLatin1String("obj")).toObject();
        const QJsonObject& delaySource = given.contains(QLatin1String("delayNum")) ? given : params;
        const QJsonObject& maxSource = given.contains(QLatin1String("maxNum")) ? given : params;
        const double delay = SimReply::readDouble(delaySource, "delayNum").value_or(0);
        const double max = SimReply::readDouble(maxSource, "maxNum").value_or(480000);
        if (delay > max)
            problem = QStringLiteral("delayNum above maxNum");
    }
    return problem;
}

QString SimDspParams::checkBand(const QJsonObject& given)
{
    return checkObject(kBand, given, 0);
}

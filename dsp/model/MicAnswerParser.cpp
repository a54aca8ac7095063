#include "MicAnswerParser.h"

#include "MicState.h"

namespace MicAnswerParser {

namespace {

/// Values are whole numbers of at most three digits (the widest range is -60..24).
constexpr int kMaxValueDigits = 3;

bool parseValue(QStringView text, int* out)
{
    int i = 0;
    bool negative = false;
    if (!text.isEmpty() && text.at(0) == QLatin1Char('-')) {
        negative = true;
        i = 1;
    }
    const int digits = int(text.size()) - i;
    if (digits < 1 || digits > kMaxValueDigits)
        return false;
    int v = 0;
    for (; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
        v = v * 10 + (c.unicode() - '0');
    }
    *out = negative ? -v : v;
    return true;
}

} // namespace

std::optional<MicAnswer> parseLine(QStringView line)
{
    line = line.trimmed();
    if (line.size() < 4 || line.size() > kMaxLineChars)
        return std::nullopt;
    const QStringView head = line.left(2);
    for (MicCode code : MicCommands::codes()) {
        if (head != MicCommands::letters(code))
            continue;
        // Reads are answered in the read form; the save is confirmed by its own command.
        const QChar form = code == MicCode::Save ? QLatin1Char('s') : QLatin1Char('r');
        if (line.at(2) != form)
            return std::nullopt;
        const QChar digit = line.at(3);
        if (digit < QLatin1Char('0') || digit > QLatin1Char('9'))
            return std::nullopt;
        MicAnswer a;
        a.code = code;
        a.channel = digit.unicode() - '0';
        if (!MicCommands::isValidChannel(code, a.channel))
            return std::nullopt;
        const QStringView rest = line.mid(4);
        if (code == MicCode::Save) {
            if (!rest.isEmpty())
                return std::nullopt;
            return a;
        }
        if (!parseValue(rest, &a.value) || !MicCommands::range(code).contains(a.value))
            return std::nullopt;
        return a;
    }
    return std::nullopt;
}

QVector<MicAnswer> parse(const QString& text)
{
    QVector<MicAnswer> out;
    if (text.size() > kMaxTextChars)
        return out;
    int lines = 0;
    int start = 0;
    while (start <= text.size() && lines < kMaxLines) {
        int end = text.indexOf(QLatin1Char('\n'), start);
        if (end < 0)
            end = int(text.size());
        const QStringView line = QStringView(text).mid(start, end - start);
        if (!line.trimmed().isEmpty()) {
            ++lines;
            if (const std::optional<MicAnswer> a = parseLine(line))
                out.append(*a);
        }
        start = end + 1;
    }
    return out;
}

int apply(const QString& text, MicState& state, bool* saved)
{
    int changed = 0;
    for (const MicAnswer& a : parse(text)) {
        if (a.code == MicCode::Save) {
            if (saved != nullptr)
                *saved = true;
        } else if (state.setValue(a.code, a.channel, a.value)) {
            ++changed;
        }
    }
    return changed;
}

} // namespace MicAnswerParser

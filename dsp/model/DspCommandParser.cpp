#include "DspCommandParser.h"

#include "CBaseItem.h"
#include "DspCpuEstimate.h"

#include <QStringList>

namespace {

struct BlockName
{
    const char* name;
    int kind;
    bool hpf;
};

// "hpf" and "lpf" are one block kind with two flavours; everything else is one name per kind.
constexpr BlockName kBlockNames[] = {
    {"eq", CBaseItem::KindEq, true},
    {"hpf", CBaseItem::KindHlpf, true},
    {"lpf", CBaseItem::KindHlpf, false},
    {"delay", CBaseItem::KindDelay, true},
    {"fbe", CBaseItem::KindFbe, true},
    {"compress", CBaseItem::KindCompress, true},
    {"limit", CBaseItem::KindLimit, true},
    {"expand", CBaseItem::KindExpand, true},
    {"noisegate", CBaseItem::KindNoiseGate, true},
    {"ducker", CBaseItem::KindDucker, true},
    {"fir", CBaseItem::KindFir, true},
    {"siggen", CBaseItem::KindSignalGen, true},
    {"aec", CBaseItem::KindChAec, true},
};

QString quoted(QChar c)
{
    return QStringLiteral("\"%1\"").arg(c);
}

/// Reads one line. Every reader returns false after recording the first fault; the caller then stops.
class LineReader
{
public:
    LineReader(const QString& text, int lineNo, int inputs, int outputs)
        : m_text(text), m_line(lineNo), m_inputs(inputs), m_outputs(outputs)
    {
    }

    DspCommandError error() const { return m_error; }
    qint64 crosspoints() const { return m_crosspoints; }

    bool command(DspCommand* out, qint64 crosspointsBefore)
    {
        m_crosspoints = crosspointsBefore;
        out->line = m_line;
        skipSpace();
        const int at = m_pos;
        const QString keyword = word();
        if (keyword == QLatin1String("comm"))
            out->type = DspCommand::Comm;
        else if (keyword == QLatin1String("proc"))
            out->type = DspCommand::Proc;
        else if (keyword == QLatin1String("matrix"))
            out->type = DspCommand::Matrix;
        else if (keyword == QLatin1String("gainShared"))
            out->type = DspCommand::GainShared;
        else if (keyword == QLatin1String("core"))
            out->type = DspCommand::Core;
        else
            return failAt(at, QStringLiteral("命令名 comm、proc、matrix、gainShared 或 core"),
                          QStringLiteral("a command name: comm, proc, matrix, gainShared or core"));
        if (!expect('#'))
            return false;
        bool ok = false;
        switch (out->type) {
        case DspCommand::Comm:
            ok = direction(&out->isInput) && expect('#') && channelSet(out->isInput, &out->channels) && expect('#') &&
                 commValues(out);
            break;
        case DspCommand::Proc:
            ok = direction(&out->isInput) && expect('#') && channelSet(out->isInput, &out->channels) && expect('#') &&
                 blocks(&out->blocks);
            break;
        case DspCommand::Matrix:
            ok = matrix(out);
            break;
        case DspCommand::GainShared:
            ok = channelSet(false, &out->channels) && (!take('#') || flag(&out->share));
            break;
        case DspCommand::Core: {
            out->isInput = true;
            qint64 core = 0;
            ok = direction(&out->isInput) && expect('#') && channelSet(out->isInput, &out->channels) && expect('#') &&
                 integer(&core, -1, DspCpuEstimate::Cores - 1,
                         QStringLiteral("核编号 -1..%1").arg(DspCpuEstimate::Cores - 1),
                         QStringLiteral("a core number -1..%1").arg(DspCpuEstimate::Cores - 1));
            out->core = int(core);
            break;
        }
        }
        return ok && endOfLine();
    }

private:
    void skipSpace()
    {
        while (m_pos < m_text.size() && m_text.at(m_pos).isSpace())
            ++m_pos;
    }

    bool failAt(int pos, const QString& zh, const QString& en)
    {
        m_error = DspCommandError{m_line, pos + 1, zh, en};
        return false;
    }

    bool fail(const QString& zh, const QString& en)
    {
        skipSpace();
        return failAt(m_pos, zh, en);
    }

    bool take(char c)
    {
        skipSpace();
        if (m_pos < m_text.size() && m_text.at(m_pos) == QLatin1Char(c)) {
            ++m_pos;
            return true;
        }
        return false;
    }

    bool peek(char c)
    {
        skipSpace();
        return m_pos < m_text.size() && m_text.at(m_pos) == QLatin1Char(c);
    }

    bool expect(char c) { return take(c) || fail(quoted(QLatin1Char(c)), quoted(QLatin1Char(c))); }

    bool endOfLine()
    {
        skipSpace();
        return m_pos >= m_text.size() || fail(QStringLiteral("行尾"), QStringLiteral("the end of the line"));
    }

    QString word()
    {
        skipSpace();
        const int start = m_pos;
        while (m_pos < m_text.size() && m_text.at(m_pos).unicode() < 128 && m_text.at(m_pos).isLetter())
            ++m_pos;
        return m_text.mid(start, m_pos - start);
    }

    /// Digits at the cursor (at most MaxDigits), without a sign.
    bool digits(qint64* value, int* count, const QString& zh, const QString& en)
    {
        const int start = m_pos;
        qint64 v = 0;
        int n = 0;
        while (m_pos < m_text.size() && m_text.at(m_pos).unicode() >= '0' && m_text.at(m_pos).unicode() <= '9') {
            if (++n > DspCommandParser::MaxDigits)
                return failAt(start, QStringLiteral("%1（最多 %2 位数字）").arg(zh).arg(DspCommandParser::MaxDigits),
                              QStringLiteral("%1 (at most %2 digits)").arg(en).arg(DspCommandParser::MaxDigits));
            v = v * 10 + (m_text.at(m_pos).unicode() - '0');
            ++m_pos;
        }
        if (n == 0)
            return failAt(start, zh, en);
        *value = v;
        *count = n;
        return true;
    }

    /// An integer, optionally negative, within lo..hi.
    bool integer(qint64* value, qint64 lo, qint64 hi, const QString& zh, const QString& en)
    {
        skipSpace();
        const int start = m_pos;
        const bool negative = lo < 0 && take('-');
        int n = 0;
        if (!digits(value, &n, zh, en))
            return false;
        if (negative)
            *value = -*value;
        if (*value < lo || *value > hi)
            return failAt(start, zh, en);
        return true;
    }

    /// A decimal number, optionally negative with a fraction, within lo..hi.
    bool decimal(double* value, double lo, double hi, const QString& zh, const QString& en)
    {
        skipSpace();
        const int start = m_pos;
        const bool negative = take('-');
        qint64 whole = 0;
        int n = 0;
        if (!digits(&whole, &n, zh, en))
            return false;
        double v = double(whole);
        if (m_pos < m_text.size() && m_text.at(m_pos) == QLatin1Char('.')) {
            ++m_pos;
            qint64 fraction = 0;
            int places = 0;
            if (!digits(&fraction, &places, zh, en))
                return false;
            double scale = 1;
            for (int i = 0; i < places; ++i)
                scale *= 10;
            v += double(fraction) / scale;
        }
        if (negative)
            v = -v;
        if (v < lo || v > hi)
            return failAt(start, zh, en);
        *value = v;
        return true;
    }

    bool flag(bool* value)
    {
        qint64 v = 0;
        if (!integer(&v, 0, 1, QStringLiteral("0 或 1"), QStringLiteral("0 or 1")))
            return false;
        *value = v == 1;
        return true;
    }

    bool direction(bool* isInput)
    {
        skipSpace();
        const int at = m_pos;
        const QString w = word();
        if (w == QLatin1String("in") || w == QLatin1String("out")) {
            *isInput = w == QLatin1String("in");
            return true;
        }
        return failAt(at, QStringLiteral("in 或 out"), QStringLiteral("in or out"));
    }

    bool channelNumber(int count, bool isInput, int* number)
    {
        const QString zh = count > 0 ? QStringLiteral("%1通道号 1..%2").arg(isInput ? "输入" : "输出").arg(count)
                                     : QStringLiteral("%1通道（没有%1通道）").arg(isInput ? "输入" : "输出");
        const QString en = count > 0
                               ? QStringLiteral("an %1 channel 1..%2").arg(isInput ? "input" : "output").arg(count)
                               : QStringLiteral("an %1 channel (there are none)").arg(isInput ? "input" : "output");
        qint64 v = 0;
        if (!integer(&v, 1, count, zh, en))
            return false;
        *number = int(v);
        return true;
    }

    /// "*", or numbers and ranges separated by ",". The result is sorted and without repeats.
    bool channelSet(bool isInput, QVector<int>* out)
    {
        const int count = isInput ? m_inputs : m_outputs;
        out->clear();
        if (take('*')) {
            for (int i = 0; i < count; ++i)
                out->append(i);
            return true;
        }
        // Counts are bounded by the caller, so a set is at most one flag per channel.
        QVector<bool> chosen(count, false);
        do {
            int first = 0;
            if (!channelNumber(count, isInput, &first))
                return false;
            int last = first;
            if (take('-')) {
                skipSpace();
                const int at = m_pos;
                if (!channelNumber(count, isInput, &last))
                    return false;
                if (last < first)
                    return failAt(at, QStringLiteral("不小于 %1 的通道号").arg(first),
                                  QStringLiteral("a channel number not below %1").arg(first));
            }
            for (int ch = first; ch <= last; ++ch)
                chosen[ch - 1] = true;
        } while (take(','));
        for (int i = 0; i < count; ++i)
            if (chosen.at(i))
                out->append(i);
        return true;
    }

    /// "(gain,mute,inverse,group)", each value or "*" to keep it.
    bool commValues(DspCommand* out)
    {
        if (!expect('('))
            return false;
        for (int field = 0; field < 4; ++field) {
            if (field > 0 && !expect(','))
                return false;
            if (take('*'))
                continue;
            double gain = 0;
            bool on = false;
            qint64 group = 0;
            switch (field) {
            case 0:
                if (!decimal(&gain, DspCommandParser::MinChannelGainDb, DspCommandParser::MaxChannelGainDb,
                             QStringLiteral("增益 -72..12 dB 或 *"), QStringLiteral("a gain -72..12 dB or *")))
                    return false;
                out->gainDb = gain;
                break;
            case 1:
            case 2:
                if (!flag(&on))
                    return false;
                (field == 1 ? out->mute : out->inverse) = on;
                break;
            default:
                if (!integer(&group, -1, DspCommandParser::MaxGroupId, QStringLiteral("编组 -1..15 或 *"),
                             QStringLiteral("a group -1..15 or *")))
                    return false;
                out->groupId = int(group);
                break;
            }
        }
        return expect(')');
    }

    bool blocks(QVector<DspBlockRequest>* out)
    {
        const QString names = DspCommandParser::blockNames().join(QStringLiteral(", "));
        do {
            skipSpace();
            const int at = m_pos;
            const QString name = word().toLower();
            const BlockName* found = nullptr;
            for (const BlockName& b : kBlockNames)
                if (name == QLatin1String(b.name))
                    found = &b;
            if (found == nullptr)
                return failAt(at, QStringLiteral("功能块名 %1").arg(names),
                              QStringLiteral("a block name: %1").arg(names));
            if (out->size() >= DspCommandParser::MaxBlocksPerCommand)
                return failAt(
                    at, QStringLiteral("行尾（一条命令最多 %1 个功能块）").arg(DspCommandParser::MaxBlocksPerCommand),
                    QStringLiteral("the end of the line (at most %1 blocks a command)")
                        .arg(DspCommandParser::MaxBlocksPerCommand));
            DspBlockRequest wanted;
            wanted.kind = found->kind;
            wanted.hpf = found->hpf;
            wanted.name = name;
            wanted.line = m_line;
            wanted.column = at + 1;
            if (found->kind == CBaseItem::KindEq && take('(')) {
                qint64 bands = 0;
                if (!integer(&bands, 1, DspCommandParser::MaxEqBands, QStringLiteral("频段数 1..64"),
                             QStringLiteral("a band count 1..64")) ||
                    !expect(')'))
                    return false;
                wanted.bandCount = int(bands);
            }
            out->append(wanted);
        } while (take(','));
        return true;
    }

    /// A channel set, or "[" sets separated by ";" "]".
    bool routeSide(bool isInput, bool grouped, QVector<QVector<int>>* out)
    {
        if (!grouped) {
            QVector<int> set;
            if (!channelSet(isInput, &set))
                return false;
            out->append(set);
            return true;
        }
        do {
            skipSpace();
            if (out->size() >= DspCommandParser::MaxGroups)
                return fail(quoted(QLatin1Char(']')), quoted(QLatin1Char(']')));
            QVector<int> set;
            if (!channelSet(isInput, &set))
                return false;
            out->append(set);
        } while (take(';'));
        return expect(']');
    }

    bool matrix(DspCommand* out)
    {
        QVector<QVector<int>> ins;
        QVector<QVector<int>> outs;
        const bool grouped = take('[');
        if (!routeSide(true, grouped, &ins) || !expect('#'))
            return false;
        skipSpace();
        const int outAt = m_pos;
        if (grouped) {
            if (!expect('['))
                return false;
        } else if (peek('[')) {
            return fail(QStringLiteral("输出通道集合（输入没有用 [ ] 分组）"),
                        QStringLiteral("an output channel set (the inputs are not grouped with [ ])"));
        }
        if (!routeSide(false, grouped, &outs))
            return false;
        if (outs.size() != ins.size())
            return failAt(outAt, QStringLiteral("与输入同样多的 %1 组").arg(ins.size()),
                          QStringLiteral("as many groups as the inputs (%1)").arg(ins.size()));
        if (take('#') &&
            !decimal(&out->matrixGainDb, DspCommandParser::MinMatrixGainDb, DspCommandParser::MaxMatrixGainDb,
                     QStringLiteral("矩阵增益 -48..12 dB"), QStringLiteral("a matrix gain -48..12 dB")))
            return false;
        qint64 cells = 0;
        for (int i = 0; i < ins.size(); ++i) {
            cells += qint64(ins.at(i).size()) * outs.at(i).size();
            out->routes.append(qMakePair(ins.at(i), outs.at(i)));
        }
        if (m_crosspoints + cells > DspCommandParser::MaxCrosspoints)
            return failAt(
                0,
                QStringLiteral("更少的交叉点（所有 matrix 命令合计最多 %1 个）").arg(DspCommandParser::MaxCrosspoints),
                QStringLiteral("fewer crosspoints (at most %1 for all matrix commands)")
                    .arg(DspCommandParser::MaxCrosspoints));
        m_crosspoints += cells;
        return true;
    }

    const QString& m_text;
    const int m_line;
    const int m_inputs;
    const int m_outputs;
    int m_pos = 0;
    qint64 m_crosspoints = 0;
    DspCommandError m_error;
};

} // namespace

QString DspCommandError::text(bool chinese) const
{
    if (chinese)
        return QStringLiteral("命令解析异常：第 %1 行第 %2 列：应为%3").arg(line).arg(column).arg(expectedZh);
    return QStringLiteral("Command parse error: line %1, column %2: expected %3").arg(line).arg(column).arg(expectedEn);
}

QStringList DspCommandParser::blockNames()
{
    QStringList names;
    for (const BlockName& b : kBlockNames)
        names.append(QLatin1String(b.name));
    return names;
}

DspCommandParser::Result DspCommandParser::parse(const QString& text, int inputs, int outputs)
{
    Result result;
    inputs = qBound(0, inputs, MaxChannels);
    outputs = qBound(0, outputs, MaxChannels);
    const QStringList lines = text.left(MaxTextLength + 1).split(QLatin1Char('\n'));
    int offset = 0;
    int commands = 0;
    qint64 crosspoints = 0;
    for (int i = 0; i < lines.size(); ++i) {
        QString line = lines.at(i);
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (offset + line.size() > MaxTextLength) {
            result.error = {i + 1, MaxTextLength - offset + 1,
                            QStringLiteral("文本结束（最多 %1 个字符）").arg(MaxTextLength),
                            QStringLiteral("the end of the text (at most %1 characters)").arg(MaxTextLength)};
            break;
        }
        offset += lines.at(i).size() + 1;
        if (line.trimmed().isEmpty())
            continue;
        if (++commands > MaxCommands) {
            result.error = {i + 1, 1, QStringLiteral("文本结束（最多 %1 条命令）").arg(MaxCommands),
                            QStringLiteral("the end of the text (at most %1 commands)").arg(MaxCommands)};
            break;
        }
        LineReader reader(line, i + 1, inputs, outputs);
        DspCommand command;
        if (!reader.command(&command, crosspoints)) {
            result.error = reader.error();
            break;
        }
        crosspoints = reader.crosspoints();
        result.plan.commands.append(command);
    }
    if (result.error.isError())
        result.plan = DspCommandPlan();
    return result;
}

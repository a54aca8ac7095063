#pragma once
#include <QPair>
#include <QString>
#include <QVector>

#include <optional>

/// Where a typed command could not be read, and what would have been accepted there. Lines and columns count
/// from 1; a column one past the end of the line means the line ended too early.
struct DspCommandError
{
    int line = 0;
    int column = 0;
    QString expectedZh; ///< what was expected, in Chinese
    QString expectedEn; ///< the same in English

    bool isError() const { return line > 0; }
    /// "命令解析异常：第 L 行第 C 列：应为 …" or "Command parse error: line L, column C: expected …".
    QString text(bool chinese) const;
};

/// One block a "proc" command adds, with the place it was typed (for refusals found when it is applied).
struct DspBlockRequest
{
    int kind = -1;     ///< CBaseItem::Kind
    bool hpf = true;   ///< for KindHlpf: high-pass (true) or low-pass
    int bandCount = 0; ///< for KindEq: its bands (0: the default)
    QString name;      ///< as typed
    int line = 0;
    int column = 0;
};

/// One parsed command. Channel lists are 0-based, ascending and free of repeats.
struct DspCommand
{
    enum Type
    {
        Comm,
        Proc,
        Matrix,
        GainShared,
        Core
    };

    Type type = Comm;
    int line = 0;
    bool isInput = true;   ///< comm, proc, core
    QVector<int> channels; ///< comm, proc, core: the channels; gainShared: the output columns

    // comm: what is left unset ("*") keeps the channel's value.
    std::optional<double> gainDb;
    std::optional<bool> mute;
    std::optional<bool> inverse;
    std::optional<int> groupId;

    QVector<DspBlockRequest> blocks; ///< proc, in chain order

    /// matrix: pairs of (input rows, output columns); every input of a pair reaches every output of it.
    QVector<QPair<QVector<int>, QVector<int>>> routes;
    double matrixGainDb = 0; ///< matrix

    bool share = true; ///< gainShared
    int core = -1;     ///< core
};

/// The commands of one text in the order they were typed; each applies after the ones before it.
struct DspCommandPlan
{
    QVector<DspCommand> commands;
};

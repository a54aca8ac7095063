#pragma once
#include "MicCommands.h"

#include <QString>
#include <QStringView>
#include <QVector>

#include <optional>

struct MicState;

/// One setting the microphone processor reported: "IEr13" is echo cancellation at level 3, "OVr2-6" output 2 at
/// -6 dB, "SSs1" the confirmation of a save.
struct MicAnswer
{
    MicCode code = MicCode::Aec;
    int channel = 0;
    int value = 0; ///< 0 for Save
};

/// Reads the texts the processor returns through the serial tunnel. They come from the network: every line is
/// checked whole (known code, the channel the code has, a value within its range), and anything else, a text too
/// long or with too many lines included, is dropped without changing anything.
namespace MicAnswerParser {

/// Longer returns are no answer of this processor (its answers are a few bytes a line).
constexpr int kMaxTextChars = 4096;
constexpr int kMaxLines = 64;
constexpr int kMaxLineChars = 24;

/// One line without its line end; nothing when it is not a read answer or a save confirmation.
std::optional<MicAnswer> parseLine(QStringView line);
/// Every answer of a returned text, in order; lines that are no answer are skipped.
QVector<MicAnswer> parse(const QString& text);
/// Applies the answers of `text` to `state`; the number of settings that changed. A save confirmation changes
/// nothing and sets `*saved` (when given).
int apply(const QString& text, MicState& state, bool* saved = nullptr);

} // namespace MicAnswerParser

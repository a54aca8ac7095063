#pragma once
#include <QJsonObject>
#include <QString>

/// Brings a program stored by older processor firmware into the current configuration form (docs/PROGRAMS.md).
///
/// Older forms differ from the current one ("version" 4) in three ways, each undone here:
/// - the configuration was kept as JSON text under "msgJson" instead of as an object;
/// - the automixer's trigger level was called "triggerDb" (now "trigDb");
/// - numbers and flags were JSON numbers and booleans (now decimal text and "1"/"0").
/// The converted configuration carries "version" "4". Nothing else is changed.
namespace ProgramConverter {

constexpr int kCurrentVersion = 4;
/// Older programs never held more than this; a larger "msgJson" text is refused rather than parsed.
constexpr int kMaxMsgJsonBytes = 32 * 1024 * 1024;
/// Deeper JSON than any configuration has is refused rather than walked.
constexpr int kMaxDepth = 32;

enum class Outcome
{
    Converted,
    NotNeeded,    ///< already the current form
    WrongVersion, ///< "version" is not a number, or newer than this program knows
    Failed        ///< unreadable "msgJson", no node list, or too deep
};

struct Result
{
    Outcome outcome = Outcome::Failed;
    QJsonObject config; ///< the converted configuration (Converted), else the input as given
};

/// The configuration's "version"; 0 when it has none (the oldest form); -1 when it is not a whole number.
int versionOf(const QJsonObject& config);
/// True when convert() would change something (an older version, "msgJson", "triggerDb", a bare number or flag).
bool needsConversion(const QJsonObject& config);
Result convert(const QJsonObject& config);
/// The message for an outcome; empty for Converted.
QString text(Outcome outcome);

} // namespace ProgramConverter

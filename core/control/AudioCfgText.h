#pragma once
#include <QPair>
#include <QString>
#include <QStringList>
#include <QVector>

/// The device's low-level audio configuration as the test page edits it: "key=value" lines, of which the page
/// offers ten keys with fixed choices. Unknown lines are kept as they are, so an edit never drops what the page
/// does not understand.
namespace AudioCfgText {

/// The text of one "getCfg" answer is bounded: longer texts are refused, not cut.
constexpr int kMaxTextBytes = 16 * 1024;
constexpr int kMaxLines = 512;
/// Channel counts the editor accepts.
constexpr int kMaxChannels = 256;

enum class Kind
{
    Count,  ///< a whole number 0..kMaxChannels
    Choice, ///< one of `choices`
    Flag    ///< "0" or "1"
};

struct Key
{
    const char* key; ///< without "="
    const char* label;
    Kind kind;
    QStringList choices; ///< Choice keys only
};

/// The ten edited keys, in the order the editor shows them.
const QVector<Key>& editedKeys();

/// One configuration text as ordered lines; a line without "=" keeps its whole text as key and an empty value.
struct Lines
{
    QVector<QPair<QString, QString>> entries;
    QVector<bool> hasEquals;

    /// The value of `key`, or a null string when the text has no such line.
    QString value(const QString& key) const;
    /// Replaces the value of `key`, or appends the line when the text has none.
    void set(const QString& key, const QString& value);
    /// The lines joined by "\n".
    QString text() const;
};

/// Reads a configuration text; false (with `error`) when it exceeds the bounds.
bool parse(const QString& text, Lines* out, QString* error);

/// Checks the edited keys' values in `lines`; the first problem as text (naming the key), or empty.
QString check(const Lines& lines);

/// Why the configuration edit is refused for `firmware` with the code `code` entered at the prompt, or empty
/// when it may go ahead: firmware sorting before "3.0.0" cannot take it, and only the code of the second
/// factory panel set opens it.
QString editRefusal(const QString& firmware, const QString& code);

} // namespace AudioCfgText

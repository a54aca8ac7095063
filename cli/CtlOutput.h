#pragma once
#include <QByteArray>

class QJsonObject;
class QString;

/// The controller's machine-readable output. The registry writes its log lines to standard
/// output; the controller moves them to standard error at start so that its own output stays
/// clean JSON.
namespace CtlOutput {

/// Keeps the original standard output for write() and points file descriptor 1 at standard error.
void separateFromLogs();
/// Writes bytes to the original standard output and flushes.
void write(const QByteArray& bytes);
/// Writes one line to standard error.
void error(const QByteArray& line);
/// One result line: `obj` as compact JSON when `json`, else `text` (nothing when empty: a refusal is said on
/// standard error alone).
void result(bool json, const QJsonObject& obj, const QString& text);
/// One progress line "[done/total] text" on standard error. The text may quote a device's reply: one that may
/// hold a password is withheld.
void progress(const QString& text, int done, int total);
/// One error line on standard error, after the program's name.
void fail(const QString& line);

} // namespace CtlOutput

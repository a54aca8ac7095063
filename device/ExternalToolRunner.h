#pragma once
#include <QString>
#include <QStringList>

/// Runs the external command-line tool "tools/Quill.exe" (or a same-named program without ".exe", as it is
/// installed outside Windows) and judges its answer. The event loop keeps running while the tool works, so
/// the window stays painted; the caller disables its inputs meanwhile.
class ExternalToolRunner
{
public:
    /// `baseDir` is the folder holding "tools/"; empty means the application's folder.
    explicit ExternalToolRunner(const QString& baseDir = QString());

    /// The tool's path, or empty when neither "tools/Quill.exe" nor "tools/Quill" exists.
    QString toolPath() const;

    /// Polling of the tool's output: `rounds` waits of `intervalMs` each (defaults 30 x 300 ms).
    void setPolling(int rounds, int intervalMs);

    /// Runs the tool with `args`, polls its standard output until it ends or the rounds are used up, then
    /// kills it. True when the output contains "succ". `output` receives what the tool printed.
    bool run(const QStringList& args, QString* output = nullptr) const;

private:
    QString m_baseDir;
    int m_rounds = 30;
    int m_intervalMs = 300;
};

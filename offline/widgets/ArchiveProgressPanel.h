#pragma once
#include <QStringList>
#include <QWidget>

class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

/// The running part of an export or a load: a progress bar, the current device and step, every log line, and a
/// cancel button that asks the worker to stop between steps.
class ArchiveProgressPanel : public QWidget
{
    Q_OBJECT
public:
    /// Log lines kept at most; older ones are dropped (a long load of many devices stays responsive).
    static constexpr int MaxLogLines = 20000;

    explicit ArchiveProgressPanel(QWidget* parent = nullptr);

    /// The current step's text and the steps done and in all (a total of 0 shows a busy bar).
    void setProgress(const QString& text, int done, int total);
    void appendLog(const QString& line);
    void clearLog();
    /// Shows or hides the cancel button (shown while a worker runs).
    void setRunning(bool running);

    QString currentText() const;
    QStringList logLines() const { return m_lines; }
    QProgressBar* progressBar() const { return m_bar; }
    QPushButton* cancelButton() const { return m_cancel; }

signals:
    void signal_cancel();

private:
    QProgressBar* m_bar;
    QLabel* m_current;
    QPlainTextEdit* m_log;
    QPushButton* m_cancel;
    QStringList m_lines;
};

#pragma once
#include "ArchiveLoadPreview.h"

#include <QStringList>
#include <QWidget>

class QLabel;
class QPlainTextEdit;

/// The "what will change" list before a load: per assigned device, the values of the chosen categories that
/// differ between the archive and the device now, or "no change".
class ArchivePreviewView : public QWidget
{
    Q_OBJECT
public:
    explicit ArchivePreviewView(QWidget* parent = nullptr);

    void showEntries(const QVector<ArchiveLoadPreview::Entry>& entries);
    void showMessage(const QString& text);
    void clear();

    /// The lines shown, for the tests and the log.
    QStringList lines() const { return m_lines; }
    /// The lines of the preview: a heading per device, then its changes, its notes, or "no change".
    static QStringList format(const QVector<ArchiveLoadPreview::Entry>& entries, bool chinese);

private:
    void setLines(const QStringList& lines);

    QLabel* m_heading;
    QPlainTextEdit* m_text;
    QStringList m_lines;
};

#pragma once
#include <QPlainTextEdit>

/// The SAP monitor: a read-only text view over the main window that shows each SAP announcement as it
/// arrives. Keeps a bounded number of lines so a busy network cannot grow it without end.
class SapMonitorView : public QPlainTextEdit
{
    Q_OBJECT
public:
    static constexpr int kMaxLines = 2000;

    explicit SapMonitorView(QWidget* parent);

public slots:
    void handleSapText(QString text);
};

#include "ArchiveProgressPanel.h"

#include "AppState.h"
#include "StyledButton.h"
#include "UiScale.h"

#include <QGridLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>

ArchiveProgressPanel::ArchiveProgressPanel(QWidget* parent)
    : QWidget(parent), m_bar(new QProgressBar(this)), m_current(new QLabel(this)), m_log(new QPlainTextEdit(this)),
      m_cancel(new StyledButton(AppState::pick(QStringLiteral("取消"), QStringLiteral("Cancel")), StyledButton::Action,
                                this))
{
    setObjectName(QStringLiteral("archiveProgress"));
    m_bar->setObjectName(QStringLiteral("progress_bar"));
    m_bar->setRange(0, 1);
    m_bar->setValue(0);
    m_bar->setFormat(QStringLiteral("%v / %m"));
    // Light text on a dark trough stays readable on both sides of the chunk's edge.
    m_bar->setStyleSheet(QStringLiteral("QProgressBar{color:#d8dee6;background:#2b333d;border:1px solid #3a4450;"
                                        "text-align:center;}QProgressBar::chunk{background:#2a7bd0;}"));
    m_current->setObjectName(QStringLiteral("current_lab"));
    // A long device name or reply must not widen the dialog: the label elides by wrapping instead.
    m_current->setWordWrap(true);
    m_current->setMinimumHeight(UiScale::px(34));
    m_log->setObjectName(QStringLiteral("log_edit"));
    m_log->setReadOnly(true);
    m_log->setMaximumBlockCount(MaxLogLines);
    m_log->setMinimumHeight(UiScale::px(90));
    m_cancel->setObjectName(QStringLiteral("cancel_run_bt"));
    m_cancel->hide();
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(UiScale::px(6));
    grid->addWidget(m_bar, 0, 0);
    grid->addWidget(m_cancel, 0, 1);
    grid->addWidget(m_current, 1, 0, 1, 2);
    grid->addWidget(m_log, 2, 0, 1, 2);
    grid->setColumnStretch(0, 1);
    connect(m_cancel, &QPushButton::clicked, this, &ArchiveProgressPanel::signal_cancel);
}

void ArchiveProgressPanel::setProgress(const QString& text, int done, int total)
{
    if (!text.isEmpty())
        m_current->setText(text);
    if (total <= 0) {
        m_bar->setRange(0, 0);
        return;
    }
    m_bar->setRange(0, total);
    m_bar->setValue(qBound(0, done, total));
}

void ArchiveProgressPanel::appendLog(const QString& line)
{
    m_lines.append(line);
    if (m_lines.size() > MaxLogLines)
        m_lines.removeFirst();
    m_log->appendPlainText(line);
}

void ArchiveProgressPanel::clearLog()
{
    m_lines.clear();
    m_log->clear();
    m_current->clear();
    m_bar->setRange(0, 1);
    m_bar->setValue(0);
}

void ArchiveProgressPanel::setRunning(bool running)
{
    m_cancel->setVisible(running);
    m_cancel->setEnabled(running);
}

QString ArchiveProgressPanel::currentText() const
{
    return m_current->text();
}

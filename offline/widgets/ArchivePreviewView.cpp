#include "ArchivePreviewView.h"

#include "AppState.h"
#include "ArchiveDiff.h"
#include "UiScale.h"

#include <QHostAddress>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

ArchivePreviewView::ArchivePreviewView(QWidget* parent)
    : QWidget(parent),
      m_heading(new QLabel(AppState::pick(QStringLiteral("将要修改的参数"), QStringLiteral("What will change")), this)),
      m_text(new QPlainTextEdit(this))
{
    setObjectName(QStringLiteral("archivePreview"));
    m_heading->setObjectName(QStringLiteral("preview_lab"));
    m_text->setObjectName(QStringLiteral("preview_edit"));
    m_text->setReadOnly(true);
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_text->setMinimumHeight(UiScale::px(120));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(UiScale::px(4));
    layout->addWidget(m_heading);
    layout->addWidget(m_text, 1);
}

QStringList ArchivePreviewView::format(const QVector<ArchiveLoadPreview::Entry>& entries, bool chinese)
{
    const auto pick = [chinese](const char* zh, const char* en) {
        return chinese ? QString::fromUtf8(zh) : QString::fromUtf8(en);
    };
    QStringList out;
    if (entries.isEmpty()) {
        out << pick("没有分配的设备", "No device assigned");
        return out;
    }
    for (const ArchiveLoadPreview::Entry& e : entries) {
        out << QStringLiteral("%1 -> %2 (%3)")
                   .arg(e.archive.name(), e.facts.name, QHostAddress(quint32(e.facts.ip)).toString());
        if (!e.online)
            out << QStringLiteral("  ") + pick("无法读取设备，将发送全部选择的参数",
                                               "The device could not be read: everything chosen will be sent");
        for (const QString& note : e.plan.notes)
            out << QStringLiteral("  ") + note;
        if (e.online && e.changes.isEmpty())
            out << QStringLiteral("  ") + pick("无变化", "no change");
        else
            out << ArchiveDiff::lines(e.changes, chinese);
    }
    return out;
}

void ArchivePreviewView::showEntries(const QVector<ArchiveLoadPreview::Entry>& entries)
{
    setLines(format(entries, AppState::isChinese()));
}

void ArchivePreviewView::showMessage(const QString& text)
{
    setLines(QStringList{text});
}

void ArchivePreviewView::clear()
{
    setLines(QStringList());
}

void ArchivePreviewView::setLines(const QStringList& lines)
{
    m_lines = lines;
    m_text->setPlainText(lines.join(QLatin1Char('\n')));
}

#include "Clock.h"

#include "DevDetailStore.h"
#include "DevManager.h"
#include "LockOverlays.h"
#include "UiScale.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextCursor>
#include <QVBoxLayout>

Clock::Clock(const QString& devId, QWidget* parent)
    : QWidget(parent), m_devId(devId), m_store(DevDetailStore::instance())
{
    init();
}

Clock::Clock(const QString& devId, DevDetailStore& store, QWidget* parent)
    : QWidget(parent), m_devId(devId), m_store(store)
{
    init();
}

void Clock::init()
{
    setObjectName(QStringLiteral("Clock"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(UiScale::px(8), UiScale::px(8), UiScale::px(8), UiScale::px(8));
    m_view = new QPlainTextEdit(this);
    m_view->setObjectName(QStringLiteral("clock_log"));
    m_view->setReadOnly(true);
    m_view->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_view->setUndoRedoEnabled(false);
    m_view->setStyleSheet(
        QStringLiteral("QPlainTextEdit{background:#1e242c;color:#d8dee6;font-size:%1px;}").arg(UiScale::fontPx(12)));
    layout->addWidget(m_view);
    m_locks = new LockOverlays(this);
}

QString Clock::logText() const
{
    return m_view->toPlainText();
}

void Clock::recvBackData(QString message)
{
    if (!message.contains(QLatin1String("clockEvent")))
        return;
    const QJsonDocument doc = QJsonDocument::fromJson(message.toUtf8());
    if (!doc.isObject())
        return;
    // Looked up per message: a device that changed its address is followed at its new one.
    const DevDetail_t d = m_store.getDevDetail(m_devId);
    if (d.isEmpty() || d.ip == 0)
        return;
    const QString line = ClockEventLog::eventLine(doc.object(), dvm_ipToString(d.ip));
    if (line.isEmpty())
        return;
    const bool first = m_log.text().isEmpty();
    const int cut = m_log.append(line);

    // The view mirrors the log's edits instead of being reset to its whole text on every event.
    QTextCursor c(m_view->document());
    c.movePosition(QTextCursor::End);
    c.insertText(first ? line : QLatin1Char('\n') + line);
    if (cut > 0) {
        c.movePosition(QTextCursor::Start);
        c.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor, cut);
        c.removeSelectedText();
    }
    m_view->moveCursor(QTextCursor::End);
    m_view->ensureCursorVisible();
}

void Clock::refreshLock()
{
    m_locks->apply(m_store.getDevDetail(m_devId).detailLock);
}

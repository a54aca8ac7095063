#include "ScriptSession.h"

#include "DevManager.h"
#include "DspMatrixGrid.h"
#include "FileDialogs.h"

#include "AppState.h"
#include "CellRouteForm.h"
#include "DevDetailStore.h"
#include "FactoryAccess.h"
#include "LevelMeter.h"
#include "LogRedaction.h"
#include "MainWindow.h"
#include "MySnackbar.h"
#include "SaltedCode.h"
#include "TestSignalDialog.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QJsonDocument>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QSocketNotifier>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTableWidget>
#include <QTextEdit>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <unistd.h>

namespace {

constexpr int kReadChunk = 65536;
constexpr int kDefaultLastMessages = 10;
constexpr int kMaxTableRows = 512;
// Which notice a message box is, so that a late answer is recorded there too.
constexpr const char* kNoticeProperty = "scriptSessionNotice";

void writeStdout(const QByteArray& line)
{
    // One locked write per answer, so lines of other threads' printf never split it.
    flockfile(stdout);
    fwrite(line.constData(), 1, size_t(line.size()), stdout);
    fflush(stdout);
    funlockfile(stdout);
}

QJsonObject describeWidget(QWidget* w)
{
    QJsonObject o;
    o.insert("exists", true);
    o.insert("visible", w->isVisible());
    o.insert("enabled", w->isEnabled());
    o.insert("class", QString::fromLatin1(w->metaObject()->className()));
    o.insert("object", w->objectName());
    o.insert("window", w->window()->objectName());
    o.insert("windowTitle", w->window()->windowTitle());
    if (auto* le = qobject_cast<QLineEdit*>(w)) {
        // A password field tells only that it holds something.
        if (le->echoMode() == QLineEdit::Normal)
            o.insert("text", le->text());
        else
            o.insert("echoMode", "password");
        o.insert("empty", le->text().isEmpty());
        o.insert("readOnly", le->isReadOnly());
    } else if (auto* label = qobject_cast<QLabel*>(w)) {
        o.insert("text", label->text());
    } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        o.insert("text", button->text());
        o.insert("checkable", button->isCheckable());
        o.insert("checked", button->isChecked());
    } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
        o.insert("currentIndex", combo->currentIndex());
        o.insert("currentText", combo->currentText());
        QJsonArray items;
        for (int i = 0; i < combo->count(); ++i)
            items.append(combo->itemText(i));
        o.insert("items", items);
    } else if (auto* slider = qobject_cast<QAbstractSlider*>(w)) {
        o.insert("value", slider->value());
        o.insert("minimum", slider->minimum());
        o.insert("maximum", slider->maximum());
    } else if (auto* meter = qobject_cast<LevelMeter*>(w)) {
        o.insert("value", meter->value());
    } else if (auto* bar = qobject_cast<QProgressBar*>(w)) {
        o.insert("value", bar->value());
        o.insert("minimum", bar->minimum());
        o.insert("maximum", bar->maximum());
    } else if (auto* table = qobject_cast<QTableWidget*>(w)) {
        o.insert("rowCount", table->rowCount());
        o.insert("columnCount", table->columnCount());
        QJsonArray rows;
        for (int r = 0; r < std::min(table->rowCount(), kMaxTableRows); ++r) {
            QJsonArray cells;
            for (int c = 0; c < table->columnCount(); ++c) {
                const QTableWidgetItem* item = table->item(r, c);
                cells.append(item != nullptr ? QJsonValue(item->text()) : QJsonValue());
            }
            rows.append(cells);
        }
        o.insert("cells", rows);
    } else if (auto* view = qobject_cast<QAbstractItemView*>(w); view != nullptr && view->model() != nullptr) {
        o.insert("rowCount", view->model()->rowCount(view->rootIndex()));
    } else if (auto* te = qobject_cast<QTextEdit*>(w)) {
        o.insert("text", te->toPlainText());
    } else if (auto* pte = qobject_cast<QPlainTextEdit*>(w)) {
        o.insert("text", pte->toPlainText());
    } else if (auto* stack = qobject_cast<QStackedWidget*>(w)) {
        o.insert("currentIndex", stack->currentIndex());
        o.insert("currentObject", stack->currentWidget() ? stack->currentWidget()->objectName() : QString());
    }
    if (!o.contains("value")) {
        // Meters and similar widgets publish their reading as a property.
        bool isNumber = false;
        const QVariant value = w->property("value");
        const double number = value.toDouble(&isNumber);
        if (value.isValid() && isNumber)
            o.insert("value", number);
    }
    if (w->isWindow())
        o.insert("isWindow", true);
    return o;
}

QJsonObject failure(const QString& error)
{
    return QJsonObject{{"ok", false}, {"error", error}};
}

QJsonObject success(QJsonObject fields = QJsonObject())
{
    fields.insert("ok", true);
    return fields;
}

bool readInt(const QJsonObject& cmd, const char* key, int* out)
{
    const QJsonValue v = cmd.value(QLatin1String(key));
    if (!v.isDouble())
        return false;
    const double d = v.toDouble();
    if (d != double(int(d)))
        return false;
    *out = int(d);
    return true;
}

QString answerName(ScriptSession::Answer a)
{
    switch (a) {
    case ScriptSession::Answer::Yes:
        return QStringLiteral("yes");
    case ScriptSession::Answer::No:
        return QStringLiteral("no");
    case ScriptSession::Answer::Ok:
        return QStringLiteral("ok");
    case ScriptSession::Answer::None:
        break;
    }
    return QStringLiteral("none");
}

QAbstractButton* buttonFor(QMessageBox* box, ScriptSession::Answer a)
{
    QList<QMessageBox::StandardButton> wanted;
    QList<QMessageBox::ButtonRole> roles;
    switch (a) {
    case ScriptSession::Answer::Yes:
        wanted = {QMessageBox::Yes, QMessageBox::YesToAll, QMessageBox::Ok};
        roles = {QMessageBox::YesRole, QMessageBox::AcceptRole};
        break;
    case ScriptSession::Answer::Ok:
        wanted = {QMessageBox::Ok, QMessageBox::Yes};
        roles = {QMessageBox::AcceptRole, QMessageBox::YesRole};
        break;
    case ScriptSession::Answer::No:
        wanted = {QMessageBox::No, QMessageBox::NoToAll, QMessageBox::Cancel};
        roles = {QMessageBox::NoRole, QMessageBox::RejectRole};
        break;
    case ScriptSession::Answer::None:
        return nullptr;
    }
    for (QMessageBox::StandardButton b : wanted)
        if (QAbstractButton* button = box->button(b))
            return button;
    for (QAbstractButton* button : box->buttons())
        if (roles.contains(box->buttonRole(button)))
            return button;
    // A box offering none of the wanted buttons must still go away: its only (or escape) button.
    if (box->escapeButton() != nullptr)
        return box->escapeButton();
    return box->buttons().isEmpty() ? nullptr : box->buttons().first();
}

} // namespace

ScriptSession::ScriptSession(QObject* bus, QObject* parent) : QObject(parent), m_bus(bus), m_writer(writeStdout)
{
    init();
    m_notifier = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &ScriptSession::readInput);
}

ScriptSession::ScriptSession(QObject* bus, Writer writer, QObject* parent)
    : QObject(parent), m_bus(bus), m_writer(std::move(writer))
{
    init();
}

ScriptSession::~ScriptSession()
{
    MySnackbar::setNoticeObserver(nullptr);
    FileDialogs::setAnswerer(nullptr);
}

bool ScriptSession::enabledByEnvironment()
{
    return qgetenv(kEnableVariable) == "1";
}

void ScriptSession::init()
{
    m_clock.start();
    m_handlers = {
        {"devices", &ScriptSession::cmdDevices},
        {"detail", &ScriptSession::cmdDetail},
        {"open", &ScriptSession::cmdOpen},
        {"find", &ScriptSession::cmdFind},
        {"windows", &ScriptSession::cmdWindows},
        {"setText", &ScriptSession::cmdSetText},
        {"setValue", &ScriptSession::cmdSetValue},
        {"setCell", &ScriptSession::cmdSetCell},
        {"activate", &ScriptSession::cmdActivate},
        {"selectRow", &ScriptSession::cmdSelectRow},
        {"click", &ScriptSession::cmdClick},
        {"key", &ScriptSession::cmdKey},
        {"answer", &ScriptSession::cmdAnswer},
        {"chooseFile", &ScriptSession::cmdChooseFile},
        {"notices", &ScriptSession::cmdNotices},
        {"messages", &ScriptSession::cmdMessages},
        {"send", &ScriptSession::cmdSend},
        {"matrixCell", &ScriptSession::cmdMatrixCell},
        {"matrixClick", &ScriptSession::cmdMatrixClick},
        {"dspMatrixClick", &ScriptSession::cmdDspMatrixClick},
        {"screenshot", &ScriptSession::cmdScreenshot},
        {"testTool", &ScriptSession::cmdTestTool},
        {"factoryCodes", &ScriptSession::cmdFactoryCodes},
        {"quit", &ScriptSession::cmdQuit},
    };
    MySnackbar::setNoticeObserver([this](const QString& text) { recordTip(text); });
    FileDialogs::setAnswerer([this](FileDialogs::Kind, const QString& caption) -> std::optional<QString> {
        if (m_files.isEmpty())
            return std::nullopt;
        const QString file = m_files.takeFirst();
        m_notices.append({m_clock.elapsed(), QStringLiteral("fileDialog"), caption, file});
        return file;
    });
    if (m_bus != nullptr && m_bus->metaObject()->indexOfSignal("sendBackDataSignal(QString)") >= 0)
        connect(m_bus, SIGNAL(sendBackDataSignal(QString)), this, SLOT(recordMessage(QString)));
    if (QCoreApplication::instance() != nullptr)
        QCoreApplication::instance()->installEventFilter(this);
}

// ---- Input -----------------------------------------------------------------------------------------------------

void ScriptSession::readInput()
{
    char chunk[kReadChunk];
    const ssize_t n = ::read(STDIN_FILENO, chunk, sizeof chunk);
    if (n > 0) {
        feed(QByteArray(chunk, int(n)));
        return;
    }
    if (n < 0 && errno == EINTR)
        return;
    // End of input: the driver is gone, and so is the reason to run.
    m_notifier->setEnabled(false);
    m_quitWhenDone = true;
    feed("\n");
    if (m_pending.isEmpty())
        QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit, Qt::QueuedConnection);
}

QList<QByteArray> ScriptSession::takeLines(QByteArray* buffer)
{
    QList<QByteArray> lines;
    int start = 0;
    for (int end = buffer->indexOf('\n'); end >= 0; end = buffer->indexOf('\n', start)) {
        QByteArray line = buffer->mid(start, end - start);
        if (line.endsWith('\r'))
            line.chop(1);
        if (!line.trimmed().isEmpty())
            lines.append(line);
        start = end + 1;
    }
    buffer->remove(0, start);
    return lines;
}

void ScriptSession::feed(const QByteArray& bytes)
{
    m_buffer += bytes;
    m_pending += takeLines(&m_buffer);
    if (m_buffer.size() > kMaxLineBytes) {
        m_buffer.clear();
        writeAnswer(QJsonValue(), failure(QStringLiteral("line longer than %1 bytes dropped").arg(kMaxLineBytes)));
    }
    scheduleNext();
}

void ScriptSession::scheduleNext()
{
    if (m_scheduled || m_pending.isEmpty())
        return;
    m_scheduled = true;
    QMetaObject::invokeMethod(this, &ScriptSession::runNext, Qt::QueuedConnection);
}

void ScriptSession::runNext()
{
    m_scheduled = false;
    if (m_pending.isEmpty())
        return;
    runLine(m_pending.takeFirst());
    // Queued after the deferred actions of this line, so they run first.
    scheduleNext();
    if (m_pending.isEmpty() && m_quitWhenDone)
        QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit, Qt::QueuedConnection);
}

void ScriptSession::runLine(const QByteArray& line)
{
    QJsonParseError err{};
    const QJsonDocument doc = QJsonDocument::fromJson(line, &err);
    if (!doc.isObject()) {
        writeAnswer(QJsonValue(), failure(err.error != QJsonParseError::NoError
                                              ? QStringLiteral("not JSON: %1").arg(err.errorString())
                                              : QStringLiteral("not a JSON object")));
        return;
    }
    const QJsonObject cmd = doc.object();
    const QJsonValue id = cmd.value("id");
    const QString name = cmd.value("cmd").toString();
    const auto handler = m_handlers.constFind(name);
    if (handler == m_handlers.constEnd()) {
        writeAnswer(id, failure(QStringLiteral("unknown command \"%1\"").arg(name)));
        return;
    }
    m_deferred.clear();
    const QJsonObject answer = (this->*handler.value())(cmd);
    const QVector<std::function<void()>> actions = std::move(m_deferred);
    m_deferred.clear();
    writeAnswer(id, answer);
    if (answer.value("ok").toBool())
        for (const std::function<void()>& action : actions)
            QMetaObject::invokeMethod(this, action, Qt::QueuedConnection);
}

void ScriptSession::writeAnswer(const QJsonValue& id, QJsonObject answer)
{
    answer.insert("id", id);
    m_writer(QJsonDocument(answer).toJson(QJsonDocument::Compact) + '\n');
}

void ScriptSession::defer(std::function<void()> action)
{
    m_deferred.append(std::move(action));
}

// ---- What the application shows and says -------------------------------------------------------------------

bool ScriptSession::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::Show || !watched->isWidgetType())
        return false;
    auto* widget = static_cast<QWidget*>(watched);
    if (!widget->isWindow())
        return false;
    if (!m_shownOrder.contains(widget))
        connect(widget, &QObject::destroyed, this, &ScriptSession::forgetWindow, Qt::UniqueConnection);
    m_shownOrder.insert(widget, ++m_showCounter);
    if (auto* box = qobject_cast<QMessageBox*>(widget)) {
        QString text = box->text();
        if (!box->informativeText().isEmpty())
            text += QLatin1Char('\n') + box->informativeText();
        box->setProperty(kNoticeProperty, m_notices.size());
        m_notices.append({m_clock.elapsed(), QStringLiteral("messageBox"), text, QString()});
        QPointer<QMessageBox> guarded(box);
        QTimer::singleShot(kAnswerDelayMs, this, [this, guarded] {
            if (guarded != nullptr && guarded->isVisible() && m_answer != Answer::None)
                answerBox(guarded);
        });
    }
    return false;
}

void ScriptSession::forgetWindow(QObject* window)
{
    m_shownOrder.remove(static_cast<QWidget*>(window));
}

void ScriptSession::answerBox(QMessageBox* box)
{
    bool known = false;
    const int index = box->property(kNoticeProperty).toInt(&known);
    if (known && index >= 0 && index < m_notices.size())
        m_notices[index].answer = answerName(m_answer);
    if (QAbstractButton* button = buttonFor(box, m_answer))
        button->click();
    else
        box->reject();
}

void ScriptSession::recordTip(const QString& text)
{
    m_notices.append({m_clock.elapsed(), QStringLiteral("tip"), text, QString()});
}

void ScriptSession::recordMessage(const QString& text)
{
    // Plain texts such as "closeDev" are bus commands, not device messages.
    if (!text.startsWith(QLatin1Char('{')))
        return;
    // Answers go to standard output, where passwords must never appear.
    const QJsonObject msg = LogRedaction::redacted(QJsonDocument::fromJson(text.toUtf8()).object());
    if (msg.isEmpty())
        return;
    MessageBucket& bucket = m_messages[msg.value("ops").toString()][msg.value("devId").toString()];
    ++bucket.count;
    if (bucket.recent.size() >= kKeptMessages)
        bucket.recent.removeFirst();
    bucket.recent.append({m_clock.elapsed(), msg});
}

// ---- Finding widgets ---------------------------------------------------------------------------------------

qint64 ScriptSession::windowRank(const QWidget* window) const
{
    if (window == QApplication::activeModalWidget())
        return -2;
    if (window == QApplication::activeWindow())
        return -1;
    // Later shown, nearer the top; never shown (while this session watched), last.
    return qint64(m_showCounter + 1) - qint64(m_shownOrder.value(const_cast<QWidget*>(window), 0));
}

QWidget* ScriptSession::findWidget(const QString& name, QWidget** hiddenMatch) const
{
    if (hiddenMatch != nullptr)
        *hiddenMatch = nullptr;
    if (name.isEmpty())
        return nullptr;
    // "outer/inner": the first widget named inner inside the one named outer (items that repeat their names).
    const int slash = name.lastIndexOf(QLatin1Char('/'));
    if (slash > 0 && slash < name.size() - 1) {
        QWidget* hiddenOuter = nullptr;
        QWidget* outer = findWidget(name.left(slash), &hiddenOuter);
        QWidget* hidden = nullptr;
        for (QWidget* root : {outer, hiddenOuter}) {
            if (root == nullptr)
                continue;
            for (QWidget* w : root->findChildren<QWidget*>(name.mid(slash + 1))) {
                if (w->isVisible())
                    return w;
                if (hidden == nullptr)
                    hidden = w;
            }
        }
        if (hiddenMatch != nullptr)
            *hiddenMatch = hidden;
        return nullptr;
    }
    QList<QWidget*> windows = QApplication::topLevelWidgets();
    std::stable_sort(windows.begin(), windows.end(),
                     [this](const QWidget* a, const QWidget* b) { return windowRank(a) < windowRank(b); });
    QWidget* hidden = nullptr;
    for (QWidget* window : windows) {
        QList<QWidget*> matches = window->findChildren<QWidget*>(name);
        if (window->objectName() == name)
            matches.prepend(window);
        for (QWidget* w : matches) {
            // Child windows are searched as windows of their own, in their own rank.
            if (w->window() != window)
                continue;
            if (w->isVisible())
                return w;
            if (hidden == nullptr)
                hidden = w;
        }
    }
    if (hiddenMatch != nullptr)
        *hiddenMatch = hidden;
    return nullptr;
}

QWidget* ScriptSession::usableWidget(const QJsonObject& cmd, QString* error, bool needEnabled) const
{
    const QString name = cmd.value("object").toString();
    QWidget* hidden = nullptr;
    QWidget* w = findWidget(name, &hidden);
    if (w == nullptr) {
        *error = hidden != nullptr ? QStringLiteral("widget \"%1\" is not visible").arg(name)
                                   : QStringLiteral("no widget named \"%1\"").arg(name);
        return nullptr;
    }
    if (needEnabled && !w->isEnabled()) {
        *error = QStringLiteral("widget \"%1\" is disabled").arg(name);
        return nullptr;
    }
    return w;
}

// ---- Commands ------------------------------------------------------------------------------------------------

QJsonObject ScriptSession::cmdDevices(const QJsonObject&)
{
    QJsonArray list;
    for (const DevDetail_t& d : DevDetailStore::instance().devDetails())
        list.append(QJsonObject{{"devId", d.devId},
                                {"name", d.name},
                                {"ip", dvm_ipToString(d.ip)},
                                {"model", d.model},
                                {"sampleRate", d.sampleRate}});
    return success({{"devices", list}});
}

QJsonObject ScriptSession::cmdDetail(const QJsonObject& cmd)
{
    const QString devId = cmd.value("devId").toString();
    const DevDetail_t d = DevDetailStore::instance().getDevDetail(devId, "ScriptSession", __LINE__);
    if (d.isEmpty())
        return failure(QStringLiteral("no device \"%1\"").arg(devId));
    return success({{"detail", d.toJson()}});
}

QJsonObject ScriptSession::cmdOpen(const QJsonObject& cmd)
{
    const QString devId = cmd.value("devId").toString();
    if (devId.isEmpty())
        return failure(QStringLiteral("\"devId\" missing"));
    if (m_bus == nullptr || m_bus->metaObject()->indexOfSlot("slot_showDevWindow(QString)") < 0)
        return failure(QStringLiteral("the main window has no slot_showDevWindow(QString)"));
    QPointer<QObject> bus = m_bus;
    defer([bus, devId] {
        if (bus != nullptr)
            QMetaObject::invokeMethod(bus, "slot_showDevWindow", Qt::DirectConnection, Q_ARG(QString, devId));
    });
    return success();
}

QJsonObject ScriptSession::cmdFind(const QJsonObject& cmd)
{
    const QString name = cmd.value("object").toString();
    QWidget* hidden = nullptr;
    QWidget* w = findWidget(name, &hidden);
    if (w == nullptr)
        w = hidden;
    if (w == nullptr) {
        QJsonObject out = failure(QStringLiteral("no widget named \"%1\"").arg(name));
        out.insert("exists", false);
        return out;
    }
    return success(describeWidget(w));
}

QJsonObject ScriptSession::cmdWindows(const QJsonObject&)
{
    QList<QWidget*> windows = QApplication::topLevelWidgets();
    std::stable_sort(windows.begin(), windows.end(),
                     [this](const QWidget* a, const QWidget* b) { return windowRank(a) < windowRank(b); });
    QJsonArray list;
    for (QWidget* w : windows)
        if (w->isVisible())
            list.append(QJsonObject{{"object", w->objectName()},
                                    {"class", QString::fromLatin1(w->metaObject()->className())},
                                    {"title", w->windowTitle()}});
    return success({{"windows", list}});
}

QJsonObject ScriptSession::cmdSetText(const QJsonObject& cmd)
{
    QString error;
    QWidget* w = usableWidget(cmd, &error);
    if (w == nullptr)
        return failure(error);
    // A multi-line text box takes the text whole (textChanged fires).
    if (auto* plain = qobject_cast<QPlainTextEdit*>(w)) {
        if (plain->isReadOnly())
            return failure(QStringLiteral("\"%1\" is read-only").arg(w->objectName()));
        if (!cmd.value("text").isString())
            return failure(QStringLiteral("\"text\" missing"));
        QPointer<QPlainTextEdit> guarded(plain);
        const QString text = cmd.value("text").toString();
        defer([guarded, text] {
            if (guarded != nullptr)
                guarded->setPlainText(text);
        });
        return success();
    }
    auto* le = qobject_cast<QLineEdit*>(w);
    if (le == nullptr)
        return failure(
            QStringLiteral("\"%1\" is a %2, not a line edit").arg(w->objectName(), w->metaObject()->className()));
    if (le->isReadOnly())
        return failure(QStringLiteral("\"%1\" is read-only").arg(w->objectName()));
    if (!cmd.value("text").isString())
        return failure(QStringLiteral("\"text\" missing"));
    const QString text = cmd.value("text").toString();
    QPointer<QLineEdit> guarded(le);
    defer([guarded, text] {
        if (guarded == nullptr)
            return;
        guarded->setText(text);
        emit guarded->editingFinished();
    });
    return success();
}

QJsonObject ScriptSession::cmdSetValue(const QJsonObject& cmd)
{
    QString error;
    QWidget* w = usableWidget(cmd, &error);
    if (w == nullptr)
        return failure(error);
    if (!cmd.value("value").isDouble())
        return failure(QStringLiteral("\"value\" missing or not a number"));
    const double value = cmd.value("value").toDouble();
    QPointer<QWidget> guarded(w);
    // As a user would leave it: the value set, then the edit finished (spin boxes only).
    if (auto* spin = qobject_cast<QDoubleSpinBox*>(w)) {
        defer([guarded, spin, value] {
            if (guarded != nullptr) {
                spin->setValue(value);
                emit spin->editingFinished();
            }
        });
    } else if (auto* ispin = qobject_cast<QSpinBox*>(w)) {
        defer([guarded, ispin, value] {
            if (guarded != nullptr) {
                ispin->setValue(int(value));
                emit ispin->editingFinished();
            }
        });
    } else if (auto* slider = qobject_cast<QAbstractSlider*>(w)) {
        defer([guarded, slider, value] {
            if (guarded != nullptr)
                slider->setValue(int(value));
        });
    } else {
        return failure(QStringLiteral("\"%1\" is a %2, not a spin box or slider")
                           .arg(w->objectName(), w->metaObject()->className()));
    }
    return success();
}

QJsonObject ScriptSession::cmdSetCell(const QJsonObject& cmd)
{
    QString error;
    QWidget* w = usableWidget(cmd, &error);
    if (w == nullptr)
        return failure(error);
    auto* table = qobject_cast<QTableWidget*>(w);
    if (table == nullptr)
        return failure(QStringLiteral("\"%1\" is not a table").arg(w->objectName()));
    int row = -1;
    int col = -1;
    if (!readInt(cmd, "row", &row) || !readInt(cmd, "col", &col))
        return failure(QStringLiteral("\"row\" and \"col\" must be integers"));
    if (!cmd.value("text").isString())
        return failure(QStringLiteral("\"text\" missing"));
    QTableWidgetItem* item = table->item(row, col);
    if (item == nullptr)
        return failure(QStringLiteral("no cell %1,%2 in \"%3\" (%4 rows, %5 columns)")
                           .arg(row)
                           .arg(col)
                           .arg(w->objectName())
                           .arg(table->rowCount())
                           .arg(table->columnCount()));
    if (!(item->flags() & Qt::ItemIsEditable) || !(item->flags() & Qt::ItemIsEnabled))
        return failure(QStringLiteral("cell %1,%2 of \"%3\" is not editable").arg(row).arg(col).arg(w->objectName()));
    const QString text = cmd.value("text").toString();
    QPointer<QTableWidget> guarded(table);
    defer([guarded, row, col, text] {
        if (guarded != nullptr && guarded->item(row, col) != nullptr)
            guarded->item(row, col)->setText(text);
    });
    return success();
}

QJsonObject ScriptSession::cmdActivate(const QJsonObject& cmd)
{
    QString error;
    QWidget* w = usableWidget(cmd, &error);
    if (w == nullptr)
        return failure(error);
    auto* combo = qobject_cast<QComboBox*>(w);
    if (combo == nullptr)
        return failure(QStringLiteral("\"%1\" is not a combo box").arg(w->objectName()));
    int index = -1;
    if (!readInt(cmd, "index", &index) || index < 0 || index >= combo->count())
        return failure(QStringLiteral("\"index\" must be 0..%1").arg(combo->count() - 1));
    QPointer<QComboBox> guarded(combo);
    defer([guarded, index] {
        if (guarded == nullptr)
            return;
        guarded->setCurrentIndex(index);
        const QString text = guarded->itemText(index);
        // As a choice in the list does: every form of the signal.
        QMetaObject::invokeMethod(guarded, "activated", Qt::DirectConnection, Q_ARG(int, index));
        if (guarded != nullptr)
            QMetaObject::invokeMethod(guarded, "activated", Qt::DirectConnection, Q_ARG(QString, text));
        if (guarded != nullptr)
            emit guarded->textActivated(text);
    });
    return success();
}

QJsonObject ScriptSession::cmdSelectRow(const QJsonObject& cmd)
{
    QString error;
    QWidget* w = usableWidget(cmd, &error);
    if (w == nullptr)
        return failure(error);
    auto* view = qobject_cast<QAbstractItemView*>(w);
    if (view == nullptr || view->model() == nullptr)
        return failure(QStringLiteral("\"%1\" is not an item view").arg(w->objectName()));
    const int rows = view->model()->rowCount(view->rootIndex());
    int row = 0;
    // Negative rows count from the end, so a script can pick the newest entry of a list.
    if (!readInt(cmd, "row", &row) || row < -rows || row >= rows)
        return failure(QStringLiteral("\"row\" must be %1..%2").arg(-rows).arg(rows - 1));
    if (row < 0)
        row += rows;
    view->selectionModel()->select(view->model()->index(row, 0, view->rootIndex()),
                                   QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    return success();
}

QJsonObject ScriptSession::cmdClick(const QJsonObject& cmd)
{
    QString error;
    QWidget* w = usableWidget(cmd, &error);
    if (w == nullptr)
        return failure(error);
    QPointer<QWidget> guarded(w);
    if (qobject_cast<QAbstractButton*>(w) != nullptr) {
        defer([guarded] {
            if (guarded != nullptr)
                static_cast<QAbstractButton*>(guarded.data())->click();
        });
    } else {
        defer([guarded] {
            if (guarded == nullptr)
                return;
            const QPointF centre = QRectF(guarded->rect()).center();
            const QPointF global = guarded->mapToGlobal(centre.toPoint());
            QCoreApplication::postEvent(guarded, new QMouseEvent(QEvent::MouseButtonPress, centre, global,
                                                                 Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
            QCoreApplication::postEvent(guarded, new QMouseEvent(QEvent::MouseButtonRelease, centre, global,
                                                                 Qt::LeftButton, Qt::NoButton, Qt::NoModifier));
        });
    }
    return success();
}

bool ScriptSession::parseKey(const QString& text, KeyChord* out)
{
    const QKeySequence seq = QKeySequence::fromString(text.trimmed(), QKeySequence::PortableText);
    if (seq.count() != 1 || seq[0] == 0)
        return false;
    const int combined = seq[0];
    const int key = combined & ~int(Qt::KeyboardModifierMask);
    if (key == 0 || key == Qt::Key_unknown)
        return false;
    out->key = key;
    out->modifiers = Qt::KeyboardModifiers(combined & int(Qt::KeyboardModifierMask));
    out->text.clear();
    const bool typing = !(out->modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    if (typing && key >= 0x20 && key < 0x7f) {
        const QChar c(key);
        out->text = (out->modifiers & Qt::ShiftModifier) ? QString(c.toUpper()) : QString(c.toLower());
    } else if (typing && key == Qt::Key_Space) {
        out->text = QStringLiteral(" ");
    }
    return true;
}

QJsonObject ScriptSession::cmdKey(const QJsonObject& cmd)
{
    QString error;
    QWidget* w = usableWidget(cmd, &error);
    if (w == nullptr)
        return failure(error);
    KeyChord chord;
    if (!parseKey(cmd.value("key").toString(), &chord))
        return failure(QStringLiteral("not one key: \"%1\"").arg(cmd.value("key").toString()));
    QPointer<QWidget> guarded(w);
    defer([guarded, chord] {
        if (guarded == nullptr)
            return;
        QCoreApplication::postEvent(guarded, new QKeyEvent(QEvent::KeyPress, chord.key, chord.modifiers, chord.text));
        QCoreApplication::postEvent(guarded, new QKeyEvent(QEvent::KeyRelease, chord.key, chord.modifiers, chord.text));
    });
    return success();
}

bool ScriptSession::parseAnswer(const QString& text, Answer* out)
{
    static const QHash<QString, Answer> names = {
        {"yes", Answer::Yes}, {"no", Answer::No}, {"ok", Answer::Ok}, {"none", Answer::None}};
    const auto it = names.constFind(text);
    if (it == names.constEnd())
        return false;
    *out = it.value();
    return true;
}

QJsonObject ScriptSession::cmdAnswer(const QJsonObject& cmd)
{
    Answer answer = Answer::None;
    if (!parseAnswer(cmd.value("button").toString(), &answer))
        return failure(QStringLiteral("\"button\" must be yes, no, ok or none"));
    m_answer = answer;
    if (answer == Answer::None)
        return success();
    // Boxes already waiting are answered too.
    for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* box = qobject_cast<QMessageBox*>(w);
        if (box == nullptr || !box->isVisible())
            continue;
        QPointer<QMessageBox> guarded(box);
        QTimer::singleShot(kAnswerDelayMs, this, [this, guarded] {
            if (guarded != nullptr && guarded->isVisible() && m_answer != Answer::None)
                answerBox(guarded);
        });
    }
    return success();
}

QJsonObject ScriptSession::cmdChooseFile(const QJsonObject& cmd)
{
    if (!cmd.value("file").isString())
        return failure(QStringLiteral("\"file\" missing (an empty text cancels the dialog)"));
    if (m_files.size() >= kMaxQueuedFiles)
        return failure(QStringLiteral("too many file answers waiting"));
    m_files.append(cmd.value("file").toString());
    return success();
}

QJsonObject ScriptSession::cmdNotices(const QJsonObject&)
{
    QJsonArray list;
    for (const Notice& n : m_notices) {
        QJsonObject o{{"ms", n.ms}, {"source", n.source}, {"text", n.text}};
        if (n.source == QLatin1String("messageBox"))
            o.insert("answer", n.answer.isEmpty() ? QStringLiteral("none") : n.answer);
        else if (n.source == QLatin1String("fileDialog"))
            o.insert("answer", n.answer);
        list.append(o);
    }
    return success({{"notices", list}, {"nowMs", m_clock.elapsed()}});
}

QJsonObject ScriptSession::cmdMessages(const QJsonObject& cmd)
{
    const bool anyOps = !cmd.contains("ops");
    const bool anyDev = !cmd.contains("devId");
    const QString ops = cmd.value("ops").toString();
    const QString devId = cmd.value("devId").toString();
    int last = kDefaultLastMessages;
    if (cmd.contains("last") && (!readInt(cmd, "last", &last) || last < 0 || last > kKeptMessages))
        return failure(QStringLiteral("\"last\" must be 0..%1").arg(kKeptMessages));
    int count = 0;
    QVector<SeenMessage> seen;
    for (auto byOps = m_messages.constBegin(); byOps != m_messages.constEnd(); ++byOps) {
        if (!anyOps && byOps.key() != ops)
            continue;
        for (auto byDev = byOps->constBegin(); byDev != byOps->constEnd(); ++byDev) {
            if (!anyDev && byDev.key() != devId)
                continue;
            count += byDev->count;
            seen += byDev->recent;
        }
    }
    std::stable_sort(seen.begin(), seen.end(), [](const SeenMessage& a, const SeenMessage& b) { return a.ms < b.ms; });
    QJsonArray list;
    for (int i = std::max(0, seen.size() - last); i < seen.size(); ++i)
        list.append(QJsonObject{{"ms", seen[i].ms}, {"msg", seen[i].msg}});
    return success({{"count", count}, {"messages", list}, {"nowMs", m_clock.elapsed()}});
}

QJsonObject ScriptSession::cmdSend(const QJsonObject& cmd)
{
    if (!cmd.value("msg").isObject())
        return failure(QStringLiteral("\"msg\" must be an object"));
    if (m_bus == nullptr || m_bus->metaObject()->indexOfSlot("recvChangeData(QString)") < 0)
        return failure(QStringLiteral("the main window has no recvChangeData(QString)"));
    const QString text = QString::fromUtf8(QJsonDocument(cmd.value("msg").toObject()).toJson(QJsonDocument::Compact));
    QPointer<QObject> bus = m_bus;
    defer([bus, text] {
        if (bus != nullptr)
            QMetaObject::invokeMethod(bus, "recvChangeData", Qt::DirectConnection, Q_ARG(QString, text));
    });
    return success();
}

// The routing matrix is one painted item, so its cells are addressed by sender and receiver, not by name.
QJsonObject ScriptSession::matrixCell(const QJsonObject& cmd, CellRouteForm** form, int* row, int* col)
{
    auto* main = qobject_cast<MainWindow*>(m_bus);
    *form = main != nullptr ? main->routeForm() : nullptr;
    if (*form == nullptr)
        return failure(QStringLiteral("no routing matrix"));
    *row = (*form)->rows().indexOf(cmd.value("send").toString(), cmd.value("sendCh").toInt());
    *col = (*form)->columns().indexOf(cmd.value("recv").toString(), cmd.value("recvCh").toInt());
    if (*row < 0 || *col < 0)
        return failure(QStringLiteral("no such cell"));
    (*form)->scrollToRow(*row);
    (*form)->scrollToColumn(*col);
    return success({{"row", *row}, {"col", *col}});
}

QJsonObject ScriptSession::cmdMatrixCell(const QJsonObject& cmd)
{
    CellRouteForm* form = nullptr;
    int row = -1;
    int col = -1;
    QJsonObject answer = matrixCell(cmd, &form, &row, &col);
    if (!answer.value("ok").toBool())
        return answer;
    answer.insert("checking", form->cellTag(row, col, 1) == QLatin1String("checking"));
    answer.insert("checked", form->cellTag(row, col, 2) == QLatin1String("checked"));
    return answer;
}

QJsonObject ScriptSession::cmdMatrixClick(const QJsonObject& cmd)
{
    CellRouteForm* form = nullptr;
    int row = -1;
    int col = -1;
    const QJsonObject answer = matrixCell(cmd, &form, &row, &col);
    if (!answer.value("ok").toBool())
        return answer;
    const int size = form->cellSize();
    QPointer<CellRouteForm> target = form;
    defer([target, row, col, size] {
        if (target != nullptr)
            target->slot_cellSceneMousePressed(col * size + size / 2, row * size + size / 2);
    });
    return answer;
}

QJsonObject ScriptSession::cmdDspMatrixClick(const QJsonObject& cmd)
{
    QString error;
    QJsonObject named = cmd;
    named.insert("object", QStringLiteral("matrix_grid"));
    auto* grid = qobject_cast<DspMatrixGrid*>(usableWidget(named, &error));
    if (grid == nullptr)
        return failure(error.isEmpty() ? QStringLiteral("no processor matrix shown") : error);
    const int col = cmd.value("col").toInt(-1);
    const int row = cmd.value("row").toInt(-1);
    grid->scrollToColumn(col);
    grid->scrollToRow(row);
    const QRect box = grid->checkRect(col, row);
    if (box.isEmpty())
        return failure(QStringLiteral("no crosspoint at output %1, input %2").arg(col).arg(row));
    QPointer<QWidget> viewport = grid->viewport();
    const QPoint centre = box.center();
    defer([viewport, centre] {
        if (viewport == nullptr)
            return;
        QCoreApplication::postEvent(viewport,
                                    new QMouseEvent(QEvent::MouseButtonPress, centre, viewport->mapToGlobal(centre),
                                                    Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
    });
    return success();
}

QJsonObject ScriptSession::cmdScreenshot(const QJsonObject& cmd)
{
    const QString name = cmd.value("object").toString();
    QWidget* hidden = nullptr;
    QWidget* w = findWidget(name, &hidden);
    if (w == nullptr)
        return failure(hidden != nullptr ? QStringLiteral("widget \"%1\" is not visible").arg(name)
                                         : QStringLiteral("no widget named \"%1\"").arg(name));
    const QString file = cmd.value("file").toString();
    if (file.isEmpty())
        return failure(QStringLiteral("\"file\" missing"));
    QWidget* target = cmd.value("window").toBool() ? w->window() : w;
    // An optional size shows the window as a user's screen would, e.g. 1920 x 1080.
    const int width = cmd.value("width").toInt(0);
    const int height = cmd.value("height").toInt(0);
    if (width > 0 && height > 0) {
        if (width > 8192 || height > 8192)
            return failure(QStringLiteral("size above 8192 x 8192"));
        target->resize(width, height);
        for (int turn = 0; turn < 20; ++turn)
            QCoreApplication::processEvents();
    }
    const QPixmap image = target->grab();
    if (!QDir().mkpath(QFileInfo(file).absolutePath()) || !image.save(file, "PNG"))
        return failure(QStringLiteral("cannot write \"%1\"").arg(file));
    return success({{"width", image.width()}, {"height", image.height()}});
}

QJsonObject ScriptSession::cmdTestTool(const QJsonObject& cmd)
{
    auto* main = qobject_cast<MainWindow*>(m_bus);
    if (main == nullptr)
        return failure(QStringLiteral("no main window"));
    if (cmd.contains("mode"))
        main->openTestTool(cmd.value("mode").toInt());
    TestSignalDialog* tool = main->testTool();
    QJsonObject answer = success();
    answer.insert("open", tool != nullptr && tool->isVisible());
    if (tool == nullptr)
        return answer;
    if (cmd.contains("recordDir"))
        tool->setRecordDirectory(cmd.value("recordDir").toString());
    if (cmd.contains("settleMs") || cmd.contains("probeSettleMs"))
        tool->setTiming(cmd.value("settleMs").toInt(300), cmd.value("probeSettleMs").toInt(20));
    answer.insert("busy", tool->isBusy());
    answer.insert("testedCount", tool->testedCount());
    answer.insert("recordDir", tool->recordDirectory());
    return answer;
}

QJsonObject ScriptSession::cmdFactoryCodes(const QJsonObject& cmd)
{
    static const QHash<QString, FactoryAccess::Grant> kGrants = {{"mode0", FactoryAccess::Grant::UserMode0},
                                                                 {"mode1", FactoryAccess::Grant::UserMode1},
                                                                 {"mode2", FactoryAccess::Grant::UserMode2},
                                                                 {"showAll", FactoryAccess::Grant::ShowAllDevices}};
    const QJsonArray codes = cmd.value("codes").toArray();
    if (codes.isEmpty() || codes.size() > 16)
        return failure(QStringLiteral("\"codes\" must list 1 to 16 codes"));
    // The table is copied when installed; these texts need to live only until then.
    QVector<QByteArray> texts;
    texts.reserve(codes.size() + 1);
    const QByteArray salt = "script-" + QByteArray::number(QDateTime::currentMSecsSinceEpoch(), 16);
    texts.append(salt);
    QVector<FactoryAccess::Entry> table;
    for (const QJsonValue& v : codes) {
        const QString code = v.toObject().value("code").toString();
        const auto grant = kGrants.constFind(v.toObject().value("grant").toString());
        if (code.isEmpty() || grant == kGrants.constEnd())
            return failure(QStringLiteral("each code needs \"code\" and a \"grant\" of mode0, mode1, mode2, showAll"));
        texts.append(SaltedCode::digestOf(salt, code));
        table.append({{texts.first().constData(), texts.last().constData()}, grant.value()});
    }
    FactoryAccess::installTable(table);
    // The released configuration keeps Ctrl+8 shut; a session that brings its own codes opens it, and the
    // switches it names ("CanResetFactory", ...).
    QStringList on{AppConfig::switchKey(AppConfig::Switch::CanCtrl8)};
    for (const QJsonValue& v : cmd.value("switches").toArray())
        on << v.toString();
    const AppConfig& config = AppState::config();
    QString text = config.titleKey() + QLatin1Char('=') + config.title() + QLatin1Char('\n');
    for (int s = 0; s < AppConfig::kSwitchCount; ++s) {
        const auto sw = AppConfig::Switch(s);
        text += AppConfig::switchKey(sw) + (config.isOn(sw) || on.contains(AppConfig::switchKey(sw)) ? "=1\n" : "=0\n");
    }
    AppState::setConfig(AppConfig::fromText(text));
    return success({{"installed", table.size()}});
}

QJsonObject ScriptSession::cmdQuit(const QJsonObject&)
{
    defer([] { QCoreApplication::quit(); });
    return success();
}

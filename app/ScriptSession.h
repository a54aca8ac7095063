#pragma once
#include <QByteArray>
#include <QElapsedTimer>
#include <QHash>
#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVector>
#include <functional>

class CellRouteForm;
class QMessageBox;
class QSocketNotifier;
class QWidget;

/// The whole application driven line by line, for end-to-end tests: each line of standard input is one JSON
/// command ({"id": any, "cmd": name, ...}); each is run on the user-interface thread and answered with exactly one
/// line {"id": the command's id, "ok": true|false, ...} on standard output ("error" says why when ok is false).
/// Other code may write to standard output too: readers keep the JSON lines that carry an "id".
///
/// Widgets are named by object name; the one meant is the first visible match in the top-most window (the active
/// modal dialog, then the active window, then other windows in reverse order of showing).
///
/// Nothing a command does may hold up the reader: whatever may open a modal dialog (clicks, edits, combo
/// activations, keys, command messages, opening a device window) runs from the event loop after the answer is
/// written, so a later command still runs while a dialog waits in exec(). Answers never carry the text of a
/// password field.
///
/// Commands and what their answers carry besides "id" and "ok":
/// - {"cmd":"devices"}: "devices", [{devId, name, ip, model, sampleRate}] from the detail store.
/// - {"cmd":"detail","devId":D}: "detail", the whole detail record (names lists, rates, locks, ...).
/// - {"cmd":"open","devId":D}: the main window's slot_showDevWindow(D) runs after the answer.
/// - {"cmd":"find","object":N}: exists, visible, enabled, class, window, windowTitle and by kind text, checked,
///   currentIndex/currentText/items, value (sliders, bars, level meters, a numeric "value" property), cells (tables),
///   rowCount (tables and other item views);
///   a hidden match is described when no match is visible; none at all: ok false with "exists" false.
/// - {"cmd":"windows"}: "windows", the visible windows from the top down.
/// - {"cmd":"setText","object":N,"text":T}: a line edit's text, then editingFinished; or a plain text box's text.
/// - {"cmd":"dspMatrixClick","col":C,"row":R}: a click on the on/off box of the processor matrix's crosspoint of
///   output C and input row R (both from 0), scrolled into view first.
/// - {"cmd":"chooseFile","file":F}: the next file dialog of any window gives F instead of showing (an empty text
///   cancels it); answers queue in order, each shows in "notices" as source "fileDialog" with the dialog's caption.
/// Objects are named by objectName; "outer/inner" names the widget called inner inside the one called outer.
/// - {"cmd":"setValue","object":N,"value":V}: a spin box's value (then editingFinished) or a slider's position.
/// - {"cmd":"setCell","object":N,"row":R,"col":C,"text":T}: an editable table cell's text (itemChanged fires).
/// - {"cmd":"activate","object":N,"index":I}: a combo box's index, then activated(int), activated(QString) and
///   textActivated(QString), as a choice in its list does.
/// - {"cmd":"selectRow","object":N,"row":R}: selects row R of a list, table or tree alone (R < 0 counts from the end).
/// - {"cmd":"click","object":N}: a button's click(), or a mouse press and release in the middle of another widget.
/// - {"cmd":"key","object":N,"key":"Ctrl+0"}: a key press and release posted to the widget.
/// - {"cmd":"answer","button":"yes"|"no"|"ok"|"none"}: from now on every message box is answered with that button
///   (or its nearest match) kAnswerDelayMs after it appears; "none" stops answering.
/// - {"cmd":"notices"}: "notices", [{ms, source "tip"|"messageBox", text, answer}], and "nowMs".
/// - {"cmd":"messages","ops":X,"devId":D,"last":K}: "count" of the main window's bus messages with that ops and
///   devId (either left out: any), the "messages" [{ms, msg}] of the last K (default 10), and "nowMs".
/// - {"cmd":"send","msg":{...}}: the main window's recvChangeData with the message as compact JSON.
/// - {"cmd":"screenshot","object":N,"file":F,"window":bool,"width":W,"height":H}: the widget (or its window),
///   resized first when W and H are given, as a PNG; answers width, height.
/// - {"cmd":"testTool","mode":M,"recordDir":D,"settleMs":S,"probeSettleMs":P}: with "mode", the main window opens
///   the test signal tool in that mode; the other fields set its record folder and waits. Answers "open", "busy",
///   "testedCount", "recordDir".
/// - {"cmd":"factoryCodes","codes":[{"code":C,"grant":"mode0"|"mode1"|"mode2"|"showAll"}],"switches":[K]}: the
///   factory prompt's codes of this session (kept as digests under a salt of the session) instead of the program's,
///   Ctrl+8 in device windows honoured and the feature switches named K ("CanResetFactory") on; answers "installed".
/// - {"cmd":"quit"}: the application quits after the answer.
/// Times ("ms", "nowMs") are milliseconds since the session started. Widgets must be visible, and enabled for
/// anything that acts on them. Passwords are never written: not from password fields, not from messages.
class ScriptSession : public QObject
{
    Q_OBJECT
public:
    /// The environment variable that turns a session on when it holds "1".
    static constexpr const char* kEnableVariable = "MERIDANE_SCRIPT";
    /// A partial line longer than this is dropped (and answered as an error) instead of growing without end.
    static constexpr int kMaxLineBytes = 4 * 1024 * 1024;
    /// How many messages of one ops and devId are kept for "messages" (the count covers all of them).
    static constexpr int kKeptMessages = 200;
    /// Message boxes are answered this long after they appear.
    static constexpr int kAnswerDelayMs = 30;

    using Writer = std::function<void(const QByteArray& line)>;

    /// Reads standard input through a socket notifier and writes answers to standard output; the application
    /// quits when standard input has ended and its last line has run. `bus` is the main window: it must have the signal
    /// sendBackDataSignal(QString) and the slots recvChangeData(QString) and slot_showDevWindow(QString) (a missing one
    /// fails its commands).
    explicit ScriptSession(QObject* bus, QObject* parent = nullptr);
    /// Lines come from feed() only and answers go to `writer` (tests).
    ScriptSession(QObject* bus, Writer writer, QObject* parent = nullptr);
    ~ScriptSession() override;

    /// True when MERIDANE_SCRIPT is "1".
    static bool enabledByEnvironment();

    /// Takes bytes of input; every complete line is run in turn from the event loop, one line per event.
    void feed(const QByteArray& bytes);

    // ---- Widget-free parts, public for tests ---------------------------------------------------------------

    enum class Answer
    {
        None,
        Yes,
        No,
        Ok
    };
    /// "yes", "no", "ok", "none"; false for anything else.
    static bool parseAnswer(const QString& text, Answer* out);

    struct KeyChord
    {
        int key = 0;
        Qt::KeyboardModifiers modifiers;
        QString text; ///< what the key types; empty with Ctrl, Alt or Meta
    };
    /// One key with modifiers in portable text ("Ctrl+0", "Escape", "Shift+A"); false for none, several or unknown.
    static bool parseKey(const QString& text, KeyChord* out);

    /// Removes the complete lines from the front of `buffer`, without their line ends ("\n" or "\r\n"); blank
    /// lines are skipped. An incomplete line stays in the buffer.
    static QList<QByteArray> takeLines(QByteArray* buffer);

    /// The widget a script means by `name` (see the class comment), or null. `hiddenMatch`, when given, receives
    /// the first hidden match when no match is visible.
    QWidget* findWidget(const QString& name, QWidget** hiddenMatch = nullptr) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void forgetWindow(QObject* window);
    /// Counts one message of the main window's bus.
    void recordMessage(const QString& text);

private:
    struct Notice
    {
        qint64 ms;
        QString source; ///< "tip", "messageBox" or "fileDialog"
        QString text;
        QString answer; ///< message boxes: the button given, empty while unanswered; file dialogs: the file given
    };
    struct SeenMessage
    {
        qint64 ms;
        QJsonObject msg;
    };
    struct MessageBucket
    {
        int count = 0;
        QVector<SeenMessage> recent; ///< oldest first, at most kKeptMessages
    };
    using Handler = QJsonObject (ScriptSession::*)(const QJsonObject& cmd);

    void init();
    void readInput();
    void scheduleNext();
    void runNext();
    void runLine(const QByteArray& line);
    void writeAnswer(const QJsonValue& id, QJsonObject answer);
    /// Runs `action` from the event loop once the current answer is written.
    void defer(std::function<void()> action);
    void recordTip(const QString& text);
    void answerBox(QMessageBox* box);
    /// The visible widget named by cmd["object"], checked for use by a script; null with `error` set otherwise.
    QWidget* usableWidget(const QJsonObject& cmd, QString* error, bool needEnabled = true) const;
    /// Lower is nearer the top: modal dialog, active window, then the most recently shown.
    qint64 windowRank(const QWidget* window) const;

    QJsonObject cmdDevices(const QJsonObject& cmd);
    QJsonObject cmdDetail(const QJsonObject& cmd);
    QJsonObject cmdOpen(const QJsonObject& cmd);
    QJsonObject cmdFind(const QJsonObject& cmd);
    QJsonObject cmdWindows(const QJsonObject& cmd);
    QJsonObject cmdSetText(const QJsonObject& cmd);
    QJsonObject cmdSetValue(const QJsonObject& cmd);
    QJsonObject cmdChooseFile(const QJsonObject& cmd);
    QJsonObject cmdDspMatrixClick(const QJsonObject& cmd);
    QJsonObject cmdSetCell(const QJsonObject& cmd);
    QJsonObject cmdActivate(const QJsonObject& cmd);
    QJsonObject cmdSelectRow(const QJsonObject& cmd);
    QJsonObject cmdClick(const QJsonObject& cmd);
    QJsonObject cmdKey(const QJsonObject& cmd);
    QJsonObject cmdAnswer(const QJsonObject& cmd);
    QJsonObject cmdNotices(const QJsonObject& cmd);
    QJsonObject cmdMessages(const QJsonObject& cmd);
    QJsonObject cmdSend(const QJsonObject& cmd);
    /// {"send": devId or stream address, "sendCh", "recv": devId, "recvCh"} -> the cell's row and column,
    /// scrolled into the drawn window; matrixCell adds its "checking"/"checked" marks, matrixClick clicks it.
    QJsonObject cmdMatrixCell(const QJsonObject& cmd);
    QJsonObject cmdMatrixClick(const QJsonObject& cmd);
    QJsonObject matrixCell(const QJsonObject& cmd, CellRouteForm** form, int* row, int* col);
    QJsonObject cmdScreenshot(const QJsonObject& cmd);
    QJsonObject cmdTestTool(const QJsonObject& cmd);
    QJsonObject cmdFactoryCodes(const QJsonObject& cmd);
    QJsonObject cmdQuit(const QJsonObject& cmd);

    QPointer<QObject> m_bus;
    Writer m_writer;
    QSocketNotifier* m_notifier = nullptr;
    QHash<QString, Handler> m_handlers;
    QByteArray m_buffer;
    QList<QByteArray> m_pending;
    bool m_scheduled = false;
    bool m_quitWhenDone = false; ///< input ended: quit once the last line has run
    QVector<std::function<void()>> m_deferred;
    QElapsedTimer m_clock;
    Answer m_answer = Answer::None;
    QVector<Notice> m_notices;
    static constexpr int kMaxQueuedFiles = 16;
    /// Answers for the next file dialogs, in order.
    QStringList m_files;
    QHash<QString, QHash<QString, MessageBucket>> m_messages; ///< ops -> devId -> what was seen
    QHash<QWidget*, quint64> m_shownOrder;                    ///< top-level widget -> when it was last shown
    quint64 m_showCounter = 0;
};

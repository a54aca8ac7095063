#include "ScriptSession.h"
#include "DevDetailStore.h"
#include "FileDialogs.h"
#include "LevelMeter.h"
#include "MySnackbar.h"

#include <QApplication>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <gtest/gtest.h>
#include <memory>
#include <tuple>

namespace {

QApplication* scriptTestApp()
{
    if (QApplication::instance() == nullptr) {
        static int argc = 1;
        static char name[] = "meridane-script-test";
        static char* argv[] = {name, nullptr};
        static QApplication app(argc, argv);
    }
    return qobject_cast<QApplication*>(QApplication::instance());
}

bool runUntil(const std::function<bool()>& done, int ms = 2000)
{
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}

} // namespace

/// Stands in for the main window: the bus signal and the two slots a session calls by name.
class FakeBus : public QObject
{
    Q_OBJECT
public:
    QStringList changes;
    QStringList opened;

signals:
    void sendBackDataSignal(QString msg);

public slots:
    void recvChangeData(QString str) { changes.append(str); }
    void slot_showDevWindow(QString devId) { opened.append(devId); }
};

class KeyTarget : public QWidget
{
public:
    QVector<QPair<int, Qt::KeyboardModifiers>> pressed;

protected:
    void keyPressEvent(QKeyEvent* e) override { pressed.append({e->key(), e->modifiers()}); }
};

namespace {

class ScriptSessionRun : public ::testing::Test
{
protected:
    void SetUp() override
    {
        scriptTestApp();
        DevDetailStore::instance().clear();
        m_session = std::make_unique<ScriptSession>(&m_bus, [this](const QByteArray& line) {
            ASSERT_TRUE(line.endsWith('\n'));
            ASSERT_EQ(line.count('\n'), 1);
            m_answers.append(QJsonDocument::fromJson(line).object());
        });
    }
    void TearDown() override
    {
        m_session.reset();
        DevDetailStore::instance().clear();
    }

    /// Feeds one command and waits for its answer.
    QJsonObject run(const QByteArray& json)
    {
        const int before = m_answers.size();
        m_session->feed(json + "\n");
        EXPECT_TRUE(runUntil([&] { return m_answers.size() > before; })) << json.constData();
        return m_answers.size() > before ? m_answers.at(before) : QJsonObject();
    }
    /// Lets deferred actions run.
    static void settle()
    {
        runUntil([] { return false; }, 50);
    }

    FakeBus m_bus;
    std::unique_ptr<ScriptSession> m_session;
    QList<QJsonObject> m_answers;
};

TEST(ScriptSessionParsing, LinesAreSplitOnlyWhenComplete)
{
    QByteArray buffer("{\"a\":1}\r\n\n   \n{\"b\":2}\n{\"c\"");
    const QList<QByteArray> lines = ScriptSession::takeLines(&buffer);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], "{\"a\":1}");
    EXPECT_EQ(lines[1], "{\"b\":2}");
    EXPECT_EQ(buffer, "{\"c\"");
    buffer += ":3}\n";
    EXPECT_EQ(ScriptSession::takeLines(&buffer), QList<QByteArray>{"{\"c\":3}"});
    EXPECT_TRUE(buffer.isEmpty());
}

TEST(ScriptSessionParsing, KeysAndAnswers)
{
    const struct
    {
        const char* chord;
        int key;
        Qt::KeyboardModifiers modifiers;
        const char* text;
    } keys[] = {{"Ctrl+0", Qt::Key_0, Qt::ControlModifier, ""},
                {"Ctrl+Alt+1", Qt::Key_1, Qt::ControlModifier | Qt::AltModifier, ""},
                {"Shift+A", Qt::Key_A, Qt::ShiftModifier, "A"},
                {"a", Qt::Key_A, Qt::NoModifier, "a"},
                {"Escape", Qt::Key_Escape, Qt::NoModifier, ""}};
    ScriptSession::KeyChord k;
    for (const auto& c : keys) {
        ASSERT_TRUE(ScriptSession::parseKey(QString::fromLatin1(c.chord), &k)) << c.chord;
        EXPECT_EQ(std::make_tuple(k.key, int(k.modifiers), k.text),
                  std::make_tuple(c.key, int(c.modifiers), QString::fromLatin1(c.text)))
            << c.chord;
    }
    for (const char* bad : {"", "Ctrl+0, Ctrl+1", "NoSuchKey", "Ctrl+"})
        EXPECT_FALSE(ScriptSession::parseKey(QString::fromLatin1(bad), &k)) << bad;

    ScriptSession::Answer a = ScriptSession::Answer::None;
    EXPECT_TRUE(ScriptSession::parseAnswer("no", &a));
    EXPECT_EQ(a, ScriptSession::Answer::No);
    EXPECT_FALSE(ScriptSession::parseAnswer("Yes", &a));
    EXPECT_FALSE(ScriptSession::parseAnswer("", &a));
}

TEST_F(ScriptSessionRun, EveryLineGetsExactlyOneAnswerInOrder)
{
    m_session->feed(
        "{\"id\":1,\"cmd\":\"devices\"}\nnot json\n{\"id\":\"x\",\"cmd\":\"fly\"}\n[1]\n{\"id\":{\"n\":4},");
    ASSERT_TRUE(runUntil([&] { return m_answers.size() == 4; }));
    settle();
    ASSERT_EQ(m_answers.size(), 4) << "the incomplete line is not run";
    EXPECT_EQ(m_answers[0].value("id").toInt(), 1);
    EXPECT_TRUE(m_answers[0].value("ok").toBool());
    EXPECT_TRUE(m_answers[0].value("devices").toArray().isEmpty());
    EXPECT_TRUE(m_answers[1].value("id").isNull());
    EXPECT_FALSE(m_answers[1].value("ok").toBool());
    EXPECT_EQ(m_answers[2].value("id").toString(), "x");
    EXPECT_TRUE(m_answers[2].value("error").toString().contains("fly"));
    EXPECT_FALSE(m_answers[3].value("ok").toBool());
    m_session->feed("\"cmd\":\"notices\"}\n");
    ASSERT_TRUE(runUntil([&] { return m_answers.size() == 5; }));
    EXPECT_EQ(m_answers[4].value("id").toObject().value("n").toInt(), 4);
    EXPECT_TRUE(m_answers[4].value("ok").toBool());
}

TEST_F(ScriptSessionRun, DevicesAndDetailComeFromTheStore)
{
    DevDetail_t d;
    d.devId = "MD1";
    d.name = "Stage";
    d.ip = 0x0A4D000B;
    d.port = 9990;
    d.rxChNames = QStringList{"Kick", "Snare"};
    d.sampleRates = QStringList{"44100", "48000"};
    d.routeLock = 1;
    d.detailLock = 2;
    DevDetailStore::instance().insertDevDetail(d);

    const QJsonArray devs = run(R"({"id":1,"cmd":"devices"})").value("devices").toArray();
    ASSERT_EQ(devs.size(), 1);
    EXPECT_EQ(devs[0].toObject().value("ip").toString(), "10.77.0.11");
    const QJsonObject detail = run(R"({"id":2,"cmd":"detail","devId":"MD1"})").value("detail").toObject();
    EXPECT_EQ(detail.value("rxChNames").toArray(), QJsonArray({"Kick", "Snare"}));
    EXPECT_EQ(detail.value("sampleRates").toArray(), QJsonArray({"44100", "48000"}));
    EXPECT_EQ(detail.value("routeLock").toInt(), 1);
    EXPECT_EQ(detail.value("detailLock").toInt(), 2);
    EXPECT_FALSE(run(R"({"id":3,"cmd":"detail","devId":"MD2"})").value("ok").toBool());
}

TEST_F(ScriptSessionRun, FindPrefersTheVisibleMatchInTheLatestWindowAndHidesPasswords)
{
    QWidget first;
    first.setObjectName("first");
    auto* firstOk = new QPushButton("first ok", &first);
    firstOk->setObjectName("ok_bt");
    QWidget second;
    second.setObjectName("second");
    auto* layout = new QVBoxLayout(&second);
    auto* hiddenOk = new QPushButton("hidden ok", &second);
    hiddenOk->setObjectName("ok_bt");
    auto* secondOk = new QPushButton("second ok", &second);
    secondOk->setObjectName("ok_bt");
    auto* pass = new QLineEdit(&second);
    pass->setObjectName("passwd_le");
    pass->setEchoMode(QLineEdit::Password);
    pass->setText("s3cret");
    layout->addWidget(hiddenOk);
    layout->addWidget(secondOk);
    layout->addWidget(pass);
    first.show();
    second.show();
    hiddenOk->hide();
    QCoreApplication::processEvents();

    EXPECT_EQ(m_session->findWidget("ok_bt"), secondOk);
    EXPECT_EQ(run(R"({"id":1,"cmd":"find","object":"ok_bt"})").value("text").toString(), "second ok");
    second.hide();
    EXPECT_EQ(m_session->findWidget("ok_bt"), firstOk);
    // Shown again: on top again.
    second.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(m_session->findWidget("ok_bt"), secondOk);

    const QJsonObject p = run(R"({"id":2,"cmd":"find","object":"passwd_le"})");
    EXPECT_TRUE(p.value("ok").toBool());
    EXPECT_FALSE(p.contains("text"));
    EXPECT_EQ(p.value("echoMode").toString(), "password");
    EXPECT_FALSE(QJsonDocument(p).toJson().contains("s3cret"));

    first.hide();
    second.hide();
    const QJsonObject hidden = run(R"({"id":3,"cmd":"find","object":"ok_bt"})");
    EXPECT_TRUE(hidden.value("ok").toBool());
    EXPECT_FALSE(hidden.value("visible").toBool());
    EXPECT_FALSE(run(R"({"id":4,"cmd":"click","object":"ok_bt"})").value("ok").toBool());
    const QJsonObject none = run(R"({"id":5,"cmd":"find","object":"nothing"})");
    EXPECT_FALSE(none.value("ok").toBool());
    EXPECT_FALSE(none.value("exists").toBool());
}

TEST_F(ScriptSessionRun, AModalQuestionDoesNotStopTheReaderAndIsAnsweredWhenAsked)
{
    QWidget w;
    auto* button = new QPushButton("ask", &w);
    button->setObjectName("ask_bt");
    int result = -1;
    QObject::connect(button, &QPushButton::clicked, &w, [&] {
        result = QMessageBox::question(&w, "Tips", "Reboot now?", QMessageBox::Yes | QMessageBox::No);
    });
    w.show();
    QCoreApplication::processEvents();

    m_session->feed("{\"id\":1,\"cmd\":\"click\",\"object\":\"ask_bt\"}\n"
                    "{\"id\":2,\"cmd\":\"notices\"}\n");
    // Told only long after the box appeared: the waiting box is answered then.
    QTimer::singleShot(300, m_session.get(),
                       [this] { m_session->feed("{\"id\":3,\"cmd\":\"answer\",\"button\":\"no\"}\n"); });
    ASSERT_TRUE(runUntil([&] { return result != -1; }, 3000));
    EXPECT_EQ(result, int(QMessageBox::No));
    ASSERT_EQ(m_answers.size(), 3);
    // Answered while the question was open, before anyone answered it.
    const QJsonArray notices = m_answers[1].value("notices").toArray();
    ASSERT_EQ(notices.size(), 1);
    EXPECT_EQ(notices[0].toObject().value("text").toString(), "Reboot now?");
    EXPECT_EQ(notices[0].toObject().value("answer").toString(), "none");

    // From now on every box is answered by itself.
    run(R"({"id":4,"cmd":"answer","button":"yes"})");
    result = -1;
    run(R"({"id":5,"cmd":"click","object":"ask_bt"})");
    ASSERT_TRUE(runUntil([&] { return result != -1; }, 3000));
    EXPECT_EQ(result, int(QMessageBox::Yes));
    // An information box has no "yes": its OK closes it.
    QObject::disconnect(button, nullptr, &w, nullptr);
    QObject::connect(button, &QPushButton::clicked, &w, [&] { result = QMessageBox::information(&w, "Tips", "Done"); });
    result = -1;
    run(R"({"id":6,"cmd":"click","object":"ask_bt"})");
    ASSERT_TRUE(runUntil([&] { return result != -1; }, 3000));
    EXPECT_EQ(result, int(QMessageBox::Ok));
    const QJsonArray all = run(R"({"id":7,"cmd":"notices"})").value("notices").toArray();
    ASSERT_EQ(all.size(), 3);
    EXPECT_EQ(all[0].toObject().value("answer").toString(), "no");
    EXPECT_EQ(all[1].toObject().value("answer").toString(), "yes");
    EXPECT_EQ(all[2].toObject().value("text").toString(), "Done");
}

TEST_F(ScriptSessionRun, EditsActAsAUserWould)
{
    // Before the window: its line edit reports a last editingFinished when focus leaves it on destruction.
    QStringList finished;
    int changed = 0;
    QWidget w;
    auto* layout = new QVBoxLayout(&w);
    auto* name = new QLineEdit(&w);
    name->setObjectName("devName_le");
    auto* combo = new QComboBox(&w);
    combo->setObjectName("samplerate_comb");
    combo->addItems({"44100", "48000", "96000"});
    auto* table = new QTableWidget(2, 2, &w);
    table->setObjectName("channel_table");
    for (int r = 0; r < 2; ++r) {
        table->setItem(r, 0, new QTableWidgetItem(QStringLiteral("NetIn%1").arg(r + 1)));
        auto* fixed = new QTableWidgetItem("rx");
        fixed->setFlags(fixed->flags() & ~Qt::ItemIsEditable);
        table->setItem(r, 1, fixed);
    }
    auto* off = new QPushButton("off", &w);
    off->setObjectName("off_bt");
    off->setEnabled(false);
    auto* freq = new QDoubleSpinBox(&w);
    freq->setObjectName("freq_sb");
    freq->setRange(20, 20000);
    auto* slider = new QSlider(&w);
    slider->setObjectName("thr_slider");
    slider->setRange(0, 1000);
    for (QWidget* c : {static_cast<QWidget*>(name), static_cast<QWidget*>(combo), static_cast<QWidget*>(table),
                       static_cast<QWidget*>(off), static_cast<QWidget*>(freq), static_cast<QWidget*>(slider)})
        layout->addWidget(c);
    QObject::connect(name, &QLineEdit::editingFinished, &w, [&] { finished.append(name->text()); });
    QSignalSpy activated(combo, QOverload<int>::of(&QComboBox::activated));
    QSignalSpy textActivated(combo, &QComboBox::textActivated);
    QObject::connect(table, &QTableWidget::itemChanged, &w, [&changed] { ++changed; });
    w.show();
    QCoreApplication::processEvents();

    EXPECT_TRUE(run(R"({"id":1,"cmd":"setText","object":"devName_le","text":"Lectern"})").value("ok").toBool());
    EXPECT_TRUE(run(R"({"id":2,"cmd":"activate","object":"samplerate_comb","index":2})").value("ok").toBool());
    EXPECT_TRUE(run(R"({"id":3,"cmd":"setCell","object":"channel_table","row":1,"col":0,"text":"Ambience"})")
                    .value("ok")
                    .toBool());
    QSignalSpy freqDone(freq, &QDoubleSpinBox::editingFinished);
    EXPECT_TRUE(run(R"({"id":10,"cmd":"setValue","object":"freq_sb","value":1250.5})").value("ok").toBool());
    EXPECT_TRUE(run(R"({"id":11,"cmd":"setValue","object":"thr_slider","value":580})").value("ok").toBool());
    settle();
    EXPECT_DOUBLE_EQ(freq->value(), 1250.5);
    EXPECT_EQ(freqDone.size(), 1);
    EXPECT_EQ(slider->value(), 580);
    EXPECT_EQ(finished, QStringList{"Lectern"});
    ASSERT_EQ(activated.size(), 1);
    EXPECT_EQ(activated[0][0].toInt(), 2);
    ASSERT_EQ(textActivated.size(), 1);
    EXPECT_EQ(textActivated[0][0].toString(), "96000");
    EXPECT_EQ(combo->currentIndex(), 2);
    ASSERT_EQ(changed, 1);
    EXPECT_EQ(table->item(1, 0)->text(), "Ambience");

    const QJsonObject cells = run(R"({"id":4,"cmd":"find","object":"channel_table"})");
    EXPECT_EQ(cells.value("cells").toArray()[1].toArray()[0].toString(), "Ambience");

    // What a user could not do is refused and changes nothing.
    for (const char* bad : {R"({"id":5,"cmd":"setCell","object":"channel_table","row":0,"col":1,"text":"x"})",
                            R"({"id":6,"cmd":"setCell","object":"channel_table","row":5,"col":0,"text":"x"})",
                            R"({"id":7,"cmd":"activate","object":"samplerate_comb","index":3})",
                            R"({"id":8,"cmd":"click","object":"off_bt"})",
                            R"({"id":9,"cmd":"setText","object":"samplerate_comb","text":"x"})",
                            R"({"id":12,"cmd":"setValue","object":"devName_le","value":1})",
                            R"({"id":13,"cmd":"setValue","object":"freq_sb","value":"x"})"}) {
        const QJsonObject a = run(bad);
        EXPECT_FALSE(a.value("ok").toBool()) << bad;
        EXPECT_FALSE(a.value("error").toString().isEmpty()) << bad;
    }
    settle();
    EXPECT_EQ(changed, 1);
    EXPECT_EQ(activated.size(), 1);
}

TEST_F(ScriptSessionRun, PlainTextBoxesTakeTextWhole)
{
    QWidget w;
    auto* layout = new QVBoxLayout(&w);
    auto* commands = new QPlainTextEdit(&w);
    commands->setObjectName("te_cmd");
    auto* shown = new QPlainTextEdit(&w);
    shown->setObjectName("te_preview");
    shown->setReadOnly(true);
    layout->addWidget(commands);
    layout->addWidget(shown);
    w.show();
    QCoreApplication::processEvents();
    EXPECT_TRUE(
        run(R"({"id":1,"cmd":"setText","object":"te_cmd","text":"core#in#1#0\nmatrix#*#1"})").value("ok").toBool());
    EXPECT_FALSE(run(R"({"id":2,"cmd":"setText","object":"te_preview","text":"x"})").value("ok").toBool());
    settle();
    EXPECT_EQ(commands->toPlainText(), "core#in#1#0\nmatrix#*#1");
    EXPECT_TRUE(shown->toPlainText().isEmpty());
}

TEST_F(ScriptSessionRun, FileDialogsTakeTheScriptedAnswersInOrder)
{
    EXPECT_FALSE(run(R"({"id":1,"cmd":"chooseFile"})").value("ok").toBool());
    EXPECT_TRUE(run(R"({"id":2,"cmd":"chooseFile","file":"/tmp/a.txt"})").value("ok").toBool());
    EXPECT_TRUE(run(R"({"id":3,"cmd":"chooseFile","file":""})").value("ok").toBool());
    EXPECT_EQ(FileDialogs::openFileName(nullptr, "Select fir file", QString(), "*.*"), "/tmp/a.txt");
    EXPECT_EQ(FileDialogs::saveFileName(nullptr, "Save", QString(), "*.*"), "") << "an empty answer cancels";
    const QJsonArray notices = run(R"({"id":4,"cmd":"notices"})").value("notices").toArray();
    ASSERT_GE(notices.size(), 2);
    EXPECT_EQ(notices[notices.size() - 2].toObject().value("text").toString(), "Select fir file");
    EXPECT_EQ(notices[notices.size() - 2].toObject().value("answer").toString(), "/tmp/a.txt");
    EXPECT_EQ(notices.last().toObject().value("source").toString(), "fileDialog");
}

TEST_F(ScriptSessionRun, NestedNamesPickOneOfSeveralEqualChildren)
{
    QWidget w;
    auto* layout = new QVBoxLayout(&w);
    QStringList clicked;
    for (const char* item : {"item:A", "item:B"}) {
        auto* box = new QWidget(&w);
        box->setObjectName(item);
        auto* inner = new QVBoxLayout(box);
        auto* add = new QPushButton("add", box);
        add->setObjectName("add_bt");
        inner->addWidget(add);
        layout->addWidget(box);
        QObject::connect(add, &QPushButton::clicked, [&clicked, item] { clicked << item; });
    }
    w.show();
    QCoreApplication::processEvents();
    EXPECT_TRUE(run(R"({"id":1,"cmd":"click","object":"item:B/add_bt"})").value("ok").toBool());
    EXPECT_FALSE(run(R"({"id":2,"cmd":"click","object":"item:C/add_bt"})").value("ok").toBool());
    EXPECT_FALSE(run(R"({"id":3,"cmd":"click","object":"item:A/none"})").value("ok").toBool());
    settle();
    EXPECT_EQ(clicked, QStringList{"item:B"});
}

TEST_F(ScriptSessionRun, MetersReportTheirReading)
{
    QWidget w;
    auto* layout = new QVBoxLayout(&w);
    auto* meter = new LevelMeter(&w);
    meter->setObjectName("meter:In:0");
    meter->setValue(-120);
    layout->addWidget(meter);
    w.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(run(R"({"id":1,"cmd":"find","object":"meter:In:0"})").value("value").toInt(), -90);
    meter->setValue(-12);
    EXPECT_EQ(run(R"({"id":2,"cmd":"find","object":"meter:In:0"})").value("value").toInt(), -12);
}

TEST_F(ScriptSessionRun, KeysReachTheNamedWidget)
{
    KeyTarget target;
    target.setObjectName("DevWin");
    target.show();
    QCoreApplication::processEvents();
    EXPECT_TRUE(run(R"({"id":1,"cmd":"key","object":"DevWin","key":"Ctrl+0"})").value("ok").toBool());
    ASSERT_TRUE(runUntil([&] { return !target.pressed.isEmpty(); }));
    EXPECT_EQ(target.pressed[0].first, int(Qt::Key_0));
    EXPECT_EQ(target.pressed[0].second, Qt::ControlModifier);
    EXPECT_FALSE(run(R"({"id":2,"cmd":"key","object":"DevWin","key":"Ctrl+0, 1"})").value("ok").toBool());
}

TEST_F(ScriptSessionRun, MessagesOfTheBusAreCountedPerOpsAndDevice)
{
    for (int i = 0; i < 60; ++i)
        emit m_bus.sendBackDataSignal(QStringLiteral(R"({"ops":"getAllPhyLevel","devId":"MD1","n":"%1"})").arg(i));
    emit m_bus.sendBackDataSignal(R"({"ops":"getAllPhyLevel","devId":"MD2"})");
    emit m_bus.sendBackDataSignal("closeDev");
    emit m_bus.sendBackDataSignal(R"({"ops":"setLock","devId":"MD1","result":"succ","password":"s3cret"})");

    const QJsonObject one = run(R"({"id":1,"cmd":"messages","ops":"getAllPhyLevel","devId":"MD1","last":3})");
    EXPECT_EQ(one.value("count").toInt(), 60);
    const QJsonArray last = one.value("messages").toArray();
    ASSERT_EQ(last.size(), 3);
    EXPECT_EQ(last[2].toObject().value("msg").toObject().value("n").toString(), "59");
    EXPECT_TRUE(last[0].toObject().value("ms").isDouble());
    EXPECT_EQ(run(R"({"id":2,"cmd":"messages","ops":"getAllPhyLevel"})").value("count").toInt(), 61);
    EXPECT_EQ(run(R"({"id":3,"cmd":"messages","devId":"MD1"})").value("count").toInt(), 61);
    EXPECT_EQ(run(R"({"id":4,"cmd":"messages","ops":"setLock","devId":"MD2"})").value("count").toInt(), 0);
    const QJsonObject lock = run(R"({"id":6,"cmd":"messages","ops":"setLock"})");
    EXPECT_EQ(lock.value("count").toInt(), 1);
    EXPECT_FALSE(QJsonDocument(lock).toJson().contains("s3cret"));
    EXPECT_FALSE(run(R"({"id":5,"cmd":"messages","last":1000000})").value("ok").toBool());
}

TEST_F(ScriptSessionRun, SendOpenAndTipsGoThroughTheMainWindow)
{
    EXPECT_TRUE(
        run(R"({"id":1,"cmd":"send","msg":{"ops":"setUcastRx","devId":"MD1","dstChId":"0"}})").value("ok").toBool());
    EXPECT_TRUE(run(R"({"id":2,"cmd":"open","devId":"MD1"})").value("ok").toBool());
    settle();
    EXPECT_EQ(m_bus.changes, QStringList{R"({"devId":"MD1","dstChId":"0","ops":"setUcastRx"})"});
    EXPECT_EQ(m_bus.opened, QStringList{"MD1"});
    EXPECT_FALSE(run(R"({"id":3,"cmd":"send","msg":"text"})").value("ok").toBool());

    QWidget w;
    MySnackbar bar(&w);
    bar.showMessage("设备已加锁");
    const QJsonArray notices = run(R"({"id":4,"cmd":"notices"})").value("notices").toArray();
    ASSERT_EQ(notices.size(), 1);
    EXPECT_EQ(notices[0].toObject().value("text").toString(), "设备已加锁");
    EXPECT_EQ(notices[0].toObject().value("source").toString(), "tip");

    // A main window without the slots fails the commands instead of doing nothing.
    QObject plain;
    ScriptSession bare(&plain,
                       [this](const QByteArray& line) { m_answers.append(QJsonDocument::fromJson(line).object()); });
    const int before = m_answers.size();
    bare.feed("{\"id\":5,\"cmd\":\"open\",\"devId\":\"MD1\"}\n{\"id\":6,\"cmd\":\"send\",\"msg\":{}}\n");
    ASSERT_TRUE(runUntil([&] { return m_answers.size() == before + 2; }));
    EXPECT_FALSE(m_answers[before].value("ok").toBool());
    EXPECT_FALSE(m_answers[before + 1].value("ok").toBool());
}

} // namespace

#include "ScriptSessionTest.moc"

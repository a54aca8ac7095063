// The factory configuration dialog: what it shows of the device, that a refused command sends nothing, every
// outcome of the exchange (scripted, and through a real socket), the restart it asks its opener for, the export,
// and the device window's button.
#include "DspWidgetTestSupport.h"

#include "DeviceWindow.h"
#include "DspBlockingExchange.h"
#include "DspTcpFramer.h"
#include "FileDialogs.h"
#include "ModifyDefaultDspDialog.h"

#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <functional>
#include <future>
#include <mutex>
#include <thread>

using namespace dsptest;

namespace {

/// Answers and records what the dialog asks, tells and sends.
struct Script
{
    bool yes = true;
    QString reply;
    QStringList asked;
    QStringList told;
    std::mutex lock; // the exchange runs on a worker
    QStringList requests;
    QList<uint32_t> hosts;

    ModifyDefaultDspDialog::Hooks hooks()
    {
        ModifyDefaultDspDialog::Hooks h;
        h.ask = [this](const QString& q) {
            asked.append(q);
            return yes;
        };
        h.inform = [this](const QString& t) { told.append(t); };
        h.exchange = [this](uint32_t ip, const QString& request) {
            std::lock_guard<std::mutex> g(lock);
            requests.append(request);
            hosts.append(ip);
            return reply;
        };
        return h;
    }
};

class ModifyDefaultDspDialogTest : public ::testing::Test
{
protected:
    ModifyDefaultDspDialogTest()
    {
        app();
        resetAll();
        addDevice();
    }
    ~ModifyDefaultDspDialogTest() override
    {
        FileDialogs::setAnswerer(nullptr);
        resetAll();
    }

    static void setCommands(ModifyDefaultDspDialog& d, const QString& text)
    {
        d.findChild<QPlainTextEdit*>(QStringLiteral("te_cmd"))->setPlainText(text);
    }

    /// Clicks "set as default" and waits for the exchange, if one started, to end.
    static void setDefault(ModifyDefaultDspDialog& d)
    {
        QSignalSpy done(&d, &ModifyDefaultDspDialog::signal_setDefaultFinished);
        QPushButton* button = d.findChild<QPushButton*>(QStringLiteral("pb_setDefault"));
        button->click();
        // The button stays disabled until the end of the exchange reaches this thread.
        if (!button->isEnabled()) {
            ASSERT_TRUE(done.wait(8000));
        }
    }
};

TEST_F(ModifyDefaultDspDialogTest, ShowsTheDeviceChannelsAndStartsFromThem)
{
    AppState::setChinese(true);
    ModifyDefaultDspDialog d(kDevId);
    EXPECT_EQ(
        d.findChild<QLabel*>(QStringLiteral("lb_devChannels"))->text(),
        QStringLiteral("本设备通道信息: 模拟输入2通道，网络输入2通道，模拟输出2通道，网络输出2通道, 采样率:48000"));
    EXPECT_EQ(d.findChild<QSpinBox*>(QStringLiteral("sb_inNum"))->value(), 4);
    EXPECT_EQ(d.findChild<QSpinBox*>(QStringLiteral("sb_outNum"))->value(), 4);
    EXPECT_EQ(d.findChild<QSpinBox*>(QStringLiteral("sb_sampleRate"))->value(), 48000);
    EXPECT_EQ(d.dspHost(), kDevIp);
}

TEST_F(ModifyDefaultDspDialogTest, ARefusedCommandSendsNothingAndPointsAtTheFault)
{
    AppState::setChinese(true);
    Script s;
    ModifyDefaultDspDialog d(kDevId);
    d.setHooks(s.hooks());
    const char* refused[] = {"proc#in#1-99999999#eq", "matrix#1#1\nproc#in#1#eq,eq", "core#in#1#0#", "bogus"};
    for (const char* text : refused) {
        s.told.clear();
        setCommands(d, QString::fromUtf8(text));
        setDefault(d);
        ASSERT_EQ(s.told.size(), 1) << text;
        EXPECT_TRUE(s.told[0].startsWith(QStringLiteral("命令解析异常"))) << s.told[0].toStdString();
        EXPECT_TRUE(d.findChild<QLabel*>(QStringLiteral("lb_cmdError"))->isVisibleTo(&d));
        EXPECT_FALSE(d.isBusy());
    }
    EXPECT_TRUE(s.requests.isEmpty()) << "nothing sent";
    EXPECT_TRUE(s.asked.isEmpty());

    // The cursor is put where the fault is: line 1, column 11 of the first text.
    setCommands(d, QStringLiteral("proc#in#1-99999999#eq"));
    d.findChild<QPushButton*>(QStringLiteral("pb_export"))->click();
    const QTextCursor cursor = d.findChild<QPlainTextEdit*>(QStringLiteral("te_cmd"))->textCursor();
    EXPECT_EQ(cursor.blockNumber(), 0);
    EXPECT_EQ(cursor.positionInBlock(), 10);
    EXPECT_TRUE(s.told.last().contains(QStringLiteral("第 1 行第 11 列")));
}

TEST_F(ModifyDefaultDspDialogTest, CountsOutsideTheBoundsAreRefusedBeforeSending)
{
    Script s;
    ModifyDefaultDspDialog d(kDevId);
    d.setHooks(s.hooks());
    d.findChild<QSpinBox*>(QStringLiteral("sb_sampleRate"))->setValue(47000); // not a rate the device runs at
    setDefault(d);
    ASSERT_EQ(s.told.size(), 1);
    EXPECT_TRUE(s.told[0].contains(QStringLiteral("48000")));
    EXPECT_TRUE(s.requests.isEmpty());
}

struct Outcome
{
    const char* name;
    std::function<QString()> reply;
    bool yes;
    bool asksRestart;
    bool restarts;
    std::function<QString()> told; ///< the one text shown, or empty
};

TEST_F(ModifyDefaultDspDialogTest, EveryOutcomeOfTheExchangeIsShown)
{
    const Outcome outcomes[] = {
        {"succeededRestart", [] { return QStringLiteral(R"({"ops":"setFactoryConfig","result":"succ"})"); }, true, true,
         true, [] { return QString(); }},
        {"succeededLater", [] { return QStringLiteral(R"({"ops":"setFactoryConfig","result":"succ"})"); }, false, true,
         false, [] { return QString(); }},
        {"refused", [] { return QStringLiteral(R"({"ops":"setFactoryConfig","result":"fail","reason":"x"})"); }, true,
         false, false, [] { return QStringLiteral("设置失败"); }},
        {"notJson", [] { return QStringLiteral("garbage"); }, true, false, false,
         [] { return QStringLiteral("设置失败"); }},
        {"noConnection", [] { return DspBlockingExchange::connectFailedText(); }, true, false, false,
         [] { return QStringLiteral("连接失败，请关闭设备详情窗口重新打开"); }},
        {"noData", [] { return DspBlockingExchange::timeoutText(); }, true, false, false,
         [] { return QStringLiteral("等待数据超时 "); }},
        {"cutFrame", [] { return DspBlockingExchange::readLengthErrorText(); }, true, false, false,
         [] { return QStringLiteral("tcp 读取数据长度错误 "); }},
        {"badLength", [] { return DspBlockingExchange::parseLengthErrorText(); }, true, false, false,
         [] { return QStringLiteral("tcp 读取数据，解析长度错误 "); }},
    };
    AppState::setChinese(true);
    for (const Outcome& o : outcomes) {
        Script s;
        s.reply = o.reply();
        s.yes = o.yes;
        ModifyDefaultDspDialog d(kDevId);
        d.setHooks(s.hooks());
        QSignalSpy restart(&d, &ModifyDefaultDspDialog::signal_restartDevice);
        setDefault(d);
        ASSERT_EQ(s.requests.size(), 1) << o.name;
        EXPECT_EQ(s.hosts.value(0), kDevIp) << o.name;
        EXPECT_EQ(s.asked,
                  o.asksRestart ? QStringList{QStringLiteral("设置成功,重启后生效,是否立刻重启？")} : QStringList())
            << o.name;
        EXPECT_EQ(restart.size(), o.restarts ? 1 : 0) << o.name;
        EXPECT_EQ(s.told, o.told().isEmpty() ? QStringList() : QStringList{o.told()}) << o.name;
        EXPECT_TRUE(d.findChild<QPushButton*>(QStringLiteral("pb_setDefault"))->isEnabled()) << o.name;
    }
}

TEST_F(ModifyDefaultDspDialogTest, TheRequestCarriesTheBuiltConfiguration)
{
    Script s;
    s.reply = QStringLiteral(R"({"result":"succ"})");
    s.yes = false;
    ModifyDefaultDspDialog d(kDevId);
    d.setHooks(s.hooks());
    d.findChild<QSpinBox*>(QStringLiteral("sb_inNum"))->setValue(6);
    d.findChild<QSpinBox*>(QStringLiteral("sb_sampleRate"))->setValue(96000);
    setCommands(d, QStringLiteral("proc#in#6#hpf\nmatrix#6#4#-6\ngainShared#4\ncore#in#6#1"));
    setDefault(d);
    ASSERT_EQ(s.requests.size(), 1);
    const QString request = s.requests[0];
    EXPECT_TRUE(request.startsWith(QStringLiteral("{\"devId\":\"MRD-0042\", \""))) << "the processor link's envelope";
    const QJsonObject req = QJsonDocument::fromJson(request.toUtf8()).object();
    EXPECT_EQ(req["ops"].toString(), "setFactoryConfig");
    EXPECT_EQ(req["uiTag"].toString(), "dspUiTag");
    EXPECT_EQ(req["sampleRate"].toString(), "96000");
    const QJsonObject config = req["config"].toObject();
    EXPECT_EQ(config["sampleRate"].toString(), "96000");
    const QJsonArray nodes = config["nodeArr"].toArray();
    ASSERT_EQ(nodes.size(), 3);
    const QJsonObject lastInput = nodes[0].toObject()["obj"].toObject()["portArr"].toArray()[5].toObject();
    EXPECT_EQ(lastInput["core"].toString(), "1");
    EXPECT_EQ(lastInput["procArr"].toArray().size(), 1);
    const QJsonObject column4 = nodes[1].toObject()["obj"].toObject()["portArr"].toArray()[3].toObject();
    EXPECT_EQ(column4["mode"].toString(), "1");
    EXPECT_EQ(column4["muteArr"].toArray()[5].toString(), "0");
    EXPECT_EQ(column4["muteArr"].toArray()[4].toString(), "1");
}

TEST_F(ModifyDefaultDspDialogTest, OneRequestAtATime)
{
    Script s;
    s.yes = false;
    ModifyDefaultDspDialog d(kDevId);
    ModifyDefaultDspDialog::Hooks hooks = s.hooks();
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::atomic<int> calls{0};
    hooks.exchange = [released, &calls](uint32_t, const QString&) {
        ++calls;
        released.wait();
        return QStringLiteral(R"({"result":"succ"})");
    };
    d.setHooks(hooks);
    QSignalSpy done(&d, &ModifyDefaultDspDialog::signal_setDefaultFinished);
    QPushButton* set = d.findChild<QPushButton*>(QStringLiteral("pb_setDefault"));
    set->click();
    EXPECT_TRUE(d.isBusy());
    EXPECT_FALSE(set->isEnabled());
    EXPECT_FALSE(d.findChild<QPushButton*>(QStringLiteral("pb_export"))->isEnabled());
    d.on_pb_setDefault_clicked(); // even past the disabled button
    release.set_value();
    ASSERT_TRUE(done.wait(5000));
    QTest::qWait(50);
    EXPECT_EQ(calls.load(), 1);
    EXPECT_EQ(done.size(), 1);
    EXPECT_EQ(s.asked.size(), 1) << "the one answer handled";
    EXPECT_FALSE(d.isBusy());
    EXPECT_TRUE(set->isEnabled());
}

/// A one-connection processor on the loopback in a thread of its own: reads one framed request and runs `answer`.
class FakeProcessor
{
public:
    using Answer = std::function<void(QTcpSocket&)>;

    explicit FakeProcessor(Answer answer)
    {
        std::promise<quint16> port;
        std::future<quint16> ready = port.get_future();
        m_thread = std::thread([answer, &port] {
            QTcpServer server;
            server.listen(QHostAddress::LocalHost, 0);
            port.set_value(server.serverPort());
            if (!server.waitForNewConnection(5000))
                return;
            QTcpSocket* socket = server.nextPendingConnection();
            DspTcpFramer framer;
            QList<QByteArray> got;
            while (got.isEmpty() && socket->waitForReadyRead(5000))
                got = framer.feed(socket->readAll());
            answer(*socket);
            socket->flush();
            while (socket->bytesToWrite() > 0 && socket->waitForBytesWritten(5000)) {
            }
            if (socket->state() == QAbstractSocket::ConnectedState)
                socket->waitForDisconnected(5000);
        });
        m_port = ready.get();
    }
    ~FakeProcessor() { m_thread.join(); }
    quint16 port() const { return m_port; }

private:
    std::thread m_thread;
    quint16 m_port = 0;
};

TEST_F(ModifyDefaultDspDialogTest, FailuresOfARealExchangeGiveTheirTexts)
{
    AppState::setChinese(false);
    struct Case
    {
        const char* name;
        FakeProcessor::Answer answer; ///< null: nobody listens
        QString told;
    };
    const Case cases[] = {
        {"noConnection", nullptr,
         QStringLiteral("Connection failed, please close the device details window and open it again")},
        {"noData", [](QTcpSocket&) {}, QStringLiteral("Timeout waiting for data")},
        {"badFrame", [](QTcpSocket& s) { s.write(QByteArray(4, '\0')); },
         QStringLiteral("tcp read data, parse length error")},
        {"refusal",
         [](QTcpSocket& s) { s.write(DspTcpFramer::frame(R"({"ops":"setFactoryConfig","result":"fail"})")); },
         QStringLiteral("Set failed")},
    };
    for (const Case& c : cases) {
        std::unique_ptr<FakeProcessor> processor;
        quint16 port = 0;
        if (c.answer) {
            processor = std::make_unique<FakeProcessor>(c.answer);
            port = processor->port();
        } else {
            QTcpServer probe; // a port nobody listens on once the probe is gone
            ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
            port = probe.serverPort();
        }
        Script s;
        ModifyDefaultDspDialog d(kDevId);
        ModifyDefaultDspDialog::Hooks hooks = s.hooks();
        hooks.exchange = [port](uint32_t, const QString& request) {
            return DspBlockingExchange::request(0x7F000001, request, 1000, 300, port);
        };
        d.setHooks(hooks);
        setDefault(d);
        EXPECT_EQ(s.told, QStringList{c.told}) << c.name;
        EXPECT_TRUE(s.asked.isEmpty()) << c.name;
    }
}

TEST_F(ModifyDefaultDspDialogTest, ExportWritesTheConfigurationWhole)
{
    AppState::setChinese(true);
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    Script s;
    ModifyDefaultDspDialog d(kDevId);
    d.setHooks(s.hooks());
    setCommands(d, QStringLiteral("proc#out#1#limit\nmatrix#*#1"));
    QStringList captions;
    QStringList answers{dir.filePath(QStringLiteral("layout")), QString(),
                        dir.filePath(QStringLiteral("missing/dir/x.dt"))};
    FileDialogs::setAnswerer([&](FileDialogs::Kind kind, const QString& caption) -> std::optional<QString> {
        EXPECT_EQ(kind, FileDialogs::Kind::Save);
        captions.append(caption);
        return answers.takeFirst();
    });
    QPushButton* exportButton = d.findChild<QPushButton*>(QStringLiteral("pb_export"));
    exportButton->click();
    QFile file(dir.filePath(QStringLiteral("layout.dt")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << "the suffix is added";
    const QByteArray text = file.readAll();
    EXPECT_FALSE(text.contains('\n'));
    const QJsonObject obj = QJsonDocument::fromJson(text).object();
    EXPECT_EQ(obj["name"].toString(), "userGenerate");
    EXPECT_EQ(obj["config"].toObject()["nodeArr"].toArray().size(), 3);
    EXPECT_EQ(s.told, QStringList{QStringLiteral("导出成功")});

    exportButton->click(); // cancelled: nothing written, nothing said
    EXPECT_EQ(s.told.size(), 1);
    exportButton->click(); // a folder that does not exist
    ASSERT_EQ(s.told.size(), 2);
    EXPECT_TRUE(s.told[1].startsWith(QStringLiteral("导出失败")));
    EXPECT_EQ(captions,
              (QStringList{QStringLiteral("保存文件"), QStringLiteral("保存文件"), QStringLiteral("保存文件")}));
    EXPECT_TRUE(s.requests.isEmpty());
}

TEST_F(ModifyDefaultDspDialogTest, PreviewShowsWhatTheCommandsBuild)
{
    Script s;
    ModifyDefaultDspDialog d(kDevId);
    d.setHooks(s.hooks());
    setCommands(d, QStringLiteral("proc#in#1#eq(4)\nmatrix#1-2#3"));
    d.findChild<QRadioButton*>(QStringLiteral("rb_preview"))->setChecked(true);
    const QString in = d.findChild<QPlainTextEdit*>(QStringLiteral("te_previewIn"))->toPlainText();
    const QString out = d.findChild<QPlainTextEdit*>(QStringLiteral("te_previewOut"))->toPlainText();
    EXPECT_EQ(in.split('\n').size(), 4);
    EXPECT_TRUE(in.startsWith(QStringLiteral("in 1: 0 dB | EQ(4)"))) << in.toStdString();
    EXPECT_TRUE(out.split('\n').value(2).contains(QStringLiteral("in 1-2 (0 dB)"))) << out.toStdString();
    EXPECT_TRUE(s.told.isEmpty());

    // A fault sends the user back to the commands.
    d.findChild<QRadioButton*>(QStringLiteral("rb_cmd"))->setChecked(true);
    setCommands(d, QStringLiteral("matrix#9#1"));
    d.findChild<QRadioButton*>(QStringLiteral("rb_preview"))->setChecked(true);
    EXPECT_TRUE(d.findChild<QRadioButton*>(QStringLiteral("rb_cmd"))->isChecked());
    EXPECT_EQ(s.told.size(), 1);
}

TEST_F(ModifyDefaultDspDialogTest, DeviceWindowOpensItAndRestartsOnRequest)
{
    DeviceWindow window(kDevId);
    QSignalSpy sent(&window, &DeviceWindow::sendChangeData);
    window.on_pb_defaultDsp_clicked();
    window.on_pb_defaultDsp_clicked();
    const QList<ModifyDefaultDspDialog*> dialogs = window.findChildren<ModifyDefaultDspDialog*>();
    ASSERT_EQ(dialogs.size(), 1) << "one at a time";
    sent.clear();
    emit dialogs[0]->signal_restartDevice();
    ASSERT_EQ(sent.size(), 1);
    const QJsonObject msg = QJsonDocument::fromJson(sent[0][0].toString().toUtf8()).object();
    EXPECT_EQ(msg["ops"].toString(), "reboot");
    EXPECT_EQ(msg["devId"].toString(), kDevId);
    dialogs[0]->close();
}

TEST_F(ModifyDefaultDspDialogTest, DeviceWindowKeepsTheNoticeForModelsWithoutProcessor)
{
    resetAll();
    TestDevice plain;
    plain.model = QStringLiteral("MRD-A16");
    addDevice(plain);
    DeviceWindow window(kDevId);
    QSignalSpy tips(&window, &DeviceWindow::signal_showTips);
    window.on_pb_defaultDsp_clicked();
    EXPECT_EQ(tips.size(), 1);
    EXPECT_EQ(window.findChild<ModifyDefaultDspDialog*>(), nullptr);
}

} // namespace

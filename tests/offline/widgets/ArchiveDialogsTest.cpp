#include "../archive/ScriptedTransport.h"
#include "AppState.h"
#include "ArchiveImport.h"
#include "ArchivePreviewView.h"
#include "ArchiveProgressPanel.h"
#include "ArchiveWindows.h"
#include "ExportSupervisor.h"
#include "FileDialogs.h"
#include "LoadOfflineDevForm.h"
#include "OfflineData.h"
#include "OfflineDevice.h"
#include "OfflineDeviceType.h"
#include "OnlineDevForm.h"
#include "SelectParametersForm.h"
#include "UserSettings.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonObject>
#include <QPushButton>
#include <QSemaphore>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

void widgetApp()
{
    if (QCoreApplication::instance() == nullptr) {
        static int argc = 1;
        static char name[] = "meridane-test";
        static char* argv[] = {name, nullptr};
        // Never destroyed: tearing it down among the statics at exit crashes in the chart views' cleanup.
        new QApplication(argc, argv);
    }
}

/// Processes events until `done` holds; false when it never does (a guard against a hang, not a timing check).
template <typename Pred> bool settle(Pred done)
{
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > 20000)
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

OfflineDeviceType deviceType(const QString& model, int ch)
{
    OfflineDeviceType t;
    t.devModel = model;
    t.version = QStringLiteral("1.0");
    t.chNumRx = t.chNumTx = ch;
    t.phyChNumRx = t.phyChNumTx = 2;
    return t;
}

OfflineDevice archiveDevice(const QString& id, const QString& name, const QString& model, int ch = 8)
{
    return *OfflineDevice::fromType(deviceType(model, ch), id, name);
}

OnlineDeviceFacts online(const QString& id, const QString& name, const QString& model, int ch = 8)
{
    OnlineDeviceFacts f;
    f.devId = id;
    f.name = name;
    f.model = model;
    f.ip = 0xC0A80A00u + uint32_t(qHash(id) % 200) + 10;
    f.port = 9998;
    f.chNumRx = f.chNumTx = ch;
    f.phyChNumRx = f.phyChNumTx = 2;
    f.sampleRate = 48000;
    f.sampleByteNum = 3;
    f.pFrameNum = 12;
    f.dscp = 34;
    f.delayUs = 5000;
    for (int i = 1; i <= ch; ++i) {
        f.rxChNames << QStringLiteral("NetIn%1").arg(i);
        f.txChNames << QStringLiteral("NetOut%1").arg(i);
    }
    f.phyRxChNames = QStringList{"AnalogIn1", "AnalogIn2"};
    f.phyTxChNames = QStringList{"AnalogOut1", "AnalogOut2"};
    return f;
}

class ArchiveDialogsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        widgetApp();
        AppState::setChinese(true);
        m_settings = std::make_unique<UserSettings>(m_dir.filePath("UserConfig.ini"), m_dir.filePath("Config.ini"));
        m_transport.answer = [](const ScriptedTransport::Sent& s) { return ScriptedTransport::succ(s); };
    }
    void TearDown() override { FileDialogs::setAnswerer(nullptr); }

    /// The file dialog answers `path` ("" cancels) and counts how often it was asked.
    void answerFileDialog(const QString& path)
    {
        FileDialogs::setAnswerer([this, path](FileDialogs::Kind, const QString& caption) {
            ++m_dialogs;
            m_captions << caption;
            return std::optional<QString>(path);
        });
    }

    std::unique_ptr<SelectParametersForm> exportForm(const QVector<OnlineDeviceFacts>& devices)
    {
        auto form = std::make_unique<SelectParametersForm>(SelectParametersForm::Mode::ExportOnline, *m_settings);
        form->setOnlineDevices(devices, &m_transport);
        return form;
    }

    static void click(QWidget* w, const char* name)
    {
        auto* b = w->findChild<QPushButton*>(QLatin1String(name));
        ASSERT_NE(b, nullptr) << name;
        b->click();
    }

    QTemporaryDir m_dir;
    std::unique_ptr<UserSettings> m_settings;
    ScriptedTransport m_transport;
    int m_dialogs = 0;
    QStringList m_captions;
};

TEST_F(ArchiveDialogsTest, ExportRefusesBeforeAskingForAFile)
{
    const struct
    {
        bool anyDevice;
        bool anyCategory;
        const char* text;
    } cases[] = {
        {false, true, "请至少选择一个设备"}, {true, false, "请至少选择一个参数"}, {false, false, "请至少选择一个设备"}};
    for (const auto& c : cases) {
        answerFileDialog(m_dir.filePath("a.odt"));
        auto form = exportForm({online("d1", "Stage", "MRD-A16")});
        form->choose(c.anyDevice ? QStringList() : QStringList{"none"},
                     c.anyCategory ? ArchiveCategories::all() : ArchiveCategories::none());
        click(form.get(), "export_bt");
        EXPECT_EQ(form->statusText(), QString::fromUtf8(c.text));
        EXPECT_EQ(m_dialogs, 0);
        EXPECT_TRUE(m_transport.sent().isEmpty());
    }
}

TEST_F(ArchiveDialogsTest, CancellingTheFileDialogSendsNothing)
{
    answerFileDialog(QString());
    auto form = exportForm({online("d1", "Stage", "MRD-A16"), online("d2", "Desk", "MRD-A16")});
    form->choose({}, ArchiveCategories::all());
    click(form.get(), "export_bt");
    QApplication::processEvents();
    form->waitForWorker();
    EXPECT_EQ(m_dialogs, 1);
    EXPECT_FALSE(form->isBusy());
    EXPECT_TRUE(m_transport.sent().isEmpty());
    EXPECT_EQ(m_settings->lastCfgDirPath(), QStringLiteral("."));
}

TEST_F(ArchiveDialogsTest, ExportWritesTheArchiveAndRemembersTheFolder)
{
    QDir(m_dir.path()).mkpath("archives");
    const QString path = m_dir.filePath("archives/show.odt");
    answerFileDialog(path);
    auto form = exportForm({online("d1", "Stage", "MRD-A16"), online("d2", "Desk", "MRD-A16")});
    ArchiveCategories nameOnly;
    nameOnly.set(ArchiveCategory::DeviceName, true);
    form->choose({"d2"}, nameOnly);
    click(form.get(), "export_bt");
    EXPECT_EQ(m_captions, QStringList{"保存文件"});
    ASSERT_TRUE(settle([&] { return !form->isBusy(); }));
    EXPECT_EQ(form->statusText(), QStringLiteral("导出成功"));
    EXPECT_EQ(m_settings->lastCfgDirPath(), QFileInfo(path).absolutePath());
    // Only the chosen device was asked, and the file holds it under its name.
    for (const ScriptedTransport::Sent& s : m_transport.sent()) {
        if (!s.json().value("devId").toString().isEmpty()) {
            EXPECT_EQ(s.json().value("devId").toString(), QStringLiteral("d2")) << s.request.toStdString();
        }
    }
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    OfflineData written;
    ASSERT_TRUE(written.loadFromText(f.readAll()));
    ASSERT_EQ(written.deviceIds(), QStringList{"d2"});
    EXPECT_EQ(written.device("d2")->name(), QStringLiteral("Desk"));
    EXPECT_FALSE(form->progressPanel()->logLines().isEmpty());
}

TEST_F(ArchiveDialogsTest, OfflineExportWritesOnlyTheChosenDesignDevices)
{
    OfflineData design;
    design.addDevice(OfflineDevice::fromType(deviceType("MRD-A16", 8), "a", "Kept"));
    design.addDevice(OfflineDevice::fromType(deviceType("MRD-A16", 8), "b", "Left out"));
    const QString path = m_dir.filePath("design.odt");
    answerFileDialog(path);
    SelectParametersForm form(SelectParametersForm::Mode::ExportOffline, *m_settings);
    form.setDesign(&design);
    form.choose({"a"}, ArchiveCategories::all());
    click(&form, "export_bt");
    ASSERT_TRUE(settle([&] { return !form.isBusy(); }));
    EXPECT_EQ(form.statusText(), QStringLiteral("导出成功"));
    EXPECT_TRUE(m_transport.sent().isEmpty());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    OfflineData written;
    ASSERT_TRUE(written.loadFromText(f.readAll()));
    EXPECT_EQ(written.deviceIds(), QStringList{"a"});
}

TEST_F(ArchiveDialogsTest, AStalledExportEndsThroughTheSupervisionAndWritesNothing)
{
    const QString path = m_dir.filePath("stalled.odt");
    answerFileDialog(path);
    QSemaphore release;
    QSemaphore entered;
    m_transport.answer = [&](const ScriptedTransport::Sent& s) {
        entered.release();
        release.acquire(); // the device never answers until the test lets it
        return ScriptedTransport::succ(s);
    };
    auto form = exportForm({online("d1", "Stage", "MRD-A16")});
    form->choose({}, ArchiveCategories::all());
    click(form.get(), "export_bt");
    ASSERT_TRUE(entered.tryAcquire(1, 20000));
    const QString stalled = ExportSupervisor::stalledText();
    int ticks = 0;
    while (form->isBusy() && ticks < 3 * ExportSupervisor::DefaultLimit) {
        form->superviseTick();
        ++ticks;
    }
    EXPECT_FALSE(form->isBusy());
    EXPECT_GE(ticks, ExportSupervisor::DefaultLimit);
    EXPECT_EQ(form->statusText(), stalled);
    EXPECT_TRUE(form->progressPanel()->logLines().contains(stalled));
    release.release(100000);
    form->waitForWorker();
    QApplication::processEvents();
    // The worker was told to stop: its late outcome does not overwrite the notice, and no file appears.
    EXPECT_EQ(form->statusText(), stalled);
    EXPECT_FALSE(QFile::exists(path));
}

TEST_F(ArchiveDialogsTest, AutomaticAssignmentIsShownInTheComboBoxes)
{
    const struct
    {
        const char* what;
        std::vector<OfflineDevice> archive;
        QVector<OnlineDeviceFacts> online;
        QStringList expected; ///< per archive device; "" not assigned
    } cases[] = {
        {"same identifier preferred",
         {archiveDevice("d2", "A", "MRD-A16")},
         {online("d1", "x", "MRD-A16"), online("d2", "y", "MRD-A16")},
         {"d2"}},
        {"no compatible device", {archiveDevice("a", "A", "MRD-A16")}, {online("d1", "x", "MRD-D8")}, {""}},
        {"channel counts differ", {archiveDevice("a", "A", "MRD-A16", 8)}, {online("d1", "x", "MRD-A16", 16)}, {""}},
        {"two of one model take two devices",
         {archiveDevice("a", "A", "MRD-A16"), archiveDevice("b", "B", "MRD-A16")},
         {online("d1", "x", "MRD-A16"), online("d2", "y", "MRD-A16")},
         {"d1", "d2"}},
    };
    for (const auto& c : cases) {
        LoadOfflineDevForm form(c.archive);
        const QVector<OnlineDeviceFacts> devices = c.online;
        form.setOnlineSource([devices] { return devices; }, &m_transport);
        ASSERT_EQ(form.rows().size(), c.expected.size()) << c.what;
        for (int i = 0; i < c.expected.size(); ++i) {
            QComboBox* cb = form.rows()[i]->findChild<QComboBox*>("online_dev_cb");
            ASSERT_NE(cb, nullptr);
            EXPECT_EQ(cb->currentData().toString(), c.expected[i]) << c.what;
            // Only compatible devices are offered, with "not assigned" first.
            EXPECT_EQ(cb->itemData(0).toString(), QString()) << c.what;
        }
    }
    EXPECT_TRUE(m_transport.sent().isEmpty());
}

TEST_F(ArchiveDialogsTest, RefreshReadsTheOnlineDevicesAgainAndAssigns)
{
    QVector<OnlineDeviceFacts> now;
    LoadOfflineDevForm form({archiveDevice("a", "A", "MRD-A16")});
    form.setOnlineSource([&now] { return now; }, &m_transport);
    EXPECT_EQ(form.rows()[0]->assigned(), QString());
    now = {online("d7", "late", "MRD-A16")};
    click(&form, "refresh_bt");
    EXPECT_EQ(form.rows()[0]->assigned(), QStringLiteral("d7"));
    EXPECT_EQ(form.statusText(), QStringLiteral("刷新成功"));
}

TEST_F(ArchiveDialogsTest, LoadRefusesWithoutDeviceOrParameterOrWithADeviceTwice)
{
    const struct
    {
        QStringList assign; ///< per archive device
        bool anyCategory;
        const char* text;
    } cases[] = {{{"", ""}, true, "请选择要加载的设备"},
                 {{"d1", ""}, false, "请至少选择一个参数"},
                 {{"d1", "d1"}, true, "同一在线设备只能加载一个存档设备"}};
    for (const auto& c : cases) {
        LoadOfflineDevForm form({archiveDevice("a", "A", "MRD-A16"), archiveDevice("b", "B", "MRD-A16")});
        form.setOnlineSource([] { return QVector<OnlineDeviceFacts>{online("d1", "x", "MRD-A16")}; }, &m_transport);
        for (int i = 0; i < c.assign.size(); ++i)
            form.rows()[i]->setAssigned(c.assign[i]);
        form.setCategories(c.anyCategory ? ArchiveCategories::all() : ArchiveCategories::none());
        click(&form, "loadBt");
        EXPECT_EQ(form.statusText(), QString::fromUtf8(c.text));
        EXPECT_FALSE(form.isBusy());
    }
    EXPECT_TRUE(m_transport.sent().isEmpty());
}

TEST_F(ArchiveDialogsTest, LoadWithOnlyTheNameSendsOnlySetDevName)
{
    LoadOfflineDevForm form(
        {archiveDevice("d1", "Stage Left", "MRD-A16"), archiveDevice("d2", "Stage Right", "MRD-A16")});
    form.setOnlineSource(
        [] {
            return QVector<OnlineDeviceFacts>{online("d1", "old 1", "MRD-A16"), online("d2", "old 2", "MRD-A16")};
        },
        &m_transport);
    ArchiveCategories nameOnly;
    nameOnly.set(ArchiveCategory::DeviceName, true);
    form.setCategories(nameOnly);
    click(&form, "loadBt");
    EXPECT_EQ(form.statusText(), QStringLiteral("加载中..."));
    ASSERT_TRUE(settle([&] { return !form.isBusy(); }));
    QStringList writes;
    QStringList names;
    for (const ScriptedTransport::Sent& s : m_transport.sent()) {
        if (s.ops().startsWith("get"))
            continue; // the read-out before the load
        writes << s.ops();
        names << s.json().value("name").toString();
    }
    EXPECT_EQ(writes, (QStringList{"setDevName", "setDevName"}));
    EXPECT_EQ(names, (QStringList{"Stage Left", "Stage Right"}));
    EXPECT_EQ(form.statusText(), QStringLiteral("加载成功"));
    EXPECT_EQ(form.progressPanel()->logLines().filter(QRegExp(QStringLiteral("设置名字成功$"))).size(), 2);
}

TEST_F(ArchiveDialogsTest, CancelStopsTheLoadBetweenStepsAndSaysWhatWasNotSent)
{
    QSemaphore entered;
    QSemaphore release;
    m_transport.answer = [&](const ScriptedTransport::Sent& s) {
        if (s.ops() == QLatin1String("setDevName")) {
            entered.release();
            release.acquire();
        }
        return ScriptedTransport::succ(s);
    };
    LoadOfflineDevForm form({archiveDevice("d1", "One", "MRD-A16"), archiveDevice("d2", "Two", "MRD-A16")});
    form.setOnlineSource(
        [] {
            return QVector<OnlineDeviceFacts>{online("d1", "x", "MRD-A16"), online("d2", "y", "MRD-A16")};
        },
        &m_transport);
    ArchiveCategories nameOnly;
    nameOnly.set(ArchiveCategory::DeviceName, true);
    form.setCategories(nameOnly);
    click(&form, "loadBt");
    ASSERT_TRUE(entered.tryAcquire(1, 20000));
    click(form.progressPanel(), "cancel_run_bt");
    release.release(10);
    ASSERT_TRUE(settle([&] { return !form.isBusy(); }));
    EXPECT_EQ(m_transport.opsSent().count("setDevName"), 1);
    EXPECT_EQ(form.statusText(), QStringLiteral("加载已取消：已发送1步，未发送1步"));
}

TEST_F(ArchiveDialogsTest, PreviewListsChangesNoChangeAndUnreadableDevices)
{
    LoadOfflineDevForm form({archiveDevice("d1", "New name", "MRD-A16"), archiveDevice("d2", "Same", "MRD-A16"),
                             archiveDevice("d3", "Silent", "MRD-A16")});
    form.setOnlineSource(
        [] {
            return QVector<OnlineDeviceFacts>{online("d1", "Old name", "MRD-A16"), online("d2", "Same", "MRD-A16"),
                                              online("d3", "Silent", "MRD-A16")};
        },
        &m_transport);
    m_transport.answer = [](const ScriptedTransport::Sent& s) {
        return s.json().value("devId") == QLatin1String("d3") ? QJsonObject() : ScriptedTransport::succ(s);
    };
    ArchiveCategories nameOnly;
    nameOnly.set(ArchiveCategory::DeviceName, true);
    form.setCategories(nameOnly);
    bool shown = false;
    QObject::connect(&form, &LoadOfflineDevForm::signal_previewShown, [&] { shown = true; });
    click(&form, "preview_bt");
    ASSERT_TRUE(settle([&] { return shown; }));
    const QStringList lines = form.previewView()->lines();
    const int changed = lines.indexOf(QRegExp(".*Old name.*New name.*"));
    EXPECT_GE(changed, 0) << lines.join('\n').toStdString();
    EXPECT_EQ(lines.filter(QStringLiteral("无变化")).size(), 1) << lines.join('\n').toStdString();
    // A device that cannot be read is said to get everything chosen, not "no change".
    EXPECT_EQ(lines.filter(QStringLiteral("无法读取设备")).size(), 1) << lines.join('\n').toStdString();
    for (const ScriptedTransport::Sent& s : m_transport.sent())
        EXPECT_TRUE(s.ops().startsWith("get")) << "a preview only reads: " << s.request.toStdString();
}

TEST_F(ArchiveDialogsTest, ImportAddsChosenDevicesWithFreshIdsAndDefaultsForUnchosenGroups)
{
    OfflineData design;
    design.addDevice(OfflineDevice::fromType(deviceType("MRD-A16", 8), "OFF-MRD-A16-1", "Existing"));
    OfflineData archive;
    auto a = OfflineDevice::fromType(deviceType("MRD-A16", 8), "OFF-MRD-A16-1", "Imported A");
    a->detail().sampleRate = 96000;
    archive.addDevice(std::move(a));
    auto b = OfflineDevice::fromType(deviceType("MRD-A16", 8), "B", "Imported B");
    b->ucastRoutes().append(OfflineUcastRoute{"OFF-MRD-A16-1", 0, 1}); // from A, which gets a new id
    b->ucastRoutes().append(OfflineUcastRoute{"not-imported", 0, 2});  // its sender stays outside
    archive.addDevice(std::move(b));

    const struct
    {
        ArchiveCategory extra;
        int expectedRate;
    } cases[] = {{ArchiveCategory::DeviceName, 48000}, {ArchiveCategory::DeviceParams, 96000}};
    for (const auto& c : cases) {
        OfflineData target;
        target.loadFromText(design.saveToText());
        ArchiveCategories chosen;
        chosen.set(ArchiveCategory::DeviceName, true);
        chosen.set(ArchiveCategory::RouteConfig, true);
        chosen.set(c.extra, true);
        QString error;
        const QStringList added = ArchiveImport::addToDesign(archive, archive.deviceIds(), chosen, target, &error);
        EXPECT_TRUE(error.isEmpty()) << error.toStdString();
        ASSERT_EQ(added.size(), 2);
        EXPECT_EQ(target.deviceCount(), 3);
        EXPECT_NE(added[0], QStringLiteral("OFF-MRD-A16-1"));
        EXPECT_EQ(target.device("OFF-MRD-A16-1")->name(), QStringLiteral("Existing"));
        EXPECT_EQ(target.device(added[0])->name(), QStringLiteral("Imported A"));
        EXPECT_EQ(target.device(added[0])->detail().sampleRate, c.expectedRate);
        const QVector<OfflineUcastRoute> routes = target.device(added[1])->ucastRoutes();
        ASSERT_EQ(routes.size(), 1);
        EXPECT_EQ(routes[0].srcDevId, added[0]);
    }
}

TEST_F(ArchiveDialogsTest, ImportModeRefusesAndThenAddsToTheDesign)
{
    OfflineData archive;
    archive.addDevice(OfflineDevice::fromType(deviceType("MRD-A16", 8), "x1", "From archive"));
    OfflineData target;
    SelectParametersForm form(SelectParametersForm::Mode::Import, *m_settings);
    form.setDesign(&archive, &target);
    form.choose({"none"}, ArchiveCategories::all());
    click(&form, "export_bt");
    EXPECT_EQ(form.statusText(), QStringLiteral("请至少选择一个设备"));
    form.choose({}, ArchiveCategories::none());
    click(&form, "export_bt");
    EXPECT_EQ(form.statusText(), QStringLiteral("请至少选择一个参数"));
    EXPECT_EQ(target.deviceCount(), 0);
    form.choose({}, ArchiveCategories::all());
    click(&form, "export_bt");
    EXPECT_EQ(target.deviceIds(), QStringList{"x1"});
    EXPECT_EQ(form.findChild<QPushButton*>("export_bt")->text(), QStringLiteral("确认导入"));
}

TEST_F(ArchiveDialogsTest, AnArchiveThatIsMissingUnreadableOrEmptyIsRefusedWithANotice)
{
    OfflineData one;
    one.addDevice(OfflineDevice::fromType(deviceType("MRD-A16", 8), "a", "A"));
    const struct
    {
        const char* what;
        QByteArray content; ///< empty: no file at all
        bool ok;
        const char* notice;
    } cases[] = {{"missing", QByteArray(), false, "文件打开失败"},
                 {"not a document", "{not json", false, "存档无法解析"},
                 {"no devices", R"({"devArray":[]})", false, "存档中没有设备"},
                 {"one device", one.saveToText(), true, ""}};
    for (const auto& c : cases) {
        const QString path = m_dir.filePath(QStringLiteral("%1.odt").arg(c.what));
        if (!c.content.isEmpty()) {
            QFile f(path);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(c.content);
        }
        OfflineData out;
        QString notice;
        EXPECT_EQ(ArchiveWindows::readArchive(path, out, &notice), c.ok) << c.what;
        if (c.ok)
            EXPECT_TRUE(notice.isEmpty()) << c.what << ": " << notice.toStdString();
        else
            EXPECT_TRUE(notice.startsWith(QString::fromUtf8(c.notice))) << c.what << ": " << notice.toStdString();
    }
}

} // namespace

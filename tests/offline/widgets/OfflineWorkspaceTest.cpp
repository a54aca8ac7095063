#include "OfflineWorkspace.h"
#include "AddDevForm.h"
#include "AppState.h"
#include "CustomDevListWidget.h"
#include "FormCustomContextMenu.h"
#include "FormCustomListWidget.h"
#include "FormCustomListWidgetTitle.h"
#include "OfflineData.h"
#include "OfflineDeviceType.h"
#include "OfflineTips.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
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

OfflineDeviceType deviceType(const QString& model)
{
    OfflineDeviceType t;
    t.devModel = model;
    t.version = QStringLiteral("1.0");
    t.chNumRx = t.chNumTx = 8;
    t.phyChNumRx = t.phyChNumTx = 4;
    return t;
}

/// A saved design of `models.size()` devices, one per model given, as the working file holds it.
QByteArray designText(const QStringList& models)
{
    OfflineData design;
    for (int i = 0; i < models.size(); ++i)
        design.addDevice(OfflineDevice::fromType(deviceType(models.at(i)), design.newDeviceId(models.at(i)),
                                                 QStringLiteral("Saved %1").arg(i)));
    return design.saveToText();
}

// The application exists before the fixture's widgets.
struct WithApp
{
    WithApp() { widgetApp(); }
};

class Workspace : public ::testing::Test, private WithApp
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        AppState::setMode(20);
        AppState::setChinese(true);
        ws.setWorkingFilePath(workingFile());
        ws.setCatalogueRoot(dir.path() + "/noCatalogue");
        ws.setQuestion([this](const QString& q) {
            asked << q;
            return answers.isEmpty() ? false : answers.takeFirst();
        });
        ws.setLeaveQuestion([this] { return leaveChoice; });
        QObject::connect(&ws, &OfflineWorkspace::signal_busy, [this](QString t) { busy << t; });
        QObject::connect(&ws, &OfflineWorkspace::signal_progress, [this](QString t) { progress << t; });
        QObject::connect(&ws, &OfflineWorkspace::signal_showTips, [this](QString t) { tips << t; });
        QObject::connect(&ws, &OfflineWorkspace::signal_designChanged, [this] { ++designChanges; });
    }
    void TearDown() override
    {
        AppState::setMode(10);
        AppState::setChinese(false);
    }

    QString workingFile() const { return dir.path() + "/Meridane3/config.dt"; }
    void writeWorkingFile(const QByteArray& text)
    {
        QDir().mkpath(QFileInfo(workingFile()).absolutePath());
        QFile f(workingFile());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
    QByteArray readWorkingFile() const
    {
        QFile f(workingFile());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    void enterEmpty()
    {
        answers = {true, false};
        ASSERT_TRUE(ws.enter());
    }

    QTemporaryDir dir;
    OfflineData data;
    CustomDevListWidget list;
    OfflineWorkspace ws{data, &list, nullptr};
    QList<bool> answers;
    OfflineTips::Choice leaveChoice = OfflineTips::Stay;
    QStringList asked, busy, progress, tips;
    int designChanges = 0;
};

enum class FileState
{
    Missing,
    ThreeDevices,
    Garbage
};

struct EnterCase
{
    const char* name;
    bool chinese;
    QList<bool> answers;
    FileState file;
    bool open;
    int mode;
    int devices;
    QStringList busy;
    bool tip;
};

class WorkspaceEnter : public Workspace, public ::testing::WithParamInterface<EnterCase>
{
};

TEST_P(WorkspaceEnter, AsksThenLoadsOrStartsEmpty)
{
    const EnterCase& c = GetParam();
    AppState::setChinese(c.chinese);
    // Left over from an earlier session: an empty start must not show it.
    data.addDevice(OfflineDevice::fromType(deviceType("MRD-D8"), "OLD-1", "old"));
    const QByteArray saved = designText({"MRD-A16", "MRD-P64", "MRD-A16"});
    if (c.file == FileState::ThreeDevices)
        writeWorkingFile(saved);
    else if (c.file == FileState::Garbage)
        writeWorkingFile("{\"devArray\": [ not json");
    answers = c.answers;

    EXPECT_EQ(ws.enter(), c.open);
    EXPECT_EQ(ws.isOpen(), c.open);
    EXPECT_EQ(AppState::mode(), c.mode);
    EXPECT_EQ(busy, c.busy);
    if (!c.open) {
        EXPECT_EQ(asked.size(), 1);
        return;
    }
    EXPECT_EQ(ws.previousMode(), 20);
    EXPECT_EQ(data.deviceCount(), c.devices);
    EXPECT_EQ(list.shownDevIds().size(), c.devices);
    EXPECT_EQ(designChanges, 1);
    EXPECT_EQ(!tips.isEmpty(), c.tip) << tips.join('|').toStdString();
    // Loading never loses the file it read; a missing one is created, and an empty start leaves the disk alone.
    const bool loads = c.answers.value(1);
    EXPECT_EQ(QFileInfo::exists(workingFile()), loads || c.file != FileState::Missing);
    if (c.file == FileState::ThreeDevices) {
        EXPECT_EQ(readWorkingFile(), saved);
    }
}

const QString kLoadingCn = QStringLiteral("加载中...");
const QString kInitCn = QStringLiteral("初始化中...");

INSTANTIATE_TEST_SUITE_P(
    Cases, WorkspaceEnter,
    ::testing::Values(
        EnterCase{"refused", true, {false}, FileState::ThreeDevices, false, 20, 1, {}, false},
        EnterCase{"emptyDesign", true, {true, false}, FileState::ThreeDevices, true, 3, 0, {kInitCn}, false},
        EnterCase{
            "emptyDesignEnglish", false, {true, false}, FileState::Missing, true, 3, 0, {"Initializing..."}, false},
        EnterCase{"loadSaved", true, {true, true}, FileState::ThreeDevices, true, 3, 3, {kLoadingCn}, false},
        EnterCase{"loadSavedEnglish", false, {true, true}, FileState::ThreeDevices, true, 3, 3, {"Loading..."}, false},
        EnterCase{"loadMissing", true, {true, true}, FileState::Missing, true, 3, 0, {kLoadingCn}, false},
        EnterCase{"loadGarbage", true, {true, true}, FileState::Garbage, true, 3, 0, {kLoadingCn}, true}),
    [](const ::testing::TestParamInfo<EnterCase>& i) { return std::string(i.param.name); });

TEST_F(Workspace, LoadingShowsEachDeviceAndTheListGroupsThemByModel)
{
    writeWorkingFile(designText({"MRD-A16", "MRD-P64", "MRD-A16"}));
    answers = {true, true};
    ASSERT_TRUE(ws.enter());
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(progress.filter(QStringLiteral("Saved %1").arg(i)).size() > 0) << i;
    EXPECT_TRUE(progress.first().startsWith(kLoadingCn));
    const QVector<FormCustomListWidgetTitle*> groups = list.groupTitles();
    ASSERT_EQ(groups.size(), 2);
    EXPECT_EQ(groups.at(0)->text(), "MRD-A16 (2)");
    EXPECT_EQ(groups.at(1)->text(), "MRD-P64 (1)");
    EXPECT_EQ(list.caption()->text(), QStringLiteral("离线设备 (3)"));
    const QStringList ids = data.deviceIds();
    EXPECT_EQ(list.shownDevIds(), (QStringList{ids.at(0), ids.at(2), ids.at(1)}));
    FormCustomListWidget* item = list.item(ids.at(1));
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->nameText(), "Saved 1");
    EXPECT_EQ(item->modelText(), "MRD-P64");
    EXPECT_EQ(item->idText(), ids.at(1));
}

TEST_F(Workspace, AddCopyAndDeleteChangeTheDesignAndTheList)
{
    enterEmpty();
    const int changesAtStart = designChanges;
    // Adding goes through the add dialog the list's button opens.
    list.caption()->addButton()->click();
    auto* form = qobject_cast<AddDevForm*>(ws.addDevForm());
    ASSERT_NE(form, nullptr);
    for (const char* model : {"MRD-A16", "MRD-A16", "MRD-P64"})
        emit form->signal_addDevice(deviceType(model));
    ASSERT_EQ(data.deviceCount(), 3);
    QStringList added = data.deviceIds();
    EXPECT_EQ(data.device(added.at(0))->name(), "MRD-A16-1");
    EXPECT_EQ(data.device(added.at(1))->name(), "MRD-A16-2");
    EXPECT_EQ(added.removeDuplicates(), 0);

    // Copy, then delete, through the context menu's buttons.
    list.contextMenu()->popup(added.at(2), QPoint(0, 0));
    list.contextMenu()->copyButton()->click();
    ASSERT_EQ(data.deviceCount(), 4);
    const QString copy = data.deviceIds().at(3);
    EXPECT_EQ(data.device(copy)->model(), "MRD-P64");
    list.contextMenu()->popup(added.at(0), QPoint(0, 0));
    list.contextMenu()->deleteButton()->click();
    EXPECT_FALSE(list.contextMenu()->isVisible());

    const QStringList now = data.deviceIds();
    EXPECT_EQ(now, (QStringList{added.at(1), added.at(2), copy}));
    QStringList shown = list.shownDevIds();
    shown.sort();
    QStringList expected = now;
    expected.sort();
    EXPECT_EQ(shown, expected);
    EXPECT_EQ(list.item(added.at(0)), nullptr);
    EXPECT_EQ(list.groupTitles().at(1)->text(), "MRD-P64 (2)");
    EXPECT_EQ(designChanges - changesAtStart, 5);

    // Unknown devices change nothing and tell no view.
    EXPECT_FALSE(ws.copyDevice("nope"));
    EXPECT_FALSE(ws.deleteDevice("nope"));
    EXPECT_EQ(designChanges - changesAtStart, 5);
}

TEST_F(Workspace, EditsAreRefusedWhileTheWorkspaceIsClosed)
{
    data.addDevice(OfflineDevice::fromType(deviceType("MRD-A16"), "X-1", "x"));
    EXPECT_FALSE(ws.addDevice(deviceType("MRD-A16")));
    EXPECT_FALSE(ws.copyDevice("X-1"));
    EXPECT_FALSE(ws.deleteDevice("X-1"));
    EXPECT_FALSE(ws.save());
    EXPECT_FALSE(ws.leave());
    ws.openAddDevForm();
    EXPECT_EQ(ws.addDevForm(), nullptr);
    EXPECT_EQ(data.deviceIds(), QStringList{"X-1"});
    EXPECT_EQ(designChanges, 0);
    EXPECT_FALSE(QFileInfo::exists(workingFile()));
}

struct LeaveCase
{
    const char* name;
    OfflineTips::Choice choice;
    bool writable;
    bool left;
    bool fileHasDesign;
};

class WorkspaceLeave : public Workspace, public ::testing::WithParamInterface<LeaveCase>
{
};

TEST_P(WorkspaceLeave, SavesOrNotAndGivesTheModeBack)
{
    const LeaveCase& c = GetParam();
    writeWorkingFile("{\"devArray\":[],\"guiVersion\":\"old\"}");
    const QByteArray before = readWorkingFile();
    enterEmpty();
    ASSERT_TRUE(ws.addDevice(deviceType("MRD-A16")));
    ASSERT_TRUE(ws.addDevice(deviceType("MRD-D8")));
    if (!c.writable) {
        // The folder of the working file becomes a plain file: nothing can be written there.
        ws.setWorkingFilePath(dir.path() + "/blocked/Meridane3/config.dt");
        QFile blocker(dir.path() + "/blocked");
        ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    }
    int leftSignals = 0;
    QObject::connect(&ws, &OfflineWorkspace::signal_left, [&leftSignals] { ++leftSignals; });
    leaveChoice = c.choice;
    busy.clear();

    EXPECT_EQ(ws.leave(), c.left);
    EXPECT_EQ(ws.isOpen(), !c.left);
    EXPECT_EQ(leftSignals, c.left ? 1 : 0);
    EXPECT_EQ(AppState::mode(), c.left ? 20 : AppState::kOfflineMode);
    EXPECT_EQ(busy.contains(QStringLiteral("保存中...")), c.choice == OfflineTips::SaveAndLeave);
    if (c.writable) {
        OfflineData reread;
        ASSERT_TRUE(reread.loadFromText(readWorkingFile()));
        EXPECT_EQ(reread.deviceCount(), c.fileHasDesign ? 2 : 0);
        if (!c.fileHasDesign) {
            EXPECT_EQ(readWorkingFile(), before);
        }
    } else {
        ASSERT_EQ(tips.size(), c.choice == OfflineTips::SaveAndLeave ? 1 : 0);
        if (!tips.isEmpty()) {
            EXPECT_TRUE(tips.first().contains(QStringLiteral("无法打开文件:"))) << tips.first().toStdString();
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, WorkspaceLeave,
                         ::testing::Values(LeaveCase{"stay", OfflineTips::Stay, true, false, false},
                                           LeaveCase{"save", OfflineTips::SaveAndLeave, true, true, true},
                                           LeaveCase{"discard", OfflineTips::LeaveWithoutSaving, true, true, false},
                                           LeaveCase{"saveFails", OfflineTips::SaveAndLeave, false, false, false},
                                           LeaveCase{"discardUnwritable", OfflineTips::LeaveWithoutSaving, false, true,
                                                     false}),
                         [](const ::testing::TestParamInfo<LeaveCase>& i) { return std::string(i.param.name); });

TEST(OfflineTipsPrompt, EachButtonGivesItsChoice)
{
    widgetApp();
    const struct
    {
        const char* button;
        OfflineTips::Choice choice;
    } cases[] = {{"save_bt", OfflineTips::SaveAndLeave},
                 {"unSave_bt", OfflineTips::LeaveWithoutSaving},
                 {"cancel_bt", OfflineTips::Stay}};
    for (const auto& c : cases) {
        OfflineTips tips;
        auto* button = tips.findChild<QPushButton*>(QLatin1String(c.button));
        ASSERT_NE(button, nullptr) << c.button;
        QTimer::singleShot(0, button, &QPushButton::click);
        EXPECT_EQ(tips.ask(), c.choice) << c.button;
    }
}

} // namespace

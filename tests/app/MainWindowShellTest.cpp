#include "CellRouteForm.h"
#include "CustomDevListWidget.h"
#include "DevListForm.h"
#include "IniFile.h"
#include "LoadingForm.h"
#include "MySnackbar.h"
#include "MyThread.h"
#include "OfflineData.h"
#include "OfflineDevice.h"
#include "OfflineDeviceType.h"
#include "OfflineTips.h"
#include "OfflineWorkspace.h"
#include "SapMonitorView.h"
#include "SelectNetDialog.h"
#include "ShellTestSupport.h"
#include "StyledButton.h"
#include "TopMenuForm.h"
#include "UiScale.h"

#include <QCoreApplication>
#include <QLabel>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {

using Shell = ShellTest;

QString storedLanguage(const QString& appDir)
{
    return IniFile(appDir + "/UserConfig.ini").value("Langue").toString();
}

TEST_F(Shell, LanguageSwitchStoresTheChoiceAndInstallsTheTranslator)
{
    MainWindow* w = window();
    // No "UserConfig.ini": English, written back at start.
    EXPECT_FALSE(AppState::isChinese());
    EXPECT_EQ(storedLanguage(appDir()), "en");
    ASSERT_TRUE(w->topMenu()->hasTranslations(true));
    ASSERT_TRUE(w->topMenu()->hasTranslations(false));
    QCoreApplication::processEvents();
    EXPECT_EQ(w->topMenu()->button("action_refresh")->text(), "Refresh");
    EXPECT_EQ(w->topMenu()->button("pbHelp")->text(), "Help");

    w->topMenu()->on_pbLanguage_clicked();
    QCoreApplication::processEvents();
    EXPECT_TRUE(AppState::isChinese());
    EXPECT_EQ(storedLanguage(appDir()), "chs");
    EXPECT_EQ(w->topMenu()->button("action_refresh")->text(), "刷新");
    EXPECT_EQ(w->topMenu()->button("pbHelp")->text(), "帮助");

    // Back again: the English translator is installable once more.
    w->topMenu()->on_pbLanguage_clicked();
    QCoreApplication::processEvents();
    EXPECT_EQ(storedLanguage(appDir()), "en");
    EXPECT_EQ(QCoreApplication::translate("TopMenuForm", "网络信息"), "Network");
}

TEST_F(Shell, LanguageCannotChangeInTheOfflineWorkspace)
{
    MainWindow* w = window();
    AppState::setMode(AppState::kOfflineMode);
    w->topMenu()->on_pbLanguage_clicked();
    EXPECT_FALSE(w->topMenu()->applyLanguage(true));
    AppState::setMode(10);
    EXPECT_FALSE(AppState::isChinese());
    EXPECT_EQ(storedLanguage(appDir()), "en");
    EXPECT_TRUE(w->snackbar()->isShowing());
    EXPECT_EQ(w->snackbar()->text(), "Please leave offline mode before switching the language");
}

class ShellNoSwitching : public ShellTest
{
protected:
    QString configText() const override { return QStringLiteral("Title=Meridane\nCanShowHelp=1\n"); }
};

TEST_F(ShellNoSwitching, StoredChineseIsOverriddenWhenSwitchingIsNotOffered)
{
    ASSERT_TRUE(IniFile(appDir() + "/UserConfig.ini").setValue("Langue", "chs"));
    MainWindow* w = window();
    EXPECT_FALSE(AppState::isChinese());
    EXPECT_TRUE(w->topMenu()->button("pbLanguage")->isHidden());
    EXPECT_FALSE(w->topMenu()->button("pbHelp")->isHidden());
}

class ShellWithInfo : public ShellTest
{
protected:
    QString configText() const override
    {
        return QStringLiteral(
            "Title=Meridane\nCanSwitchLanguage=1\nCanShow=1\n"
            "#Controller\nInterLinkage: https://example.invalid/x\n#控制软件\n链接: https://example.invalid/y#");
    }
};

TEST_F(ShellWithInfo, InformationPanelFollowsTheLanguage)
{
    MainWindow* w = window();
    w->show();
    auto* panel = w->findChild<QLabel*>("titleInfo");
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(panel->isVisible());
    EXPECT_TRUE(panel->text().startsWith("Controller<br>InterLinkage: https://example.invalid/x"))
        << panel->text().toStdString();
    EXPECT_FALSE(panel->openExternalLinks()) << "links open only when CanJump is set";
    w->topMenu()->applyLanguage(true);
    EXPECT_TRUE(panel->text().startsWith("控制软件")) << panel->text().toStdString();
}

TEST_F(Shell, InformationPanelHiddenUnlessSwitchedOn)
{
    MainWindow* w = window();
    w->show();
    auto* panel = w->findChild<QLabel*>("titleInfo");
    ASSERT_NE(panel, nullptr);
    EXPECT_FALSE(panel->isVisible());
}

/// Answers the next modal message box with `button` and returns its text through `text`.
void answerNextMessageBox(QString* text, QMessageBox::StandardButton button)
{
    // Polled: work before the box (a save that processes events) must not use up the answer.
    auto* poll = new QTimer;
    auto tries = std::make_shared<int>(0);
    QObject::connect(poll, &QTimer::timeout, [poll, tries, text, button] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr && ++*tries < 500)
            return;
        poll->stop();
        poll->deleteLater();
        if (box == nullptr)
            return;
        *text = box->text();
        box->button(button)->click();
    });
    poll->start(10);
}

TEST_F(Shell, QuitAsksInTheCurrentLanguageAndClosesOnlyOnYes)
{
    MainWindow* w = window();
    w->show();
    QString asked;
    answerNextMessageBox(&asked, QMessageBox::No);
    w->on_close_bt_clicked();
    EXPECT_EQ(asked, "Quit software?");
    EXPECT_TRUE(w->isVisible());

    // Confirmed inside a running event loop: closing the window must end the application's loop.
    w->topMenu()->applyLanguage(true);
    QTimer safety;
    safety.setSingleShot(true);
    QObject::connect(&safety, &QTimer::timeout, [] { QCoreApplication::exit(99); });
    safety.start(5000);
    QTimer::singleShot(0, [w, &asked] {
        answerNextMessageBox(&asked, QMessageBox::Yes);
        w->on_close_bt_clicked();
    });
    EXPECT_EQ(QCoreApplication::exec(), 0);
    EXPECT_EQ(asked, "确定退出软件？");
    EXPECT_FALSE(w->isVisible());
}

TEST_F(Shell, QuittingADesignAsksToLeaveItFirst)
{
    MainWindow* w = window();
    w->show();
    OfflineWorkspace* ws = w->offlineWorkspace();
    ws->setWorkingFilePath(appDir() + "/Meridane3/config.dt");
    ws->setQuestion([](const QString& q) { return q == "Enter offline mode?"; });
    w->on_top_btn_click(4);
    ASSERT_TRUE(AppState::isOffline());
    int prompts = 0;
    ws->setLeaveQuestion([&prompts] {
        ++prompts;
        return OfflineTips::Stay;
    });
    QString asked;
    w->on_close_bt_clicked();
    EXPECT_EQ(prompts, 1);
    EXPECT_TRUE(AppState::isOffline()) << "staying keeps the design open and the program running";
    EXPECT_TRUE(w->isVisible());

    ws->setLeaveQuestion([] { return OfflineTips::SaveAndLeave; });
    answerNextMessageBox(&asked, QMessageBox::No);
    w->on_close_bt_clicked();
    EXPECT_FALSE(AppState::isOffline());
    EXPECT_TRUE(QFile::exists(appDir() + "/Meridane3/config.dt")) << "saved on the way out";
    EXPECT_EQ(asked, "Quit software?");
    EXPECT_TRUE(w->isVisible()) << "the quit question still decides";
}

TEST_F(Shell, GlobalNoticeByTypeAndHidden)
{
    MainWindow* w = window();
    w->show();
    w->slot_gobalTips(1, "Stage temperature is abnormal", true);
    EXPECT_TRUE(w->globalTipsLabel()->isVisible());
    EXPECT_EQ(w->globalTipsLabel()->text(), "Stage temperature is abnormal");
    EXPECT_TRUE(w->globalTipsLabel()->styleSheet().contains("#ff4040"));
    w->slot_gobalTips(0, "warm", true);
    EXPECT_TRUE(w->globalTipsLabel()->styleSheet().contains("#ffd400"));
    w->slot_gobalTips(7, "ignored", true);
    EXPECT_EQ(w->globalTipsLabel()->text(), "warm");
    w->slot_gobalTips(0, QString(), false);
    EXPECT_FALSE(w->globalTipsLabel()->isVisible());
}

TEST_F(Shell, PagesShowOneAtATime)
{
    MainWindow* w = window();
    w->show();
    for (int index : {20, 40, 10, 30}) {
        w->on_top_btn_click(index);
        for (int p : {10, 20, 30, 40})
            EXPECT_EQ(w->page(p)->isVisible(), p == index) << index << " " << p;
        EXPECT_EQ(AppState::mode(), index);
        EXPECT_TRUE(w->topMenu()
                        ->button(index == 10   ? "pbRoute"
                                 : index == 20 ? "pbClock"
                                 : index == 30 ? "pbNetwork"
                                               : "pbVolume")
                        ->isChecked());
    }
}

TEST_F(Shell, CtrlZeroTogglesTheSapMonitor)
{
    MainWindow* w = window();
    w->show();
    QTest::keyClick(w, Qt::Key_0, Qt::ControlModifier);
    ASSERT_NE(w->sapMonitor(), nullptr);
    EXPECT_EQ(w->sapMonitor()->geometry(),
              QRect(UiScale::px(1000), UiScale::px(40), UiScale::px(240), UiScale::px(500)));
    EXPECT_EQ(w->sapMonitor()->font().family(), "Arail");
    w->sapMonitor()->handleSapText("v=0");
    EXPECT_EQ(w->sapMonitor()->toPlainText(), "v=0");
    QTest::keyClick(w, Qt::Key_0, Qt::ControlModifier);
    EXPECT_EQ(w->sapMonitor(), nullptr);
    QTest::keyClick(w, Qt::Key_0, Qt::AltModifier);
    EXPECT_EQ(w->sapMonitor(), nullptr);
}

TEST_F(Shell, LoadingOverlayShowsTextAndHides)
{
    MainWindow* w = window();
    w->show();
    w->showLoading(5, "加载中...");
    EXPECT_TRUE(w->loadingForm()->isVisible());
    EXPECT_EQ(w->loadingForm()->text(), "加载中...");
    EXPECT_EQ(w->loadingForm()->geometry(), w->rect());
    w->hideLoading();
    EXPECT_FALSE(w->loadingForm()->isVisible());
}

TEST_F(Shell, OfflineEntryAsksAndKeepsTheOnlineWorkspace)
{
    MainWindow* w = window();
    w->show();
    QString asked;
    answerNextMessageBox(&asked, QMessageBox::No);
    w->on_top_btn_click(4);
    EXPECT_EQ(asked, "Enter offline mode?");
    EXPECT_FALSE(AppState::isOffline());
}

TEST_F(Shell, OfflineWorkspaceSwapsTheListAndMenuAndGivesThePageModeBack)
{
    MainWindow* w = window();
    w->show();
    w->on_top_btn_click(20);
    OfflineWorkspace* ws = w->offlineWorkspace();
    ws->setWorkingFilePath(appDir() + "/Meridane3/config.dt");
    ws->setQuestion([](const QString& q) { return q == "Enter offline mode?"; }); // an empty design
    ws->setLeaveQuestion([] { return OfflineTips::LeaveWithoutSaving; });
    for (const bool offline : {true, false}) {
        if (offline)
            w->on_top_btn_click(4);
        else
            w->topMenu()->on_pbOffline_clicked();
        EXPECT_EQ(AppState::mode(), offline ? AppState::kOfflineMode : 20);
        EXPECT_EQ(w->offlineDevList()->isVisible(), offline);
        EXPECT_EQ(w->devListForm()->isVisible(), !offline);
        EXPECT_EQ(w->topMenu()->button("pbOffline")->isVisible(), offline);
        EXPECT_EQ(w->topMenu()->button("action_refresh")->isVisible(), !offline);
        EXPECT_TRUE(w->page(20)->isVisible());
        EXPECT_FALSE(w->loadingForm()->isVisible());
    }
    EXPECT_FALSE(QFile::exists(appDir() + "/Meridane3/config.dt"));
}

TEST_F(Shell, OfflineMatrixShowsTheDesignAndItsClicksEditIt)
{
    MainWindow* w = window();
    w->show();
    OfflineWorkspace* ws = w->offlineWorkspace();
    ws->setWorkingFilePath(appDir() + "/Meridane3/config.dt");
    ws->setQuestion([](const QString& q) { return q == "Enter offline mode?"; });
    ws->setLeaveQuestion([] { return OfflineTips::LeaveWithoutSaving; });
    w->on_top_btn_click(4);
    ASSERT_TRUE(AppState::isOffline());
    OfflineData& design = OfflineData::instance();
    OfflineDeviceType type;
    type.devModel = "MRD-A16";
    type.chNumRx = 2;
    type.chNumTx = 2;
    QStringList ids;
    for (const char* name : {"A", "B"}) {
        ids << design.newDeviceId(type.devModel);
        ASSERT_TRUE(design.addDevice(OfflineDevice::fromType(type, ids.last(), name)));
    }
    CellRouteForm* matrix = w->routeForm();
    // Rows and columns: A, A1, A2, B, B1, B2 (headers shown, channels below them).
    ASSERT_EQ(matrix->rowCount(), 6);
    ASSERT_EQ(matrix->columnCount(), 6);
    const int s = matrix->cellSize();
    matrix->slot_cellSceneMousePressed(4 * s + 1, 1 * s + 1); // A channel 1 to B channel 1
    const std::optional<OfflineDevice> b = design.device(ids[1]);
    ASSERT_TRUE(b.has_value());
    ASSERT_EQ(b->ucastRoutes().size(), 1);
    EXPECT_EQ(b->ucastRoutes()[0], (OfflineUcastRoute{ids[0], 0, 0}));
    EXPECT_EQ(matrix->cellTag(1, 4, 2), "checked");

    w->topMenu()->on_pbOffline_clicked();
    EXPECT_FALSE(AppState::isOffline());
    EXPECT_EQ(matrix->rowCount(), 0) << "the registry again, which has no device here";
    design.clear();
}

TEST_F(Shell, WithoutUsableAddressTheDialogIsShownAndNoThreadStarts)
{
    MainWindow* w = window(true);
    w->netDialog()->setAddressSource([] { return QVector<NetInterfaceList::Entry>(); });
    QTest::qWait(500);
    EXPECT_TRUE(w->netDialog()->isVisible());
    EXPECT_FALSE(w->networkThread()->isRunning());
    w->netDialog()->hide();
}

} // namespace

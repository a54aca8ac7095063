// Not a test: renders the main window in offline mode with a saved design of six devices, for a person to look at.
#include "AppState.h"
#include "CustomDevListWidget.h"
#include "DevManager.h"
#include "FormCustomContextMenu.h"
#include "MainWindow.h"
#include "NetStateForm.h"
#include "OfflineData.h"
#include "OfflineDeviceType.h"
#include "OfflineTips.h"
#include "OfflineWorkspace.h"
#include "TopMenuForm.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPainter>
#include <QTemporaryDir>
#include <cstdio>

namespace {

OfflineDeviceType deviceType(const QString& model, int rx, int tx)
{
    OfflineDeviceType t;
    t.devModel = model;
    t.version = QStringLiteral("1.0");
    t.chNumRx = rx;
    t.chNumTx = tx;
    t.phyChNumRx = rx / 2;
    t.phyChNumTx = tx / 2;
    return t;
}

QByteArray sixDevices()
{
    OfflineData design;
    const struct
    {
        const char* model;
        const char* name;
        int channels;
    } devices[] = {{"MRD-A16", "舞台左侧接口箱", 16},
                   {"MRD-A16", "舞台右侧接口箱", 16},
                   {"MRD-P64", "主处理器", 64},
                   {"MRD-D8", "大厅墙面面板 — 一个很长的名字", 8},
                   {"MRA-4", "功放 1", 4},
                   {"MRD-M8", "调音台", 8}};
    for (const auto& d : devices) {
        const QString model = QString::fromLatin1(d.model);
        design.addDevice(OfflineDevice::fromType(deviceType(model, d.channels, d.channels), design.newDeviceId(model),
                                                 QString::fromUtf8(d.name)));
    }
    return design.saveToText();
}

bool save(QWidget& w, const QString& file)
{
    const bool ok = w.grab().save(file);
    printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(file));
    return ok;
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString outDir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(MERIDANE_SCREENSHOT_DIR);
    QDir().mkpath(outDir);
    QTemporaryDir appDir;
    AppState::setConfig(AppConfig::fromText(QStringLiteral("Title=Meridane\nCanSwitchLanguage=1\nCanShowOffline=1\n")));
    const QString workingFile = appDir.path() + QStringLiteral("/Meridane3/config.dt");
    QDir().mkpath(appDir.path() + QStringLiteral("/Meridane3"));
    QFile file(workingFile);
    if (!file.open(QIODevice::WriteOnly) || file.write(sixDevices()) <= 0)
        return 1;
    file.close();

    MainWindow::Setup setup;
    setup.appDir = appDir.path();
    setup.startNetwork = false;
    MainWindow window(setup);
    window.netStateForm()->setProbeOnRefresh(false);
    dvm_setSendHook([](void*, const char*, int length, uint32_t, uint16_t) { return length; }, nullptr);
    window.topMenu()->applyLanguage(true);
    OfflineWorkspace* ws = window.offlineWorkspace();
    ws->setWorkingFilePath(workingFile);
    ws->setQuestion([](const QString&) { return true; });
    window.show();
    window.on_top_btn_click(4);
    QCoreApplication::processEvents();
    int failures = ws->isOpen() && OfflineData::instance().deviceCount() == 6 ? 0 : 1;
    failures += save(window, outDir + QStringLiteral("/offline_workspace.png")) ? 0 : 1;

    // The context menu of the third device, drawn where it would open.
    CustomDevListWidget* list = window.offlineDevList();
    const QString third = OfflineData::instance().deviceIds().value(2);
    list->contextMenu()->popup(third, QPoint(0, 0));
    QCoreApplication::processEvents();
    failures += save(*list->contextMenu(), outDir + QStringLiteral("/offline_workspace_menu.png")) ? 0 : 1;
    list->contextMenu()->hide();

    OfflineTips tips(&window);
    tips.adjustSize();
    failures += save(tips, outDir + QStringLiteral("/offline_workspace_leave.png")) ? 0 : 1;
    return failures == 0 ? 0 : 1;
}

// Renders the main window offscreen with a few devices in both languages and writes PNGs (not a test).
#include "AppState.h"
#include "DevManager.h"
#include "MainWindow.h"
#include "NetStateForm.h"

#include "TopMenuForm.h"
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <cstdio>

namespace {

void announce(const QString& devId, const QString& name, const QString& ip, const QString& model,
              const QString& clockId)
{
    QJsonObject o{{"ops", "iAmVeranto"},  {"devId", devId},     {"name", name},       {"ip", ip},
                  {"port", "9990"},       {"chNumRx", "16"},    {"chNumTx", "16"},    {"sampleRate", "48000"},
                  {"sampleByteNum", "3"}, {"pFrameNum", "48"},  {"dscp", "34"},       {"myClkId", clockId},
                  {"model", model},       {"phyChNumRx", "16"}, {"phyChNumTx", "16"}, {"canWork", "1"}};
    const QByteArray bytes = QJsonDocument(o).toJson(QJsonDocument::Compact);
    userCallLib_handleUdp_mcast(bytes.constData(), bytes.size(), dvm_parseIp(ip), 9996);
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString outDir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(MERIDANE_SCREENSHOT_DIR);
    QDir().mkpath(outDir);
    QTemporaryDir appDir;
    for (const char* qm : {"qt_cn.qm", "qt_en.qm"})
        QFile::copy(QStringLiteral(MERIDANE_QM_DIR "/") + qm, appDir.path() + "/" + qm);
    AppState::setConfig(
        AppConfig::fromText(QStringLiteral("Title=Meridane\nCanSwitchLanguage=1\nCanShow=1\nCanShowHelp=1\n"
                                           "#Meridane audio network controller\nInterLinkage: https://example.invalid/#"
                                           "Meridane 音频网络控制软件\n链接: https://example.invalid/#")));

    MainWindow::Setup setup;
    setup.appDir = appDir.path();
    setup.startNetwork = false;
    MainWindow window(setup);
    window.netStateForm()->setProbeOnRefresh(false);
    // Nothing leaves the process: requests are dropped.
    dvm_setSendHook([](void*, const char*, int length, uint32_t, uint16_t) { return length; }, nullptr);
    announce("MRD-00A1", "Stage left", "192.168.10.21", "MRD-A16", "00-1D-C1-FF-FE-00-00-21");
    announce("MRD-00A2", "Stage right", "192.168.10.22", "MRD-A16", "00-1D-C1-FF-FE-00-00-22");
    announce("MRD-00D8", "Lobby panel", "192.168.10.30", "MRD-D8", "00-1D-C1-FF-FE-00-00-30");
    announce("MRD-0P64", "Main processor", "192.168.10.40", "MRD-P64", "00-1D-C1-FF-FE-00-00-40");
    QCoreApplication::processEvents();
    window.show();
    int failures = 0;
    for (bool chinese : {true, false}) {
        window.topMenu()->applyLanguage(chinese);
        for (int page : {10, 30}) {
            window.on_top_btn_click(page);
            window.slot_refreshUi();
            window.slot_refreshDevInfoUi();
            QCoreApplication::processEvents();
            const QString file = QStringLiteral("%1/main_%2_%3.png").arg(outDir, chinese ? "cn" : "en").arg(page);
            if (window.grab().save(file))
                printf("%s\n", qPrintable(file));
            else
                ++failures;
        }
    }
    // A long list: what shows while the rows are still being made, and once they all are.
    for (int i = 0; i < 200; ++i)
        announce(QStringLiteral("MRD-1%1").arg(i, 3, 16, QLatin1Char('0')).toUpper(),
                 QStringLiteral("Wall box %1").arg(i, 3, 10, QLatin1Char('0')),
                 QStringLiteral("192.168.11.%1").arg(i + 1), "MRD-A16", "00-1D-C1-FF-FE-00-01-00");
    QCoreApplication::processEvents();
    for (int page : {30, 20}) {
        window.on_top_btn_click(page);
        window.slot_refreshUi();
        QCoreApplication::processEvents();
        for (const char* when : {"building", "built"}) {
            const QString file = QStringLiteral("%1/main_en_%2_long_%3.png").arg(outDir).arg(page).arg(when);
            if (window.grab().save(file))
                printf("%s\n", qPrintable(file));
            else
                ++failures;
            for (int turn = 0; turn < 500; ++turn)
                QCoreApplication::processEvents();
        }
    }
    return failures == 0 ? 0 : 1;
}

#include "AppConfig.h"
#include "AppLog.h"
#include "AppState.h"
#include "MainWindow.h"
#include "ScaleFactors.h"
#include "ScriptSession.h"
#include "UiScale.h"
#include "platform/PlatformServices.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QIcon>
#include <QNetworkProxyFactory>
#include <QStandardPaths>
#include <QTimer>
#include <QWindow>
#include <cstdio>
#include <memory>

namespace {
// Started by static initialisation, before main, so start-up measurements include it.
const QElapsedTimer g_sinceStart = [] {
    QElapsedTimer t;
    t.start();
    return t;
}();
} // namespace

int main(int argc, char* argv[])
{
    // Device traffic must never go through a system proxy.
    QNetworkProxyFactory::setUseSystemConfiguration(false);
    QNetworkProxy::setApplicationProxy(QNetworkProxy(QNetworkProxy::NoProxy));
    QApplication app(argc, argv);
    const QString appDir = QCoreApplication::applicationDirPath();
    std::unique_ptr<PlatformServices> platform = PlatformServices::create(appDir);
    platform->installCrashFilter(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));

    // The screens are known only once the application exists here; the factors are the same.
    const PlatformServices::ScreenSizes screen = platform->primaryScreenSizes();
    const ScaleFactors factors = ScaleFactors::fromScreen(screen.horzRes, screen.vertRes, screen.cx, screen.cy);
    UiScale::set(factors);
    qCDebug(lcApp) << "======= cx:" << factors.cx << ", cy:" << factors.cy << ", adjScale:" << factors.adjScale;

    setvbuf(stdout, nullptr, _IONBF, 0);
    printf("=== printf can work \n");
    qRegisterMetaType<uint32_t>("uint32_t");

    const AppConfig config = AppConfig::fromFile(appDir + QStringLiteral("/appConfig.txt"));
    if (!config.titleKey().isEmpty() || !config.title().isEmpty())
        qCDebug(lcApp) << "Key: " << config.titleKey() << " Value: " << config.title();
    AppState::setConfig(config);

    MainWindow::Setup setup;
    setup.appDir = appDir;
    setup.platform = platform.get();
    int code = 0;
    {
        MainWindow window(setup);
        window.setWindowIcon(QIcon(appDir + QStringLiteral("/icon.ico")));
        window.setWindowTitle(config.title());
        window.show();
        // End-to-end tests drive the application through standard input.
        std::unique_ptr<ScriptSession> script;
        if (ScriptSession::enabledByEnvironment())
            script = std::make_unique<ScriptSession>(&window);
        // Start-up benchmark switch: report when the window is first painted (exposed), then quit.
        QTimer exposedPoll;
        if (qEnvironmentVariableIntValue("MERIDANE_EXIT_AFTER_SHOW") == 1) {
            QObject::connect(&exposedPoll, &QTimer::timeout, &window, [&window, &exposedPoll] {
                if (window.windowHandle() == nullptr || !window.windowHandle()->isExposed())
                    return;
                exposedPoll.stop();
                printf("MERIDANE_SHOWN_MS %.3f\n", double(g_sinceStart.nsecsElapsed()) / 1e6);
                QCoreApplication::exit(0);
            });
            exposedPoll.start(0);
        }
        code = app.exec();
    }
    return code;
}

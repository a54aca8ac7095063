#include "AppConfig.h"
#include "AppLog.h"
#include "AppState.h"
#include "MainWindow.h"
#include "ScaleFactors.h"
#include "UiScale.h"
#include "platform/PlatformServices.h"

#include <QApplication>
#include <QIcon>
#include <QNetworkProxyFactory>
#include <QStandardPaths>
#include <cstdio>

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
        code = app.exec();
    }
    return code;
}

#include "LinuxPlatformServices.h"

#include "AppLog.h"
#include "AppVersion.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <execinfo.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Filled before the handler is installed: the handler itself must not allocate.
char g_crashPrefix[1024];
char g_crashDir[1024];
bool g_crashPathsOk = false;

/// Creates the folder and its parents with mkdir only (safe in a signal handler). False when it is missing after.
bool makeFolders(char* path)
{
    for (char* p = path + 1; *p != '\0'; ++p) {
        if (*p != '/')
            continue;
        *p = '\0';
        mkdir(path, 0700);
        *p = '/';
    }
    struct stat st;
    return mkdir(path, 0700) == 0 || (stat(path, &st) == 0 && S_ISDIR(st.st_mode));
}

void writeText(int fd, const char* text)
{
    size_t left = strlen(text);
    while (left > 0) {
        const ssize_t n = write(fd, text, left);
        if (n <= 0)
            return;
        text += n;
        left -= size_t(n);
    }
}

void crashHandler(int sig)
{
    // The folder is made only when a report is due, as the dump rule asks.
    if (g_crashPathsOk && makeFolders(g_crashDir)) {
        const time_t now = time(nullptr);
        struct tm local;
        char path[sizeof g_crashPrefix + 32];
        if (localtime_r(&now, &local) != nullptr &&
            LinuxPlatformServices::formatCrashPath(g_crashPrefix, local, path, sizeof path)) {
            const int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
            if (fd >= 0) {
                char line[64];
                snprintf(line, sizeof line, "signal %d\n", sig);
                writeText(fd, line);
                void* frames[64];
                backtrace_symbols_fd(frames, backtrace(frames, 64), fd);
                close(fd);
            }
        }
    }
    _exit(LinuxPlatformServices::kCrashExitCode);
}

} // namespace

std::unique_ptr<PlatformServices> PlatformServices::create(const QString& appDir)
{
    return std::make_unique<LinuxPlatformServices>(appDir);
}

LinuxPlatformServices::LinuxPlatformServices(QString appDir) : m_appDir(std::move(appDir)) {}

LinuxPlatformServices::~LinuxPlatformServices()
{
    closeUpgradeProgram();
}

PlatformServices::ScreenSizes LinuxPlatformServices::primaryScreenSizes() const
{
    ScreenSizes s;
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return s;
    // The display scale is the device pixel ratio times the desktop's font scaling (logical DPI over 96).
    const double scale = screen->devicePixelRatio() * screen->logicalDotsPerInchX() / 96.0;
    const QSize logical = screen->geometry().size();
    s.horzRes = int(logical.width() * screen->devicePixelRatio());
    s.vertRes = int(logical.height() * screen->devicePixelRatio());
    s.cx = scale > 0 ? int(s.horzRes / scale) : 0;
    s.cy = scale > 0 ? int(s.vertRes / scale) : 0;
    return s;
}

QString LinuxPlatformServices::crashPathPrefix(const QString& documentsDir)
{
    return AppVersion::crashDumpDir(documentsDir) + AppVersion::buildId() + QLatin1Char('_');
}

bool LinuxPlatformServices::formatCrashPath(const char* prefix, const struct tm& when, char* out, size_t size)
{
    char stamp[32];
    if (strftime(stamp, sizeof stamp, "%y%m%d%H%M%S", &when) == 0)
        return false;
    const int n = snprintf(out, size, "%s%s.dmp", prefix, stamp);
    return n > 0 && size_t(n) < size;
}

void LinuxPlatformServices::installCrashFilter(const QString& documentsDir)
{
    const QByteArray dir = QFile::encodeName(AppVersion::crashDumpDir(documentsDir));
    const QByteArray prefix = QFile::encodeName(crashPathPrefix(documentsDir));
    g_crashPathsOk = size_t(prefix.size()) < sizeof g_crashPrefix && size_t(dir.size()) < sizeof g_crashDir;
    if (g_crashPathsOk) {
        memcpy(g_crashPrefix, prefix.constData(), size_t(prefix.size()) + 1);
        memcpy(g_crashDir, dir.constData(), size_t(dir.size()) + 1);
    } else {
        qCWarning(lcApp) << "crash reports cannot be written to" << dir;
    }

    struct sigaction sa;
    memset(&sa, 0, sizeof sa);
    sa.sa_handler = crashHandler;
    sigemptyset(&sa.sa_mask);
    // A fault inside the handler must end the process, not recurse.
    sa.sa_flags = SA_RESETHAND;
    for (int sig : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT})
        sigaction(sig, &sa, nullptr);
}

QString LinuxPlatformServices::upgradeProgramPath() const
{
    return m_appDir + QLatin1Char('/') + QLatin1String(kUpgradeProgram);
}

void LinuxPlatformServices::endUpgradeProgram()
{
    // Only where the upgrade program is installed: then a process of that exact name is ours.
    if (!QFileInfo(upgradeProgramPath()).isExecutable())
        return;
    QProcess::execute(QStringLiteral("pkill"), {QStringLiteral("-x"), QLatin1String(kUpgradeProgram)});
}

bool LinuxPlatformServices::startUpgradeProgram(bool english)
{
    if (!QFileInfo(upgradeProgramPath()).isExecutable())
        return false;
    m_upgrade = std::make_unique<QProcess>();
    m_upgrade->setProgram(upgradeProgramPath());
    if (english)
        m_upgrade->setArguments({QStringLiteral("0")});
    // Detached: the upgrade program outlives a controller it may have to replace.
    return m_upgrade->startDetached();
}

void LinuxPlatformServices::closeUpgradeProgram()
{
    m_upgrade.reset();
}

#pragma once
#include "PlatformServices.h"

#include <QProcess>
#include <memory>

/// Linux: QScreen for the screen sizes, a fatal-signal handler writing a text crash report (backtrace), and
/// the upgrade program "Tarnwick" beside the executable.
class LinuxPlatformServices : public PlatformServices
{
public:
    static constexpr const char* kUpgradeProgram = "Tarnwick";
    /// Exit status after a crash: the low byte of the status other platforms report (0x8000FFFF).
    static constexpr int kCrashExitCode = 0xFF;

    explicit LinuxPlatformServices(QString appDir);
    ~LinuxPlatformServices() override;

    ScreenSizes primaryScreenSizes() const override;
    void installCrashFilter(const QString& documentsDir) override;
    void endUpgradeProgram() override;
    bool startUpgradeProgram(bool english) override;
    void closeUpgradeProgram() override;

    /// The crash report's path prefix: the folder and the build id with "_" (the time and ".dmp" follow).
    static QString crashPathPrefix(const QString& documentsDir);
    /// The file name rule at a time given as broken-down local time, in plain C for the signal handler:
    /// writes prefix + "yyMMddhhmmss" + ".dmp" into out (NUL-terminated). False when it does not fit.
    static bool formatCrashPath(const char* prefix, const struct tm& when, char* out, size_t size);

private:
    QString upgradeProgramPath() const;

    QString m_appDir;
    std::unique_ptr<QProcess> m_upgrade;
};

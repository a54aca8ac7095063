#pragma once
#include <QString>
#include <memory>

/// What the shell needs from the operating system: screen sizes for the scale factors, the crash report on a
/// fatal fault, and the sibling upgrade program. One implementation per platform.
class PlatformServices
{
public:
    /// The primary screen: physical pixels (horzRes x vertRes) and logical size (cx x cy). All 0 when the
    /// platform has no screen.
    struct ScreenSizes
    {
        int horzRes = 0;
        int vertRes = 0;
        int cx = 0;
        int cy = 0;
    };

    virtual ~PlatformServices() = default;

    /// Needs the application object (the screens are known only then).
    virtual ScreenSizes primaryScreenSizes() const = 0;
    /// Installs the crash filter: on a fatal fault a report goes to `documentsDir` + "/Meridane3/" under the
    /// crash dump name, and the process ends without the system's own error handling. Call once.
    virtual void installCrashFilter(const QString& documentsDir) = 0;
    /// Ends an upgrade program left running from an earlier run (waits for it).
    virtual void endUpgradeProgram() = 0;
    /// Starts the upgrade program from the application's folder ("0" as argument in English). False when it
    /// is not installed or does not start.
    virtual bool startUpgradeProgram(bool english) = 0;
    /// Lets go of the upgrade program this process started (it keeps running by itself).
    virtual void closeUpgradeProgram() = 0;

    /// The implementation for this platform; `appDir` is the application's folder.
    static std::unique_ptr<PlatformServices> create(const QString& appDir);
};

#pragma once
#include "IniFile.h"

#include <QString>

/// The user's own choices kept between runs: the interface language (in the application's "UserConfig.ini")
/// and the folder last used for configuration files (in "Config.ini" of the working directory).
///
/// Each read goes to the file; each write keeps every other entry of the file and returns whether it was
/// saved (a failed write leaves the file as it was).
class UserSettings
{
public:
    UserSettings(const QString& userConfigPath, const QString& configPath);
    /// The files of a running application: `appDir` + "/UserConfig.ini" and "./Config.ini".
    static UserSettings forApplication(const QString& appDir);

    /// True when "Langue" is "chs"; a missing file or any other value means English.
    bool isChinese() const;
    /// Stores "chs" or "en".
    bool setChinese(bool chinese);

    /// "lastCfgDirPath"; "." when missing or empty.
    QString lastCfgDirPath() const;
    bool setLastCfgDirPath(const QString& dir);

    /// The test signal tool's calibration and thresholds in "UserConfig.ini" ("_testDots", "_testDots2",
    /// "_testReductVal", "_testHasSignalVal"). A missing or unreadable value gives `fallback`; values outside
    /// the tool's ranges (delays 0..kMaxTestDots samples, thresholds -120..0 dBFS) are clamped on reading.
    static constexpr int kMaxTestDots = 48000;
    int testDots(int fallback) const;
    bool setTestDots(int dots);
    int testDots2(int fallback) const;
    bool setTestDots2(int dots);
    double testReductVal(double fallback) const;
    bool setTestReductVal(double db);
    double testHasSignalVal(double fallback) const;
    bool setTestHasSignalVal(double db);

private:
    int dots(const QString& key, int fallback) const;
    double threshold(const QString& key, double fallback) const;

    IniFile m_userConfig;
    IniFile m_config;
};

#pragma once
#include "AppConfig.h"

/// Process-wide values of the user-interface thread: the language flag, the working mode and the
/// contents of "appConfig.txt". Read and written from the user-interface thread only.
class AppState
{
public:
    /// The mode while the offline workspace is open; online the mode is the page shown (10..40).
    static constexpr int kOfflineMode = 3;

    static bool isChinese();
    static void setChinese(bool chinese);

    static int mode();
    static void setMode(int mode);
    static bool isOffline() { return mode() == kOfflineMode; }

    static const AppConfig& config();
    static void setConfig(const AppConfig& config);

    /// `chinese` or `english` by the language flag, for messages the program carries in both languages.
    static QString pick(const QString& chinese, const QString& english) { return isChinese() ? chinese : english; }
};

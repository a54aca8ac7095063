#pragma once
#include "Samples.h"

#include <QString>

/// Starts the real application as a child process (offscreen, MERIDANE_EXIT_AFTER_SHOW=1) and times how long
/// it takes until the main window is first shown.
class StartupTimer
{
public:
    struct Result
    {
        Samples spawnToShownMs;  ///< measured here: from starting the child to its report line
        Samples childReportedMs; ///< measured by the child: from its static initialisation to the first show
        int failures = 0;
        QString lastError;
    };

    explicit StartupTimer(QString appPath);

    /// `runs` sequential starts; each child gets `timeoutMs` to report before it is killed and counted as failed.
    Result run(int runs, int timeoutMs) const;

private:
    QString m_appPath;
};

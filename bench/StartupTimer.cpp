#include "StartupTimer.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <algorithm>

namespace {
const QByteArray kReportTag = QByteArrayLiteral("MERIDANE_SHOWN_MS ");
}

StartupTimer::StartupTimer(QString appPath) : m_appPath(std::move(appPath)) {}

StartupTimer::Result StartupTimer::run(int runs, int timeoutMs) const
{
    Result result;
    // A private home keeps the child's settings and crash-dump folders out of the user's.
    QTemporaryDir home;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("MERIDANE_EXIT_AFTER_SHOW"), QStringLiteral("1"));
    if (home.isValid()) {
        env.insert(QStringLiteral("HOME"), home.path());
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path());
    }
    for (int i = 0; i < runs; ++i) {
        QProcess child;
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::SeparateChannels);
        child.setStandardErrorFile(QProcess::nullDevice());
        QElapsedTimer clock;
        clock.start();
        child.start(m_appPath, QStringList());
        QByteArray out;
        double spawnMs = -1;
        double reportedMs = -1;
        while (reportedMs < 0 && clock.elapsed() < timeoutMs) {
            if (!child.waitForReadyRead(int(std::max<qint64>(1, timeoutMs - clock.elapsed())))) {
                if (child.state() == QProcess::NotRunning)
                    break;
                continue;
            }
            out += child.readAllStandardOutput();
            const int at = out.indexOf(kReportTag);
            const int end = at >= 0 ? out.indexOf('\n', at) : -1;
            if (end >= 0) {
                spawnMs = double(clock.nsecsElapsed()) / 1e6;
                bool ok = false;
                reportedMs = out.mid(at + kReportTag.size(), end - at - kReportTag.size()).trimmed().toDouble(&ok);
                if (!ok)
                    reportedMs = -1;
                break;
            }
        }
        if (reportedMs < 0) {
            ++result.failures;
            result.lastError = child.error() == QProcess::FailedToStart
                                   ? QStringLiteral("could not start %1").arg(m_appPath)
                                   : QStringLiteral("no report line within %1 ms").arg(timeoutMs);
            child.kill();
            child.waitForFinished(2000);
            continue;
        }
        result.spawnToShownMs.add(spawnMs);
        result.childReportedMs.add(reportedMs);
        if (!child.waitForFinished(timeoutMs)) {
            child.kill();
            child.waitForFinished(2000);
        }
    }
    return result;
}

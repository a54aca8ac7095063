// meridane-app-bench: start-up time of the real application to its first shown window, and the main window's
// device slots with a full registry. Prints its figures; targets are reported, not enforced.

#include "RefreshBench.h"
#include "StartupTimer.h"

#include <QApplication>
#include <QCommandLineParser>
#include <algorithm>
#include <cstdio>

namespace {

constexpr double kRefreshTargetMs = 50.0;

const char* verdict(bool ok)
{
    return ok ? "ok" : "MISSED";
}

void printSamples(const char* label, const Samples& s)
{
    std::printf("  %-52s median %9.3f ms  (min %.3f, max %.3f, n=%d)\n", label, s.median(), s.min(), s.max(),
                s.count());
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Application start-up and main-window refresh figures"));
    parser.addHelpOption();
    const QCommandLineOption appOpt(QStringLiteral("app"), QStringLiteral("The application binary."),
                                    QStringLiteral("path"), QStringLiteral(MERIDANE_APP_PATH));
    const QCommandLineOption runsOpt(QStringLiteral("runs"), QStringLiteral("Start-up runs (default 7)."),
                                     QStringLiteral("n"), QStringLiteral("7"));
    const QCommandLineOption devicesOpt(QStringLiteral("devices"), QStringLiteral("Listed devices (default 1024)."),
                                        QStringLiteral("n"), QStringLiteral("1024"));
    const QCommandLineOption repeatsOpt(QStringLiteral("repeats"), QStringLiteral("Timed repeats (default 9)."),
                                        QStringLiteral("n"), QStringLiteral("9"));
    const QCommandLineOption pageOpt(
        QStringLiteral("page"), QStringLiteral("Page shown: 10 matrix, 20 clock, 30 network (default), 40 levels."),
        QStringLiteral("n"), QStringLiteral("30"));
    parser.addOptions({appOpt, runsOpt, devicesOpt, repeatsOpt, pageOpt});
    parser.process(app);
    const int runs = std::max(0, parser.value(runsOpt).toInt());
    const int devices = std::max(1, std::min(1024, parser.value(devicesOpt).toInt()));
    const int repeats = std::max(1, parser.value(repeatsOpt).toInt());

    int failures = 0;
    if (runs > 0) {
        const StartupTimer::Result s = StartupTimer(parser.value(appOpt)).run(runs, 20000);
        std::printf("(a) start-up to the first shown main window, %d runs\n", runs);
        printSamples("spawn to shown (measured by this program)", s.spawnToShownMs);
        printSamples("static initialisation to shown (reported by the child)", s.childReportedMs);
        if (s.failures > 0) {
            std::printf("  %d run(s) failed: %s\n", s.failures, qPrintable(s.lastError));
            ++failures;
        }
    }

    const int page = parser.value(pageOpt).toInt();
    const RefreshBench::Result r =
        RefreshBench::run(devices, repeats, page == 10 || page == 20 || page == 40 ? page : 30);
    std::printf("(b) main window with %d listed devices (%d in the store), page %d shown\n", devices, r.listed, page);
    std::printf("  %-52s %9.3f ms  (%.3f ms per device)\n", "slot_recv_addDev, all devices from empty", r.addAllMs,
                r.addAllMs / devices);
    printSamples("slot_recv_addDev, one device at full list", r.addAtFullMs);
    std::printf("  %-52s %9.3f ms\n", "slot_refreshUi, first call", r.firstRefreshMs);
    std::printf("  %-52s %9.3f ms  (%d turns of the event loop)\n", "first refresh until every row is made, total",
                r.firstTotalMs, r.firstSteps);
    std::printf("  %-52s %9.3f ms\n", "  longest single step meanwhile", r.firstLongestStepMs);
    printSamples("slot_refreshUi, nothing changed", r.refreshMs);
    printSamples("  layout and paint after it", r.paintMs);
    printSamples("  of which the device list (DevListForm::refresh)", r.devListMs);
    printSamples("  of which the network state page (NetStateForm::refresh)", r.netStateMs);
    printSamples("  the page without sending its requests", r.netStateQuietMs);
    printSamples("  the device list, header not sized to contents", r.devListFixedHeaderMs);
    printSamples("slot_refreshUi, one device left and came back", r.refreshAfterAddMs);
    std::printf("  target: slot_refreshUi at most %.0f ms: %s\n", kRefreshTargetMs,
                verdict(r.refreshMs.median() <= kRefreshTargetMs));
    std::printf("  target: no step of the first refresh over %.0f ms: %s\n", kRefreshTargetMs,
                verdict(r.firstLongestStepMs <= kRefreshTargetMs));
    if (r.listed != devices) {
        std::printf("  only %d of %d devices were listed\n", r.listed, devices);
        ++failures;
    }
    return failures == 0 ? 0 : 1;
}

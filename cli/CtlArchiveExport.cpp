#include "CtlArchiveExport.h"

#include "AppVersion.h"
#include "ArchiveExporter.h"
#include "CtlArchiveDevices.h"
#include "CtlArchiveSession.h"
#include "CtlArchiveText.h"
#include "CtlArchiveTransport.h"
#include "CtlExit.h"
#include "CtlNetwork.h"
#include "CtlOptions.h"
#include "CtlOutput.h"
#include "DevManager.h"
#include "ExportSupervisor.h"
#include "NetworkArchiveTransport.h"

#include <QTimer>

int CtlArchiveExport::run(CtlNetwork& net, const CtlOptions& o)
{
    const QString path = o.args.at(0);
    ArchiveCategories categories;
    QString error;
    ArchiveCategories::parse(o.categories.isEmpty() ? QStringLiteral("all") : o.categories, &categories, &error);

    CtlArchiveSession session(net, o);
    const QStringList names = CtlArchiveDevices::items(o.devices);
    const QVector<OnlineDeviceFacts> online = session.settle(names);
    QVector<OnlineDeviceFacts> chosen = online;
    if (!names.isEmpty() && !CtlArchiveDevices::select(online, names, &chosen, &error)) {
        CtlOutput::fail(error);
        return CtlExit::kUnknown;
    }
    if (chosen.isEmpty()) {
        CtlOutput::fail(QStringLiteral("no device on the network to export"));
        return CtlExit::kUnknown;
    }
    if (o.dryRun) {
        for (const OnlineDeviceFacts& f : chosen)
            CtlOutput::write(QStringLiteral("would read %1 \"%2\" (%3)%4\n")
                                 .arg(f.devId, f.name, dvm_ipToString(f.ip),
                                      f.hasDsp ? QStringLiteral(" with its processor") : QString())
                                 .toUtf8());
        CtlOutput::write(QStringLiteral("would write %1 with %2\n").arg(path, categories.keys()).toUtf8());
        return CtlExit::kOk;
    }

    NetworkArchiveTransport network;
    CtlArchiveTransport transport(network);
    ArchiveExporter exporter(transport);
    ArchiveExporter::Outcome outcome;

    // The worker stops on Ctrl-C, or when it stops making progress for the supervision's limit.
    std::atomic_bool stop{false};
    bool stalled = false;
    ExportSupervisor supervisor;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&]() {
        if (supervisor.tick(exporter.progressCount())) {
            stalled = true;
            stop.store(true);
            watch.stop();
            CtlOutput::error((ExportSupervisor::stalledText() + QLatin1Char(' ') + supervisor.stateLine()).toUtf8());
        }
    });
    QTimer cancelPoll;
    QObject::connect(&cancelPoll, &QTimer::timeout, [&]() {
        if (session.cancel()->load())
            stop.store(true);
    });
    watch.start(ExportSupervisor::DefaultIntervalMs);
    cancelPoll.start(100);
    session.runOnWorker([&]() {
        outcome = exporter.exportOnline(
            chosen, categories, path, AppVersion::version(), &stop,
            [](const QString& text, int done, int total) { CtlOutput::progress(text, done, total); });
    });
    watch.stop();
    cancelPoll.stop();
    if (stalled && outcome.error.isEmpty())
        outcome.error = ExportSupervisor::stalledText();
    CtlOutput::write((CtlArchiveText::exportSummary(path, outcome, o.json) + QLatin1Char('\n')).toUtf8());
    return CtlArchiveText::exportExitCode(outcome, transport.counts());
}

// meridane-ctl: the headless controller on the same core as the application.
#include "CtlExit.h"
#include "CtlNetwork.h"
#include "CtlOptions.h"
#include "CtlOutput.h"
#include "CtlRoutes.h"
#include "CtlSend.h"
#include "CtlSession.h"
#include "CtlStreams.h"
#include "DevManager.h"
#include "LocalInterfaces.h"

#include <QCoreApplication>
#include <QTimer>
#include <QTranslator>
#include <atomic>
#include <csignal>

namespace {

std::atomic<bool> g_interrupted{false};

void onSignal(int)
{
    g_interrupted.store(true);
}

/// The host's only usable address, as the application chooses by itself; 0 when not one.
uint32_t onlyAddress()
{
    const QList<uint32_t> all = LocalInterfaces::usableIpv4();
    return all.size() == 1 ? all.first() : 0;
}

int runControl(const CtlOptions& options)
{
    // The texts of the checks and refusals come from the application's catalogues, built into this program.
    QTranslator translator;
    if (translator.load(options.chinese ? QStringLiteral(":/ctl/qm/meridane_cn.qm")
                                        : QStringLiteral(":/ctl/qm/meridane_en.qm")))
        QCoreApplication::installTranslator(&translator);

    // `send` leaves the devices alone but for the messages it sends; the others need names, versions and locks.
    CtlNetwork net(options.command != CtlOptions::Send);
    if (!net.start(options.ip, options.deviceLifeMs))
        return CtlExit::kUsage;
    switch (options.command) {
    case CtlOptions::Send:
        return CtlSend(net, options).run();
    case CtlOptions::RouteList:
        return CtlRoutes(net, options).list();
    case CtlOptions::RouteAdd:
        return CtlRoutes(net, options).add(options.args.at(0), options.args.at(1));
    case CtlOptions::RouteRemove:
        return CtlRoutes(net, options).remove(options.args.at(0));
    case CtlOptions::StreamCreate:
        return CtlStreams(net, options).create(options.args.at(0));
    case CtlOptions::StreamDelete:
        return CtlStreams(net, options).remove(options.args.at(0), options.args.at(1));
    default:
        return CtlExit::kUsage;
    }
}

} // namespace

int main(int argc, char* argv[])
{
    CtlOutput::separateFromLogs();
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments();
    args.removeFirst();
    if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
        CtlOutput::write(CtlOptions::usage().toUtf8());
        return 0;
    }

    CtlOptions options;
    QString error;
    if (!CtlOptions::parse(args, &options, &error)) {
        CtlOutput::error("meridane-ctl: " + error.toUtf8() + " (see meridane-ctl --help)");
        return CtlOptions::usageExitCode(args);
    }
    const int setupError = options.isControl() ? CtlExit::kUsage : CtlExit::kListError;
    if (options.ip == 0)
        options.ip = onlyAddress();
    if (options.ip == 0) {
        CtlOutput::error("meridane-ctl: the host has several or no usable IPv4 addresses; choose one with --ip");
        return setupError;
    }
    if (!LocalInterfaces::carries(options.ip)) {
        CtlOutput::error("meridane-ctl: no interface of this host carries " + dvm_ipToString(options.ip).toUtf8());
        return setupError;
    }
    if (options.isControl())
        return runControl(options);

    CtlSession session(options);
    if (!session.start())
        return CtlExit::kListError;
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    QTimer interruptPoll;
    QObject::connect(&interruptPoll, &QTimer::timeout, &session, [&session]() {
        if (g_interrupted.load())
            session.finish();
    });
    interruptPoll.start(100);
    return app.exec();
}

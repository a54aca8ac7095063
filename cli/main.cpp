// meridane-ctl: the headless controller on the same core as the application.
#include "CtlOptions.h"
#include "CtlOutput.h"
#include "CtlSession.h"
#include "DevManager.h"
#include "LocalInterfaces.h"

#include <QCoreApplication>
#include <QTimer>
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
        CtlOutput::error("meridane-ctl: " + error.toUtf8() + "\n" + CtlOptions::usage().toUtf8());
        return 2;
    }
    if (options.ip == 0)
        options.ip = onlyAddress();
    if (options.ip == 0) {
        CtlOutput::error("meridane-ctl: the host has several or no usable IPv4 addresses; choose one with --ip");
        return 2;
    }
    if (!LocalInterfaces::carries(options.ip)) {
        CtlOutput::error("meridane-ctl: no interface of this host carries " + dvm_ipToString(options.ip).toUtf8());
        return 2;
    }

    CtlSession session(options);
    if (!session.start())
        return 2;
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

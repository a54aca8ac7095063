// meridane-ctl: the headless controller on the same core as the application.
#include "AppVersion.h"
#include "CtlCommandTable.h"
#include "CtlExit.h"
#include "CtlNetwork.h"
#include "CtlOptions.h"
#include "CtlOutput.h"
#include "CtlSession.h"
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

int runControl(const CtlOptions& options, const CtlCommand& command)
{
    // The texts of the checks and refusals come from the application's catalogues, built into this program.
    QTranslator translator;
    if (translator.load(options.chinese ? QStringLiteral(":/ctl/qm/meridane_cn.qm")
                                        : QStringLiteral(":/ctl/qm/meridane_en.qm")))
        QCoreApplication::installTranslator(&translator);

    CtlNetwork net(command.readsDevices);
    if (!net.start(options.ip, options.deviceLifeMs))
        return CtlExit::kUsage;
    return command.run(net, options);
}

} // namespace

int main(int argc, char* argv[])
{
    CtlOutput::separateFromLogs();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationVersion(AppVersion::version());
    QStringList args = app.arguments();
    args.removeFirst();

    CtlOptions options;
    QString error;
    if (!CtlOptions::parse(args, &options, &error)) {
        CtlOutput::error("meridane-ctl: " + error.toUtf8() + " (see " + CtlOptions::helpHint(args).toUtf8() + ")");
        return CtlOptions::usageExitCode(args);
    }
    if (options.version) {
        CtlOutput::write(
            QStringLiteral("meridane-ctl %1 (build %2)\n").arg(AppVersion::version(), AppVersion::buildId()).toUtf8());
        return CtlExit::kOk;
    }
    if (!options.help.isEmpty()) {
        CtlOutput::write(options.help.toUtf8());
        return CtlExit::kOk;
    }
    const CtlCommand* command = CtlCommandTable::find(options.commandName);
    if (command->runLocal) {
        const int code = command->runLocal(options);
        if (code >= 0)
            return code;
    }
    const int setupError = command->isControl() ? CtlExit::kUsage : CtlExit::kListError;
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
    if (command->isControl())
        return runControl(options, *command);

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

// meridane-sim: simulated devices on real sockets, driven by JSON lines on standard input.

#include "SimControl.h"
#include "SimDeviceConfig.h"
#include "SimLog.h"
#include "SimNetwork.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QJsonDocument>
#include <QLoggingCategory>
#include <QSocketNotifier>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int g_signalFds[2] = {-1, -1};

void onSignal(int)
{
    const char c = 1;
    // Only async-signal-safe work here; the event loop picks the byte up.
    [[maybe_unused]] ssize_t n = ::write(g_signalFds[0], &c, 1);
}

void writeLine(const QByteArray& line)
{
    std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

int usageError(const QString& msg)
{
    std::fprintf(stderr, "meridane-sim: %s\n", qPrintable(msg));
    return 2;
}

bool readInt(const QCommandLineParser& p, const QString& name, int min, int max, int* out, QString* error)
{
    if (!p.isSet(name))
        return true;
    bool ok = false;
    const int v = p.value(name).toInt(&ok);
    if (!ok || v < min || v > max) {
        *error = QStringLiteral("--%1 must be a number from %2 to %3").arg(name).arg(min).arg(max);
        return false;
    }
    *out = v;
    return true;
}

/// Every device holds eight or nine sockets, so a thousand devices need more descriptors than the usual soft
/// limit of 1024: the soft limit is raised towards the hard one (bounded), before any socket is made.
void raiseDescriptorLimit()
{
    constexpr rlim_t kWanted = 65536;
    struct rlimit lim;
    if (::getrlimit(RLIMIT_NOFILE, &lim) != 0 || lim.rlim_cur >= kWanted)
        return;
    lim.rlim_cur = lim.rlim_max == RLIM_INFINITY ? kWanted : std::min(kWanted, lim.rlim_max);
    ::setrlimit(RLIMIT_NOFILE, &lim);
}

} // namespace

int main(int argc, char** argv)
{
    // With a standard descriptor closed, the first socket would take its number and the stdin reader would
    // steal its datagrams.
    for (int fd = 0; fd <= 2; ++fd)
        if (::fcntl(fd, F_GETFD) < 0 && ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY) != fd)
            return 1;
    raiseDescriptorLimit();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("meridane-sim"));

    QCommandLineParser p;
    p.setApplicationDescription(QStringLiteral("Simulated audio network devices."));
    p.addHelpOption();
    p.addOptions({
        {QStringLiteral("config"), QStringLiteral("Device descriptions (JSON)."), QStringLiteral("file")},
        {QStringLiteral("devices"), QStringLiteral("Number of generated devices, 1 to 1024 (default 3)."),
         QStringLiteral("n")},
        {QStringLiteral("first-ip"), QStringLiteral("First address of generated devices."), QStringLiteral("ip")},
        {QStringLiteral("ips"), QStringLiteral("Comma-separated addresses of generated devices."),
         QStringLiteral("list")},
        {QStringLiteral("port"), QStringLiteral("Command port (default 9990)."), QStringLiteral("port")},
        {QStringLiteral("page-size"), QStringLiteral("Entries per table page (default 8)."), QStringLiteral("n")},
        {QStringLiteral("announce-ms"), QStringLiteral("Announcement period (default 1000)."), QStringLiteral("ms")},
        {QStringLiteral("sap-ms"), QStringLiteral("SAP period (default 1000)."), QStringLiteral("ms")},
        {QStringLiteral("clock-ms"), QStringLiteral("Clock event period (default 1000)."), QStringLiteral("ms")},
        {QStringLiteral("reboot-ms"), QStringLiteral("Time a rebooting device stays silent (default 4000)."),
         QStringLiteral("ms")},
        {QStringLiteral("exit-on-eof"), QStringLiteral("Quit when standard input closes.")},
        {QStringLiteral("print-config"), QStringLiteral("Print the device descriptions and exit.")},
        {QStringLiteral("verbose"), QStringLiteral("Debug logging on standard error.")},
    });
    p.process(app);
    if (!p.positionalArguments().isEmpty())
        return usageError(QStringLiteral("unexpected argument %1").arg(p.positionalArguments().first()));
    if (p.isSet(QStringLiteral("verbose")))
        QLoggingCategory::setFilterRules(QStringLiteral("meridane.sim.debug=true"));

    SimNetwork::Options options;
    QString error;
    int port = options.port;
    if (!readInt(p, QStringLiteral("port"), 1, 65535, &port, &error) ||
        !readInt(p, QStringLiteral("page-size"), 1, 4096, &options.pageSize, &error) ||
        !readInt(p, QStringLiteral("announce-ms"), 10, 3600000, &options.announceMs, &error) ||
        !readInt(p, QStringLiteral("sap-ms"), 10, 3600000, &options.sapMs, &error) ||
        !readInt(p, QStringLiteral("clock-ms"), 10, 3600000, &options.clockMs, &error) ||
        !readInt(p, QStringLiteral("reboot-ms"), 0, 3600000, &options.rebootMs, &error))
        return usageError(error);
    options.port = static_cast<quint16>(port);

    QVector<SimDeviceConfig> configs;
    if (p.isSet(QStringLiteral("config"))) {
        if (p.isSet(QStringLiteral("devices")) || p.isSet(QStringLiteral("first-ip")) || p.isSet(QStringLiteral("ips")))
            return usageError(QStringLiteral("--config excludes --devices, --first-ip and --ips"));
        QFile f(p.value(QStringLiteral("config")));
        if (!f.open(QIODevice::ReadOnly))
            return usageError(QStringLiteral("cannot read %1: %2").arg(f.fileName(), f.errorString()));
        std::optional<QVector<SimDeviceConfig>> list = SimDeviceConfig::listFromJson(f.readAll(), &error);
        if (!list)
            return usageError(QStringLiteral("%1: %2").arg(f.fileName(), error));
        configs = *list;
    } else {
        QVector<quint32> ips;
        if (p.isSet(QStringLiteral("ips"))) {
            if (p.isSet(QStringLiteral("first-ip")))
                return usageError(QStringLiteral("--ips excludes --first-ip"));
            for (const QString& t : p.value(QStringLiteral("ips")).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
                std::optional<quint32> ip = SimDeviceConfig::parseIp(t.trimmed());
                if (!ip || *ip == 0 || ips.contains(*ip))
                    return usageError(QStringLiteral("bad or repeated address %1 in --ips").arg(t));
                ips.append(*ip);
            }
            int n = ips.size();
            if (!readInt(p, QStringLiteral("devices"), 1, 1024, &n, &error))
                return usageError(error);
            if (n != ips.size())
                return usageError(QStringLiteral("--devices disagrees with the number of --ips"));
        } else {
            int n = 3;
            if (!readInt(p, QStringLiteral("devices"), 1, 1024, &n, &error))
                return usageError(error);
            if (!p.isSet(QStringLiteral("first-ip")))
                return usageError(QStringLiteral("give --config, --ips, or --first-ip"));
            std::optional<quint32> first = SimDeviceConfig::parseIp(p.value(QStringLiteral("first-ip")));
            if (!first || *first == 0)
                return usageError(QStringLiteral("bad --first-ip"));
            ips = SimDeviceConfig::hostAddresses(*first, n);
            if (ips.isEmpty())
                return usageError(QStringLiteral("--first-ip leaves no room for %1 addresses").arg(n));
        }
        configs = SimDeviceConfig::generate(ips);
    }

    if (p.isSet(QStringLiteral("print-config"))) {
        std::fputs(SimDeviceConfig::listToJson(configs).constData(), stdout);
        return 0;
    }

    SimNetwork network(options);
    if (!network.build(configs, &error))
        return usageError(error);
    if (!network.start(&error)) {
        std::fprintf(stderr, "meridane-sim: %s\n", qPrintable(error));
        return 1;
    }

    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalFds) != 0) {
        std::perror("meridane-sim: socketpair");
        return 1;
    }
    QSocketNotifier signalNotifier(g_signalFds[1], QSocketNotifier::Read);
    QObject::connect(&signalNotifier, &QSocketNotifier::activated, &app, [] {
        char c;
        [[maybe_unused]] ssize_t n = ::read(g_signalFds[1], &c, 1);
        qCInfo(lcSim) << "signal received, stopping";
        QCoreApplication::quit();
    });
    struct sigaction sa = {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    // A reader that went away must not kill us with SIGPIPE on the next answer.
    std::signal(SIGPIPE, SIG_IGN);

    SimControl control(network);
    QObject::connect(&control, &SimControl::signal_answer, &app, writeLine);
    QObject::connect(&control, &SimControl::signal_quit, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    control.attachStdin(p.isSet(QStringLiteral("exit-on-eof")));

    writeLine(
        QJsonDocument(QJsonObject{{QStringLiteral("ready"), true}, {QStringLiteral("devices"), network.deviceCount()}})
            .toJson(QJsonDocument::Compact));
    qCInfo(lcSim) << "running" << network.deviceCount() << "devices";
    return app.exec();
}

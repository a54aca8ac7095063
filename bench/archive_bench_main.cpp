// Export figures: 50 simulated devices read out into one archive over real sockets. The simulator runs as its own
// process on loopback addresses (127.77.0.11 and up; Linux answers the whole of 127/8 without set-up), and the
// exporter reads it exactly as meridane-ctl does. Prints the time in all, per device and the requests per device;
// no target is enforced. "--sim PATH", "--devices N", "--rounds N".
#include "ArchiveExporter.h"
#include "BenchTiming.h"
#include "CtlArchiveTransport.h"
#include "ModelTable.h"
#include "NetworkArchiveTransport.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QHostAddress>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLoggingCategory>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>

namespace {

const char* kFirstIp = "127.77.0.11";

QString argValue(const QStringList& args, const QString& name, const QString& fallback)
{
    const int i = args.indexOf(name);
    return i >= 0 && i + 1 < args.size() ? args.at(i + 1) : fallback;
}

/// The devices the simulator will run, as the registry would know them.
QVector<OnlineDeviceFacts> factsOf(const QJsonArray& devices)
{
    QVector<OnlineDeviceFacts> out;
    for (const QJsonValue& v : devices) {
        const QJsonObject d = v.toObject();
        OnlineDeviceFacts f;
        f.devId = d.value("devId").toString();
        f.name = d.value("name").toString();
        f.model = d.value("model").toString();
        f.ip = QHostAddress(d.value("ip").toString()).toIPv4Address();
        f.port = d.value("port").toInt(9990);
        f.chNumRx = d.value("chNumRx").toInt();
        f.chNumTx = d.value("chNumTx").toInt();
        f.phyChNumRx = d.value("phyChNumRx").toInt();
        f.phyChNumTx = d.value("phyChNumTx").toInt();
        f.sampleRate = d.value("sampleRate").toInt();
        f.sampleByteNum = d.value("sampleByteNum").toInt();
        f.pFrameNum = d.value("pFrameNum").toInt();
        f.dscp = d.value("dscp").toInt();
        f.delayUs = d.value("delayUs").toInt();
        const ModelTable& models = ModelTable::instance();
        f.hasDsp = models.hasDsp(f.model) && !models.isVirtualMixer(f.model);
        out.append(f);
    }
    return out;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    // One log line per request would time the terminal rather than the export.
    QLoggingCategory::setFilterRules(QStringLiteral("meridane.offline.archive*=false"));
    const QStringList args = app.arguments();
    const QString sim = argValue(args, "--sim", QCoreApplication::applicationDirPath() + "/../sim/meridane-sim");
    const QString count = argValue(args, "--devices", "50");
    const int rounds = qBound(1, argValue(args, "--rounds", "3").toInt(), 100);
    if (!QFileInfo(sim).isExecutable()) {
        std::fprintf(stderr, "no simulator at %s (give --sim PATH)\n", qPrintable(sim));
        return 1;
    }
    const QStringList simArgs = {"--devices", count, "--first-ip", kFirstIp};

    QProcess describe;
    describe.start(sim, QStringList{"--print-config"} + simArgs);
    if (!describe.waitForFinished(20000) || describe.exitCode() != 0) {
        std::fprintf(stderr, "meridane-sim --print-config failed\n");
        return 1;
    }
    const QVector<OnlineDeviceFacts> devices =
        factsOf(QJsonDocument::fromJson(describe.readAllStandardOutput()).object().value("devices").toArray());

    QProcess simulator;
    simulator.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    simulator.start(sim, simArgs);
    QByteArray ready;
    while (!ready.contains('\n') && simulator.waitForReadyRead(20000))
        ready += simulator.readAllStandardOutput();
    if (!ready.contains("\"ready\":true")) {
        std::fprintf(stderr, "meridane-sim did not get ready on %s and up: %s\n", kFirstIp, ready.constData());
        simulator.kill();
        simulator.waitForFinished();
        return 1;
    }

    QTemporaryDir dir;
    const QString path = dir.filePath("bench.odt");
    NetworkArchiveTransport network;
    CtlArchiveTransport counted(network);
    ArchiveExporter::Outcome last;
    const BenchTiming::Figure f = BenchTiming::measure(rounds, [&]() {
        ArchiveExporter exporter(counted);
        last = exporter.exportOnline(devices, ArchiveCategories::all(), path, "bench");
    });
    simulator.terminate();
    simulator.waitForFinished(5000);

    const CtlArchiveTransport::Counts c = counted.counts();
    const int n = qMax(1, devices.size());
    const int processors = ArchiveExporter::getCanUseDspDevNum(devices);
    std::printf("export of %d simulated devices (%d with a processor), %d round(s), all categories\n", devices.size(),
                processors, rounds);
    std::printf("%-32s median %9.1f ms  worst %9.1f ms\n", "whole export", f.median, f.worst);
    std::printf("%-32s median %9.2f ms  worst %9.2f ms\n", "per device", f.median / n, f.worst / n);
    std::printf("%-32s %9.1f (%d in the last round)\n", "requests per device", double(last.requests) / n,
                last.requests);
    std::printf("%-32s %d unanswered, %d refused of %d sent; %d failed steps in the last round\n", "answers",
                c.unanswered, c.refused, c.sent, last.failedSteps);
    std::printf("%-32s %lld bytes\n", "archive", static_cast<long long>(QFileInfo(path).size()));
    if (!last.ok) {
        std::fprintf(stderr, "the archive was not written: %s\n", qPrintable(last.error));
        return 1;
    }
    return c.answered > 0 ? 0 : 1;
}

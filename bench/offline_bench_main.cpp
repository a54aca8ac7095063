// Offline design figures: saving and loading a design of 200 devices with every table full (64 network and 32
// analogue channels each way, every receive channel routed, four streams per device with their receive routes,
// two processor configurations on processor models), as text and through the working file. Prints median and
// worst beside each target; exit status 1 when a median misses its target. "--rounds N" sets the timed rounds.
#include "BenchTiming.h"
#include "CDeviceDspData.h"
#include "DspDefaultConfig.h"
#include "OfflineData.h"
#include "OfflineDeviceType.h"
#include "OfflineWorkingFile.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QStringList>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int kDevices = 200;
constexpr int kNet = 64;
constexpr int kPhy = 32;
constexpr int kStreams = 4;

using BenchTiming::Figure;
using BenchTiming::measure;
using BenchTiming::report;

void build(OfflineData& data)
{
    OfflineDeviceType type;
    type.chNumRx = type.chNumTx = kNet;
    type.phyChNumRx = type.phyChNumTx = kPhy;
    type.sampleRateList = QStringList{QStringLiteral("48000"), QStringLiteral("96000")};
    type.packetTimeList = QStringList{QStringLiteral("0.125"), QStringLiteral("0.25"), QStringLiteral("1")};
    for (int i = 0; i < kDevices; ++i) {
        type.devModel = i % 2 ? QStringLiteral("MRD-A16") : QStringLiteral("MRD-P64");
        auto dev = OfflineDevice::fromType(type, data.newDeviceId(type.devModel), QStringLiteral("Device %1").arg(i));
        for (int k = 0; k < kPhy; ++k)
            dev->detail().channelData.rxPhyGainList[k] = -0.5 * k;
        if (dev->hasDsp()) {
            auto second = std::make_unique<CDeviceDspData>();
            second->parse(DspDefaultConfig::reply(kNet + kPhy, kNet + kPhy, 48000), QString(), true);
            dev->addDspConfig(QStringLiteral("Show"), std::move(second));
        }
        data.addDevice(std::move(dev));
    }
    const QStringList ids = data.deviceIds();
    for (int i = 0; i < ids.size(); ++i) {
        const QString src = ids[(i + 1) % ids.size()];
        for (int ch = 0; ch < kNet; ++ch)
            data.addRoute(ids[i], OfflineUcastRoute{src, ch, ch});
        for (int s = 0; s < kStreams; ++s) {
            OfflineMcast m{QStringLiteral("S%1-%2").arg(i).arg(s),
                           QStringLiteral("239.69.%1.%2").arg(i).arg(s),
                           5004,
                           48000,
                           8,
                           ids[i],
                           {},
                           false};
            for (int ch = 0; ch < 8; ++ch)
                m.srcChannels.append(s * 8 + ch);
            data.addMcast(m);
        }
        data.updateDevice(ids[i], [&](OfflineDevice& d) {
            for (int s = 0; s < kStreams; ++s)
                for (int ch = 0; ch < 8; ++ch)
                    d.mcastRoutes().append(OfflineMcastRoute{QStringLiteral("S%1-%2").arg(src).arg(s), src, ch,
                                                             s * 8 + ch, QStringLiteral("192.168.1.2"),
                                                             QStringLiteral("239.69.0.1"), 5004, 8, 3, 0});
        });
    }
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int at = args.indexOf(QStringLiteral("--rounds"));
    const int rounds = qMax(1, at >= 0 && at + 1 < args.size() ? args.at(at + 1).toInt() : 7);

    OfflineData data;
    QElapsedTimer t;
    t.start();
    build(data);
    std::printf("design of %d devices built in %.1f ms\n", kDevices, t.nsecsElapsed() / 1e6);

    QByteArray text;
    bool ok = report("save to text", measure(rounds, [&] { text = data.saveToText(); }), 1000);
    std::printf("  document: %.2f MiB\n", text.size() / 1048576.0);
    OfflineData loaded;
    ok &= report("load from text", measure(rounds, [&] { loaded.loadFromText(text); }), 1000);
    if (loaded.deviceCount() != kDevices || loaded.saveToText() != text) {
        std::printf("the loaded design differs from the saved one\n");
        ok = false;
    }
    QTemporaryDir dir;
    OfflineWorkingFile file(data, dir.path() + QStringLiteral("/config.dt"));
    ok &= report("save through the working file", measure(rounds, [&] { file.save(); }), 1000);
    OfflineWorkingFile back(loaded, file.path());
    ok &= report("startup read of the working file", measure(rounds, [&] { back.readAtStartup(); }), 1000);
    return ok ? 0 : 1;
}

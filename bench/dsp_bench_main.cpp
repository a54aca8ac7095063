// Configuration model figures at a large size: 64 inputs and 64 outputs with 8 blocks each, 2 AEC and 4 automixer
// channels and a full matrix. Parsing is compared with the bare JSON document parse of the same text, writing
// with the bare compact serialisation of the same object. Prints each figure beside its target; exit status 1
// when a target is missed. "--rounds N" sets the timed rounds (median taken).
#include "CDeviceDspData.h"
#include "DspBlockFactory.h"
#include "DspDefaultConfig.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

const int kChannels = 64;
const int kBlocksPerChannel = 8;
const QString kFirmware = QStringLiteral("3.2.0");

// Every kind in turn, so that all block readers and writers take part.
void fillChains(CDeviceDspData& data)
{
    int kind = 0;
    auto fill = [&kind](CChainChannel* ch) {
        for (int b = 0; b < kBlocksPerChannel; ++b) {
            CBaseItem* item = DspBlockFactory::create(kind);
            item->setGroupId(b % 3 == 0 ? 1 : -1);
            ch->appendBlock(item);
            kind = (kind + 1) % CBaseItem::KindCount;
        }
    };
    for (CInputChannel* ch : data.inputs())
        fill(ch);
    for (COutputChannel* ch : data.outputs())
        fill(ch);
    for (int i = 0; i < 2; ++i)
        data.aecChannels().append(new DspAecChannel(kChannels));
    for (int i = 0; i < 4; ++i) {
        auto* m = new DspAutomixerChannel;
        m->maskArr() = QVector<quint64>(4, 0xFFFFull << i);
        data.automixerChannels().append(m);
    }
    data.fitMatrix();
    for (int c = 0; c < data.matrix()->columns(); ++c)
        for (int r = 0; r < data.matrix()->rows(); ++r)
            data.matrix()->setCell(c, r, ((c + r) % 97 - 48) * 0.25, (c + r) % 2 == 0);
}

double medianMs(int rounds, const std::function<void()>& work)
{
    std::vector<double> times;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer t;
        t.start();
        work();
        times.push_back(t.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

bool report(const char* what, double ms, double baseMs, double targetRatio)
{
    const double ratio = baseMs > 0 ? ms / baseMs : 0;
    const bool ok = ratio <= targetRatio;
    std::printf("%-34s %9.3f ms  bare %9.3f ms  ratio %5.2f  target <= %.1f  %s\n", what, ms, baseMs, ratio,
                targetRatio, ok ? "ok" : "MISSED");
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    int rounds = 21;
    const QStringList args = app.arguments();
    const int at = args.indexOf(QStringLiteral("--rounds"));
    if (at >= 0 && at + 1 < args.size())
        rounds = qMax(1, args.at(at + 1).toInt());

    CDeviceDspData source;
    source.info().chNumIn = kChannels;
    source.info().chNumOut = kChannels;
    source.parse(DspDefaultConfig::reply(kChannels, kChannels, 48000), kFirmware);
    fillChains(source);
    const QJsonObject config = source.writeConfig(kFirmware);
    const QJsonObject replyObj{{QStringLiteral("ops"), QStringLiteral("getConfig")},
                               {QStringLiteral("result"), QStringLiteral("succ")},
                               {QStringLiteral("config"), config}};
    const QString text = QString::fromUtf8(QJsonDocument(replyObj).toJson(QJsonDocument::Compact));
    std::printf("configuration: %d inputs, %d outputs, %d blocks per channel, %d KiB of text, %d rounds\n", kChannels,
                kChannels, kBlocksPerChannel, int(text.toUtf8().size() / 1024), rounds);

    CDeviceDspData target;
    target.info() = source.info();
    volatile int sink = 0;
    const double bareParse = medianMs(rounds, [&] {
        const QJsonDocument doc = QJsonDocument::fromJson(text.toUtf8());
        sink = sink + doc.object().size();
    });
    const double parse = medianMs(rounds, [&] {
        target.parse(text, kFirmware);
        sink = sink + target.inputs().size();
    });
    if (target.inputs().size() != kChannels || target.inputs().at(0)->blocks().size() != kBlocksPerChannel) {
        std::printf("parse lost data\n");
        return 2;
    }

    const double bareWrite =
        medianMs(rounds, [&] { sink = sink + QJsonDocument(config).toJson(QJsonDocument::Compact).size(); });
    const double write = medianMs(rounds, [&] { sink = sink + target.writeConfigText(kFirmware).size(); });
    if (target.writeConfigText(kFirmware) != QJsonDocument(config).toJson(QJsonDocument::Compact)) {
        std::printf("write differs from the JSON document's text\n");
        return 2;
    }
    // For reference: the model written as a JSON object (what callers that edit the object get).
    const double writeObject = medianMs(rounds, [&] { sink = sink + target.writeConfig(kFirmware).size(); });

    bool ok = report("parse (text to model)", parse, bareParse, 2.0);
    ok = report("write (model to compact text)", write, bareWrite, 2.0) && ok;
    std::printf("%-34s %9.3f ms  (no target)\n", "write (model to JSON object)", writeObject);
    return ok ? 0 : 1;
}

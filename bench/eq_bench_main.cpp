// Equaliser editor figures: a channel with 31 bands and 8th-order high-pass and low-pass filters. The magnitude
// curve computed and handed to the chart, the phase curve, and one drag step through the real editor (model,
// controls, curve, request). Prints median and worst beside each target; exit status 1 when a median misses its
// target. "--rounds N" sets the timed rounds.
#include "CDeviceDspData.h"
#include "CEqBlockItem.h"
#include "CHlpfItem.h"
#include "DspBlockFactory.h"
#include "DspDefaultConfig.h"
#include "DspEqChartView.h"
#include "DspEqHlpBlockForm.h"
#include "EqResponse.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QStringList>
#include <QtCharts/QLineSeries>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int kBands = 31;

struct Figure
{
    double median = 0;
    double worst = 0;
};

Figure measure(int rounds, const std::function<void(int)>& work)
{
    std::vector<double> times;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer t;
        t.start();
        work(i);
        times.push_back(t.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return {times[times.size() / 2], times.back()};
}

bool report(const char* what, const Figure& f, double targetMs)
{
    const bool ok = f.median < targetMs;
    std::printf("%-44s median %8.3f ms  worst %8.3f ms  target < %5.1f ms  %s\n", what, f.median, f.worst, targetMs,
                ok ? "ok" : "MISSED");
    return ok;
}

CHlpfItem* addFilter(CChainChannel* ch, bool highPass, double hz)
{
    auto* f = static_cast<CHlpfItem*>(DspBlockFactory::create(CBaseItem::KindHlpf));
    f->setIsHpf(highPass);
    f->setType(0);
    f->setOrder(8);
    f->setFreq0(hz);
    ch->appendBlock(f);
    return f;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int rounds = 200;
    const QStringList args = app.arguments();
    const int at = args.indexOf(QStringLiteral("--rounds"));
    if (at >= 0 && at + 1 < args.size())
        rounds = qMax(1, args.at(at + 1).toInt());

    CDeviceDspData data;
    data.parse(DspDefaultConfig::reply(2, 2, 48000), QStringLiteral("3.2.0"));
    CChainChannel* ch = data.input(0);
    const CHlpfItem* hpf = addFilter(ch, true, 40);
    auto* eq = new CEqBlockItem(kBands);
    for (int i = 0; i < kBands; ++i) {
        eq->band(i)->setDbGain((i % 7) - 3);
        eq->band(i)->setType(i == 0 ? 1 : i == kBands - 1 ? 2 : 0);
    }
    ch->appendBlock(eq);
    const CHlpfItem* lpf = addFilter(ch, false, 18000);

    DspEqHlpBlockForm form(&data, true, 0, 1);
    form.show();
    QApplication::processEvents();
    std::printf("channel: %d bands, 8th-order high-pass and low-pass, %d magnitude and %d phase points, %d rounds\n",
                kBands, int(EqResponse::magnitudeGrid().size()), int(EqResponse::phaseGrid().size()), rounds);

    volatile int sink = 0;
    DspEqChartView* magnitude = form.magnitudeChart();
    const Figure curve = measure(rounds, [&](int) {
        magnitude->setCurve(EqResponse::magnitudeCurve(EqResponse::sections(eq, hpf, lpf)));
        sink = sink + magnitude->curve()->count();
    });
    DspEqChartView* phase = form.phaseChart();
    const Figure phaseCurve = measure(rounds, [&](int) {
        phase->setCurve(EqResponse::phaseCurve(EqResponse::sections(eq, hpf, lpf)));
        sink = sink + phase->curve()->count();
    });

    int requests = 0;
    QObject::connect(&form, &DspBlockBaseForm::signal_sendMsg, [&](const QString&) { ++requests; });
    const Figure drag = measure(rounds, [&](int i) { form.slot_eqDragMoved(300 + i % 400, 100 + i % 150, 16); });
    // With the phase graph open, each step redraws it too.
    form.findChild<QAbstractButton*>(QStringLiteral("pb_phase"))->click();
    const Figure dragPhase = measure(rounds, [&](int i) { form.slot_eqDragMoved(300 + i % 400, 100 + i % 150, 16); });
    if (requests != 2 * rounds) {
        std::printf("the drag sent %d requests in %d steps\n", requests, 2 * rounds);
        return 2;
    }

    bool ok = report("magnitude curve computed and handed over", curve, 2);
    ok = report("phase curve computed and handed over", phaseCurve, 20) && ok;
    ok = report("drag step (model, controls, curve, request)", drag, 16) && ok;
    ok = report("drag step with the phase graph shown", dragPhase, 16) && ok;
    return ok ? 0 : 1;
}

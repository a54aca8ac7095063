// FIR editor figures: the preview designed and its response computed (the editor's graph refresh) at common and
// the longest lengths, and coefficient files read, including the largest refused one. Prints median and worst
// beside each target; exit status 1 when a median misses its target. "--rounds N" sets the timed rounds.
#include "BenchTiming.h"
#include "FirCoefficientReader.h"
#include "FirDesign.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

using BenchTiming::Figure;
using BenchTiming::measure;
using BenchTiming::report;

QByteArray numberLines(int count)
{
    QByteArray out;
    for (int i = 0; i < count; ++i)
        out += QByteArray::number(0.000123456789 * (i % 97), 'g', 10) + ",\n";
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int at = args.indexOf(QStringLiteral("--rounds"));
    const int rounds = at >= 0 && at + 1 < args.size() ? qMax(1, args.at(at + 1).toInt()) : 20;
    volatile double sink = 0;
    bool ok = true;

    // A graph refresh must fit in one frame (16 ms) for the usual lengths, and stay short at the longest.
    for (int taps : {127, 511}) {
        const QByteArray name = "design + response, Kaiser band-pass, " + QByteArray::number(taps) + " taps";
        ok &= report(name.constData(),
                     measure(rounds,
                             [&] {
                                 const QVector<double> h = FirDesign::design(2, FirDesign::Kaiser, taps, 300, 3400, 60);
                                 sink = sink + FirDesign::response(h).last().y();
                             }),
                     16);
    }
    ok &= report("design + response, 8192 taps (longest)",
                 measure(qMin(rounds, 5),
                         [&] {
                             const QVector<double> h =
                                 FirDesign::design(0, FirDesign::Hamming, FirDesign::kMaxTaps, 0, 1000, 21);
                             sink = sink + FirDesign::response(h).last().y();
                         }),
                 250);

    const QByteArray file512 = numberLines(512);
    ok &= report("read 512 coefficients",
                 measure(rounds, [&] { sink = sink + FirCoefficientReader::read(file512, 512).values.size(); }), 5);
    const QByteArray matlab = "h = [" + numberLines(8192).replace('\n', ' ') + "];";
    ok &= report("read 8192 coefficients, assignment layout",
                 measure(rounds, [&] { sink = sink + FirCoefficientReader::read(matlab, 8192).values.size(); }), 50);
    // The worst a user can hand over: a file just under the size bound that no layout accepts.
    QByteArray garbage(int(FirCoefficientReader::kMaxBytes), '1');
    for (int i = 7; i < garbage.size(); i += 13)
        garbage[i] = ' ';
    garbage[garbage.size() - 2] = 'x';
    ok &= report("refuse 4 MiB of numbers ending in garbage",
                 measure(qMin(rounds, 5), [&] { sink = sink + int(FirCoefficientReader::read(garbage, 512).status); }),
                 500);
    return ok ? 0 : 1;
}

// Factory configuration figures at the bounds of what may be typed: the largest layout (512 x 512) with every
// crosspoint command the bounds allow, a text of the largest size, chains filled to the block limit, and a typo
// that names a channel far out of range. Each case is parsed, built, written as the request and previewed, as the
// dialog does on "set as default". Prints median and worst beside each target, the request size and the resident
// memory; exit status 1 when a target is missed. "--rounds N" sets the repetitions.
#include "CDeviceDspData.h"
#include "DspCommandParser.h"
#include "DspFactoryConfig.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

long residentKb()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

struct Case
{
    const char* name;
    int inputs;
    int outputs;
    QString commands;
    bool accepted;
    double targetMs;
};

QString repeated(const QString& line, int times)
{
    QStringList lines;
    for (int i = 0; i < times; ++i)
        lines.append(line);
    return lines.join(QLatin1Char('\n'));
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    int rounds = 5;
    const QStringList args = app.arguments();
    const int at = args.indexOf(QStringLiteral("--rounds"));
    if (at >= 0 && at + 1 < args.size())
        rounds = std::max(1, args.at(at + 1).toInt());

    const int full = DspFactoryConfig::MaxChannels;
    // Four whole matrices use up the crosspoint bound; the rest of the commands are the cheapest kind.
    const QString crosspoints = repeated(QStringLiteral("matrix#*#*#-6"), 4) + QLatin1Char('\n') +
                                repeated(QStringLiteral("gainShared#*"), DspCommandParser::MaxCommands - 4);
    // 16 commands of 512 delays reach the 8192-block bound; the 17th is refused at its first block.
    const QString blocks = repeated(QStringLiteral("proc#in#*#delay"), 8) + QLatin1Char('\n') +
                           repeated(QStringLiteral("proc#out#*#delay"), 8);
    const QString tooManyBlocks = blocks + QStringLiteral("\nproc#in#1#eq");
    // The longest text: commands padded with spaces, as many lines as fit the character bound.
    const QString line = QStringLiteral("core#in#1-512#1") + QString(100, QLatin1Char(' '));
    const QString longest =
        repeated(line, std::min(DspCommandParser::MaxCommands, DspCommandParser::MaxTextLength / (line.size() + 1)));
    const Case cases[] = {
        {"plain 512 x 512", full, full, QString(), true, 1000},
        {"512 x 512, 2^20 crosspoints", full, full, crosspoints, true, 2000},
        {"512 x 512, 8192 delays", full, full, blocks, true, 2000},
        {"8193rd block refused", full, full, tooManyBlocks, false, 2000},
        {"64 KiB of commands", full, full, longest, true, 1000},
        {"typo 1-99999999", full, full, QStringLiteral("proc#in#1-99999999#eq"), false, 5},
        {"text of 1 MiB refused", full, full, QString(1 << 20, QLatin1Char('x')), false, 50},
    };

    bool allOk = true;
    for (const Case& c : cases) {
        std::vector<double> times;
        qint64 requestBytes = 0;
        bool accepted = false;
        for (int r = 0; r < rounds; ++r) {
            QElapsedTimer t;
            t.start();
            const DspFactoryConfig::Result built =
                DspFactoryConfig::build({c.inputs, c.outputs, 48000, c.commands}, false);
            accepted = built.ok();
            if (accepted) {
                requestBytes = DspFactoryConfig::requestText(*built.data).size();
                DspFactoryConfig::inputPreview(*built.data, false);
                DspFactoryConfig::outputPreview(*built.data, false);
            }
            times.push_back(t.nsecsElapsed() / 1e6);
        }
        std::sort(times.begin(), times.end());
        const double median = times[times.size() / 2];
        const bool ok = accepted == c.accepted && median < c.targetMs;
        allOk = allOk && ok;
        std::printf("%-32s %-8s median %8.1f ms  worst %8.1f ms  target < %6.0f ms  request %8.1f KiB  %s\n", c.name,
                    accepted ? "built" : "refused", median, times.back(), c.targetMs, requestBytes / 1024.0,
                    ok ? "ok" : "MISSED");
    }
    std::printf("resident memory after all cases: %ld KiB\n", residentKb());
    return allOk ? 0 : 1;
}

#include "CtlArchiveLoad.h"

#include "ArchiveAssignment.h"
#include "ArchiveLoadPreview.h"
#include "ArchiveLoader.h"
#include "CtlArchiveSession.h"
#include "CtlArchiveText.h"
#include "CtlArchiveTransport.h"
#include "CtlDesign.h"
#include "CtlExit.h"
#include "CtlNetwork.h"
#include "CtlOptions.h"
#include "CtlOutput.h"
#include "NetworkArchiveTransport.h"
#include "OfflineData.h"

#include <algorithm>

namespace {

void writeLines(const QStringList& lines)
{
    if (!lines.isEmpty())
        CtlOutput::write((lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8());
}

void progressLine(const QString& text, int done, int total)
{
    CtlOutput::progress(text, done, total);
}

} // namespace

int CtlArchiveLoad::run(CtlNetwork& net, const CtlOptions& o)
{
    OfflineData data;
    QString error;
    if (!CtlDesign::load(o.args.at(0), &data, &error)) {
        CtlOutput::fail(error);
        return CtlExit::kUsage;
    }
    const std::vector<OfflineDevice> archive = data.devices();
    if (archive.empty()) {
        CtlOutput::fail(QStringLiteral("%1 holds no device").arg(o.args.at(0)));
        return CtlExit::kUsage;
    }
    ArchiveCategories categories;
    ArchiveCategories::parse(o.categories.isEmpty() ? QStringLiteral("all") : o.categories, &categories, &error);

    CtlArchiveSession session(net, o);
    const QVector<OnlineDeviceFacts> online = session.settle({});
    QStringList log;
    QVector<ArchiveAssignment::Pair> pairs = ArchiveAssignment::automatic(archive, online, &log);
    for (const QString& line : log)
        CtlOutput::error(line.toUtf8());
    if (!o.assign.isEmpty() && !ArchiveAssignment::applyText(o.assign, archive, online, &pairs, &error)) {
        CtlOutput::fail(error);
        return CtlExit::kUnknown;
    }
    writeLines(CtlArchiveText::assignment(archive, online, pairs, o.json));
    const bool anyAssigned = std::any_of(pairs.cbegin(), pairs.cend(),
                                         [](const ArchiveAssignment::Pair& p) { return !p.onlineDevId.isEmpty(); });
    if (!anyAssigned) {
        CtlOutput::fail(QStringLiteral("no archive device has an online device to load onto"));
        return CtlExit::kUnknown;
    }

    // The preview only reads: its transport refuses anything else before it leaves.
    NetworkArchiveTransport network;
    CtlArchiveTransport reader(network, true);
    QVector<ArchiveLoadPreview::Entry> entries;
    session.runOnWorker([&]() {
        entries =
            ArchiveLoadPreview::prepare(archive, online, pairs, categories, reader, session.cancel(), progressLine);
    });
    writeLines(CtlArchiveText::preview(entries, o.json, o.chinese));
    if (reader.counts().blocked > 0)
        CtlOutput::fail(QStringLiteral("the preview kept back %1 change requests").arg(reader.counts().blocked));
    if (session.cancel()->load()) {
        CtlOutput::fail(QStringLiteral("cancelled before any change was sent"));
        return CtlExit::kRefused;
    }
    if (o.dryRun)
        return CtlExit::kOk;

    CtlArchiveTransport sender(network);
    ArchiveLoader loader(sender);
    const QVector<ArchiveLoader::DevicePlan> plans = ArchiveLoadPreview::plans(entries);
    ArchiveLoader::Outcome outcome;
    session.runOnWorker([&]() { outcome = loader.run(plans, session.cancel(), progressLine); });
    writeLines(CtlArchiveText::steps(plans, outcome, o.json));
    CtlOutput::write((CtlArchiveText::loadSummary(outcome, o.json) + QLatin1Char('\n')).toUtf8());
    return outcome.exitCode();
}

// Prints how long the levels page takes to build its rows (in total and its longest single step, during which
// the window is frozen) and to apply level replies for a large device.
// A figure program, not a test: run it by hand (offscreen, no network).
#include "AppState.h"
#include "DevDetailStore.h"
#include "channelVoice.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

namespace {

QString levelReply(const QString& devId, const QString& ops, int inOrOut, int idStart, int count, int total, int round)
{
    QJsonArray arr;
    for (int i = 0; i < count; ++i)
        arr.append(QString::number(-60.0 + ((i + round) % 50), 'f', 1));
    const QJsonObject o{{QStringLiteral("ops"), ops},
                        {QStringLiteral("devId"), devId},
                        {QStringLiteral("inOrOut"), QString::number(inOrOut)},
                        {QStringLiteral("idStart"), QString::number(idStart)},
                        {QStringLiteral("idNext"), QString::number(qMin(idStart + count, total))},
                        {QStringLiteral("arr"), arr},
                        {QStringLiteral("result"), QStringLiteral("succ")}};
    return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact));
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    AppState::setMode(AppState::kOfflineMode); // no polling thread: only the page's own work is timed
    QTextStream out(stdout);

    for (const int phy : {64, 256}) {
        const int net = phy == 64 ? 128 : 1536;
        const QString devId = QStringLiteral("MRD-BENCH-%1").arg(phy);
        DevDetail_t d;
        d.devId = devId;
        d.name = devId;
        d.ip = 0x7F000001 + uint32_t(phy);
        d.port = 9990;
        d.model = QStringLiteral("MRD-A16");
        d.phyRxChNames = DevDetail_t::numberedNames(QStringLiteral("AnalogIn"), phy);
        d.phyTxChNames = DevDetail_t::numberedNames(QStringLiteral("AnalogOut"), phy);
        d.rxChNames = DevDetail_t::numberedNames(QStringLiteral("NetIn"), net);
        d.txChNames = DevDetail_t::numberedNames(QStringLiteral("NetOut"), net);
        DevDetailStore::instance().insertDevDetail(d);

        // Building: the constructor, the first show and every later pass of the event loop are steps; the
        // longest of them is how long the window stays frozen at a time.
        QElapsedTimer total;
        total.start();
        QElapsedTimer step;
        step.start();
        channelVoice page(devId);
        if (page.rowCount(channelVoice::NetIn) != net)
            return 1;
        qint64 longest = step.elapsed();
        int steps = 1;
        step.restart();
        page.resize(1000, 700);
        page.show();
        app.processEvents();
        longest = qMax(longest, step.elapsed());
        ++steps;
        while (!page.rowsComplete()) {
            step.restart();
            app.processEvents();
            longest = qMax(longest, step.elapsed());
            ++steps;
        }
        step.restart();
        app.processEvents(); // the last layout and paint
        longest = qMax(longest, step.elapsed());
        const qint64 buildMs = total.elapsed();
        // Showing the page again re-reads names, gains and mutes into every row: one step.
        page.hide();
        app.processEvents();
        step.restart();
        page.show();
        app.processEvents();
        const qint64 reshowMs = step.elapsed();
        QElapsedTimer t;
        // One polling round: every side, in pages of 64 channels, 20 rounds.
        const int rounds = 20;
        int replies = 0;
        t.restart();
        for (int r = 0; r < rounds; ++r) {
            for (int side = 0; side < 2; ++side) {
                for (int s = 0; s < phy; s += 64, ++replies)
                    page.recvBackData(levelReply(devId, QStringLiteral("getAllPhyLevel"), side, s, 64, phy, r));
                for (int s = 0; s < net; s += 64, ++replies)
                    page.recvBackData(levelReply(devId, QStringLiteral("getAllNetLevel"), side, s, 64, net, r));
            }
            app.processEvents();
        }
        const double perRoundMs = double(t.elapsed()) / rounds;
        out << "channels per side " << phy << " physical + " << net << " network: rows built and shown in " << buildMs
            << " ms over " << steps << " steps, longest step " << longest << " ms; shown again in " << reshowMs
            << " ms; one round of " << replies / rounds << " level replies applied and painted in " << perRoundMs
            << " ms\n";
        out.flush();
    }
    return 0;
}

// Routing matrix figures at full scale: 1024 devices of 64 transmit and 64 receive channels, every receive
// channel routed. Prints each figure beside its target; exit status 1 when a target is missed.
#include "CellRouteForm.h"
#include "DevDetailStore.h"
#include "DevManager.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {
const int kDevs = 1024;
const int kCh = 64;

QString devIdOf(int d)
{
    return QStringLiteral("MRD-%1").arg(d, 4, 10, QLatin1Char('0'));
}

void fillRegistry()
{
    dvm_resetForTest();
    DevDetailStore::instance().clear();
    for (int d = 0; d < kDevs; ++d) {
        const QString ip = QStringLiteral("10.0.%1.%2").arg(d / 200).arg(d % 200 + 10);
        const QJsonObject o{{"ops", "iAmVeranto"},
                            {"devId", devIdOf(d)},
                            {"name", QStringLiteral("Box %1").arg(d)},
                            {"ip", ip},
                            {"port", "9990"},
                            {"chNumRx", QString::number(kCh)},
                            {"chNumTx", QString::number(kCh)},
                            {"ucastNumRx", "8"},
                            {"ucastNumTx", "8"},
                            {"mcastNumRx", "8"},
                            {"mcastNumTx", "8"},
                            {"sampleRate", "48000"},
                            {"sampleByteNum", "3"},
                            {"pFrameNum", "48"},
                            {"delayUs", "1000"},
                            {"myClkId", "00-1D-C1-FF-FE-00-00-0B"},
                            {"model", "MRD-A16"},
                            {"canWork", "1"}};
        const QByteArray msg = QJsonDocument(o).toJson(QJsonDocument::Compact);
        userCallLib_handleUdp_mcast(msg.constData(), msg.size(), dvm_parseIp(ip), 9996);
    }
    // Tables filled in place, as the registry's own tests do: device d hears device d+1 on every channel.
    for (int d = 0; d < kDevs; ++d) {
        DevRecord* rec = findDevById(devIdOf(d).toUtf8().constData());
        if (rec == nullptr)
            continue;
        const QByteArray src = devIdOf((d + 1) % kDevs).toUtf8();
        for (int c = 0; c < kCh; ++c) {
            rec->tables.setRxChMap(c, c);
            std::memset(rec->tables.rtpCh[c].srcDevId, 0, DVM_NAME_LEN);
            std::memcpy(rec->tables.rtpCh[c].srcDevId, src.constData(), static_cast<size_t>(src.size()));
            rec->tables.rtpCh[c].setSrcChId(c);
        }
        DevDetailStore::instance().addFromRegistry(devIdOf(d));
    }
}

long rssKb()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

template <typename Fn> double medianMs(int runs, Fn fn)
{
    std::vector<double> t;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        fn(i);
        t.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(t.begin(), t.end());
    return t[t.size() / 2];
}

bool report(const char* what, double value, double target, const char* unit)
{
    const bool ok = value < target;
    std::printf("%-34s %10.4f %s   target < %.0f %s   %s\n", what, value, unit, target, unit, ok ? "ok" : "MISSED");
    return ok;
}
} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    fillRegistry();
    const long rssBefore = rssKb();

    CellRouteForm form;
    form.resize(1400, 900);
    form.show();
    app.processEvents();
    std::printf("matrix: %d rows x %d columns (%lld cells), window %d x %d\n", form.rowCount(), form.columnCount(),
                static_cast<long long>(form.rowCount()) * form.columnCount(), form.window().rows, form.window().cols);

    bool ok = true;
    ok &= report("rebuild (resetData)", medianMs(7, [&](int) { form.resetData(); }), 50, "ms");
    ok &= report("route refresh (refreshRoute)", medianMs(7, [&](int) { form.refreshRoute(); }), 50, "ms");
    form.scrollToRow(form.rowCount() / 2);
    form.scrollToColumn(form.columnCount() / 2);
    ok &= report("window refresh", medianMs(51, [&](int) { form.refreshWindow(); }), 5, "ms");
    ok &= report("scroll to a new block",
                 medianMs(51, [&](int i) { form.scrollToRow(form.rowCount() / 2 + 10 * (i % 2 + 1)); }), 5, "ms");
    const int s = form.cellSize();
    const int x0 = form.window().col0 * s + 3;
    const int y0 = form.window().row0 * s + 3;
    ok &= report("hover",
                 medianMs(501, [&](int i) { form.slot_cellSceneMouseMoved(x0 + (i % 40) * s, y0 + (i % 30) * s); }), 1,
                 "ms");
    // A 4K view spread over two screens keeps a window as large as what it shows.
    form.resize(3840, 2160);
    app.processEvents();
    form.scrollToRow(form.rowCount() / 2);
    form.scrollToColumn(form.columnCount() / 2);
    std::printf("large view: window %d x %d\n", form.window().rows, form.window().cols);
    ok &= report("window refresh, 3840 x 2160 view", medianMs(21, [&](int) { form.refreshWindow(); }), 5, "ms");
    ok &= report("scroll to a new block, large view",
                 medianMs(21, [&](int i) { form.scrollToRow(form.rowCount() / 2 + 10 * (i % 2 + 1)); }), 5, "ms");
    form.resize(1400, 900);
    app.processEvents();
    form.scrollToRow(0);
    form.scrollToColumn(0);
    // The same with the repaint it causes (the whole visible window is redrawn).
    const double painted = medianMs(101, [&](int i) {
        form.slot_cellSceneMouseMoved(x0 + (i % 40) * s, y0 + (i % 30) * s);
        app.processEvents();
    });
    std::printf("%-34s %10.4f ms   (for information)\n", "hover with repaint", painted);
    app.processEvents();
    const long rssAfter = rssKb();
    ok &= report("resident memory of the view", static_cast<double>(rssAfter - rssBefore) / 1024.0, 100, "MB");
    const int row = form.rows().indexOf(devIdOf(1), 1);
    const int col = form.columns().indexOf(devIdOf(0), 1);
    form.scrollToRow(row);
    form.scrollToColumn(col);
    const bool routed = form.cellTag(row, col, 2) == QLatin1String("checked") &&
                        form.cellTag(row + 1, col, 2).isEmpty() && form.cellTag(row + 1, col + 1, 2) == "checked";
    std::printf("route marks present: %s\n", routed ? "yes" : "NO");
    return ok && routed ? 0 : 1;
}

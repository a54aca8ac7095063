// Not part of the test run: draws the matrix of a small network with routes into screenshots/matrix.png and
// fails when a routed cell is not drawn with its mark.
#include "CellRouteForm.h"
#include "DevDetailStore.h"
#include "RegistryFeed.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPixmap>
#include <cstdio>
#include <cstring>

namespace {
void announceDev(int i, int ch)
{
    const QString devId = QStringLiteral("MRD-%1").arg(i, 4, 10, QLatin1Char('0'));
    regfeed::announce(
        devId, QStringLiteral("Stagebox %1").arg(i + 1), QStringLiteral("192.168.1.%1").arg(10 + i),
        QJsonObject{{"chNumTx", QString::number(ch)}, {"chNumRx", QString::number(ch)}, {"mcastNumRx", "4"}});
    DevDetailStore::instance().addFromRegistry(devId);
}

void route(int rx, int dstCh, int tx, int srcCh)
{
    DevTables& t = findDevById(QStringLiteral("MRD-%1").arg(rx, 4, 10, QLatin1Char('0')).toUtf8().constData())->tables;
    const int rtp = dstCh;
    t.setRxChMap(dstCh, rtp);
    std::snprintf(t.rtpCh[rtp].srcDevId, DVM_NAME_LEN, "MRD-%04d", tx);
    t.rtpCh[rtp].setSrcChId(srcCh);
}
} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    dvm_resetForTest();
    for (int i = 0; i < 5; ++i)
        announceDev(i, 8);
    regfeed::sapStream("192.168.1.10", "Program", "239.69.1.1");
    for (int c = 0; c < 8; ++c)
        route(1, c, 0, c); // box 1 -> box 2, one to one
    route(2, 0, 3, 5);
    route(2, 1, 3, 6);
    route(4, 7, 2, 0);
    DevTables& t = findDevById("MRD-0003")->tables; // stream channel 2 -> box 4 in 3
    t.setRxChMap(2, 40);
    t.rtpCh[40].setSrcChId(1);
    t.mcastRx[0].stream.dstIp = dvm_parseIp("239.69.1.1");
    t.mcastRx[0].setRtpChId(0, 40);

    CellRouteForm form;
    form.resize(900, 680);
    form.show();
    const int s = form.cellSize();
    form.slot_cellSceneMousePressed(form.columns().headerOf("MRD-0001") * s + 1,
                                    form.rows().headerOf("MRD-0000") * s + 1);
    const int hoverRow = form.rows().indexOf("MRD-0003", 6);
    const int hoverCol = form.columns().indexOf("MRD-0002", 1);
    form.slot_cellSceneMouseMoved(hoverCol * s + 2, hoverRow * s + 2);
    app.processEvents();

    QDir().mkpath(MERIDANE_SCREENSHOT_DIR);
    const QString path = QStringLiteral(MERIDANE_SCREENSHOT_DIR "/matrix.png");
    const QPixmap shot = form.grab();
    if (!shot.save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return 1;
    }
    std::printf("%s\n", qPrintable(path));
    if (form.cellTag(form.rows().indexOf("MRD-0000", 3), form.columns().indexOf("MRD-0001", 3), 2) != "checked")
        return 2;

    // A portrait screen full of routes, one device being identified: every visible cell must be drawn.
    for (int i = 5; i < 12; ++i) {
        announceDev(i, 16);
        for (int c = 0; c < 16; ++c)
            route(i - 1, c % 8 + (i - 1 < 5 ? 0 : 8 * (c / 8)), i, c);
    }
    form.resetData();
    form.resize(1080, 1920);
    form.setDeviceBlinking(QStringLiteral("MRD-0002"), true);
    app.processEvents();
    const QString portrait = QStringLiteral(MERIDANE_SCREENSHOT_DIR "/matrix-portrait.png");
    const QImage big = form.grab().toImage();
    if (!big.save(portrait))
        return 1;
    std::printf("%s (%d x %d cells drawn)\n", qPrintable(portrait), form.window().rows, form.window().cols);
    // The bottom right corner of the grid is a drawn cell, not the empty background.
    return big.pixelColor(big.width() - 3, big.height() - 3) != QColor(0x1A, 0x1B, 0x1F) ? 0 : 3;
}

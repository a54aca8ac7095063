// Not part of the test run: renders the routing matrix, the clock view and the stream view into screenshots/
// for a look by eye. Runs offscreen against this process's registry and detail store only.
#include "CellRouteForm.h"
#include "Clock.h"
#include "ClockForm.h"
#include "DevDetailStore.h"
#include "RegistryFeed.h"
#include "stream.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <cstdio>

using namespace regfeed;

namespace {

bool save(QWidget& w, const char* file)
{
    QCoreApplication::processEvents();
    const QString path = QStringLiteral(MERIDANE_SCREENSHOT_DIR "/") + file;
    const bool ok = w.grab().save(path);
    std::printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(path));
    return ok;
}

void add(const QString& devId, const QString& name, const QString& ip, const QJsonObject& extra)
{
    announce(devId, name, ip, extra);
    DevDetailStore::instance().addFromRegistry(devId);
}

QString box(int i)
{
    return QStringLiteral("MRD-%1").arg(i, 4, 10, QLatin1Char('0'));
}

void addBox(int i, int ch)
{
    add(box(i), QStringLiteral("Stagebox %1").arg(i + 1), QStringLiteral("192.168.1.%1").arg(10 + i),
        QJsonObject{{"chNumTx", QString::number(ch)}, {"chNumRx", QString::number(ch)}, {"mcastNumRx", "4"}});
}

void route(int rx, int dstCh, int tx, int srcCh)
{
    DevTables& t = findDevById(box(rx).toUtf8().constData())->tables;
    t.setRxChMap(dstCh, dstCh);
    std::snprintf(t.rtpCh[dstCh].srcDevId, DVM_NAME_LEN, "%s", box(tx).toUtf8().constData());
    t.rtpCh[dstCh].setSrcChId(srcCh);
}

/// A small network with routes, one pair expanded and a cell hovered; then a portrait screen full of routes with
/// one device being identified.
bool shootMatrix()
{
    for (int i = 0; i < 5; ++i)
        addBox(i, 8);
    sapStream("192.168.1.10", "Program", "239.69.1.1");
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
    form.slot_cellSceneMouseMoved(form.columns().indexOf("MRD-0002", 1) * s + 2,
                                  form.rows().indexOf("MRD-0003", 6) * s + 2);
    bool ok = save(form, "matrix.png");

    for (int i = 5; i < 12; ++i) {
        addBox(i, 16);
        for (int c = 0; c < 16; ++c)
            route(i - 1, c % 8 + (i - 1 < 5 ? 0 : 8 * (c / 8)), i, c);
    }
    form.resetData();
    form.resize(1080, 1920);
    form.setDeviceBlinking(QStringLiteral("MRD-0002"), true);
    return save(form, "matrix-portrait.png") && ok;
}

/// Six devices of every clock role, priority kind and model, and one device's event log.
bool shootClock()
{
    const QString gm = QStringLiteral("00-1D-C1-FF-FE-00-00-0A");
    add("MRD-A16-0001", "Stage left", "10.9.0.10", QJsonObject{{"myClkId", gm}, {"gmClkId", gm}, {"ucastNumTx", "1"}});
    add("MRD-A16-0002", "Stage right", "10.9.0.11", QJsonObject{{"ucastNumRx", "1"}, {"gmClkId", gm}});
    add("MRD-P64-0003", "Processor", "10.9.0.12",
        QJsonObject{{"model", "MRD-P64"}, {"mcastNumRx", "1"}, {"gmClkId", gm}});
    add("MRN-3-0004", "Bridge", "10.9.0.13", QJsonObject{{"model", "MRN-3"}, {"gmClkId", gm}});
    add("MRV-VSC-0005", "Studio PC", "10.9.0.14", QJsonObject{{"model", "MRV-VSC"}, {"mcastNumTx", "1"}});
    add("MRA-4-0006", "Amplifier", "10.9.0.15", QJsonObject{{"model", "MRA-4"}, {"gmClkId", gm}});
    tablePage("10.9.0.10", "getAllUcastTx", 0, 1, QJsonArray{txEntry(0, sdp("10.9.0.10", "10.9.0.11", 8), 8)});
    tablePage("10.9.0.11", "getAllUcastRx", 0, 1, QJsonArray{rxEntry(0, sdp("10.9.0.10", "10.9.0.11", 8), 8)});
    tablePage("10.9.0.12", "getAllMcastRx", 0, 1, QJsonArray{rxEntry(0, sdp("10.9.0.14", "239.69.1.1", 2), 2)});
    tablePage("10.9.0.14", "getAllMcastTx", 0, 1, QJsonArray{txEntry(0, sdp("10.9.0.14", "239.69.1.1", 2), 0)});
    for (const char* ip : {"10.9.0.11", "10.9.0.12"})
        feedMcast(QJsonObject{{"event", "masterOffset"}, {"state", "2"}}, ip);
    feedMcast(QJsonObject{{"event", "masterOffset"}, {"state", "1"}}, "10.9.0.13");
    feedMcast(QJsonObject{{"event", "adjustFreq"}, {"ppm", "-3"}}, "10.9.0.11");
    feedMcast(QJsonObject{{"event", "adjustFreq"}, {"ppm", "41"}}, "10.9.0.13");
    DevDetailStore& store = DevDetailStore::instance();
    const std::pair<const char*, int> priorities[] = {
        {"MRD-A16-0001", 100}, {"MRD-A16-0002", 128}, {"MRD-P64-0003", 255}, {"MRA-4-0006", 300}};
    for (const auto& p : priorities)
        store.updateDevDetail(p.first, [&](DevDetail_t& d) { d.ptpPriority = p.second; });
    store.updateDevDetail("MRD-P64-0003", [](DevDetail_t& d) { d.ptpDomain = 1; });

    ClockForm form;
    form.setChinese(false);
    form.resize(1000, 300);
    form.refresh();
    form.show();
    bool ok = save(form, "clock_view.png");

    Clock log(QStringLiteral("MRD-A16-0002"));
    log.resize(560, 220);
    for (int i = 0; i < 8; ++i)
        log.recvBackData(QStringLiteral(R"({"event":"masterOffset","offset":"%1","ops":"clockEvent",)"
                                        R"("remoteIp":"10.9.0.11","state":"2"})")
                             .arg(i * 7 - 20));
    log.show();
    return save(log, "clock_log.png") && ok;
}

/// One device's stream tables on the list page, then the creation page half filled in.
bool shootStream()
{
    const QString ip = QStringLiteral("10.9.0.20");
    QJsonObject counts{{"chNumRx", "16"}, {"chNumTx", "16"}};
    for (const char* k : {"ucastNumRx", "ucastNumTx", "mcastNumRx", "mcastNumTx"})
        counts.insert(k, "2");
    announce("MRD-A16-0020", "Stage box", ip, counts);
    QJsonArray rx;
    for (int ch : {0, 1, 2, 5})
        rx.append(QJsonObject{{"id", QString::number(ch)}, {"rtpChId", QString::number(ch + 8)}});
    tablePage(ip, "getAllRxCh", 0, 16, rx);
    tablePage(ip, "getAllRtpCh", 0, 16,
              QJsonArray{QJsonObject{{"id", "8"}, {"srcDevId", "MRD-A16-0001"}, {"srcChId", "0"}},
                         QJsonObject{{"id", "9"}, {"srcDevId", "MRD-A16-0001"}, {"srcChId", "1"}},
                         QJsonObject{{"id", "10"}, {"srcDevId", "MRV-VSC-0005"}, {"srcChId", "0"}}});
    tablePage(ip, "getAllUcastRx", 0, 2, QJsonArray{rxEntry(0, sdp("10.9.0.10", ip, 2), 2, 8)});
    QJsonObject idle = rxEntry(0, sdp("10.9.0.14", "239.69.1.1", 1), 1, 10);
    idle.insert("active", "0");
    tablePage(ip, "getAllMcastRx", 0, 2, QJsonArray{idle});
    tablePage(ip, "getAllUcastTx", 0, 2, QJsonArray{txEntry(0, sdp(ip, "10.9.0.11", 2), 2, "")});
    tablePage(ip, "getAllMcastTx", 0, 2,
              QJsonArray{txEntry(0, sdp(ip, "239.69.20.1", 4), 4, "Front of house"),
                         txEntry(1, sdp(ip, "239.69.20.2", 2), 2, "Monitor", 4)});
    DevDetailStore::instance().addFromRegistry("MRD-A16-0020");
    DevDetailStore::instance().updateDevDetail("MRD-A16-0020", [](DevDetail_t& d) { d.firmwareVersion = "3.1.5.0"; });

    stream view(QStringLiteral("MRD-A16-0020"));
    view.resize(900, 560);
    view.show();
    bool ok = save(view, "stream_view.png");
    view.change_btGroupclicked(1);
    view.findChild<QLineEdit*>("stream_name_le")->setText("Balcony");
    for (int ch : {0, 1, 3})
        view.findChild<QCheckBox*>(QStringLiteral("channel_cb:%1").arg(ch))->setChecked(true);
    view.findChild<QListWidget*>("send_listWidget")->item(1)->setSelected(true);
    return save(view, "stream_create.png") && ok;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QDir().mkpath(QStringLiteral(MERIDANE_SCREENSHOT_DIR));
    bool ok = true;
    for (bool (*shoot)() : {&shootMatrix, &shootClock, &shootStream}) {
        dvm_resetForTest();
        DevDetailStore::instance().clear();
        ok = shoot() && ok;
    }
    return ok ? 0 : 1;
}

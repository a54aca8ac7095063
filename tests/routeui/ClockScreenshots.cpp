// Renders the clock view with six devices into screenshots/clock_view.png for a look by eye. Runs offscreen
// against this process's registry and detail store only.
#include "Clock.h"
#include "ClockForm.h"
#include "DevDetailStore.h"
#include "RegistryFeed.h"

#include <QApplication>
#include <QDir>
#include <cstdio>

using namespace regfeed;

namespace {

void add(const QString& devId, const QString& name, const QString& ip, const QJsonObject& extra)
{
    announce(devId, name, ip, extra);
    DevDetailStore::instance().addFromRegistry(devId);
}

bool save(QWidget& w, const QString& file)
{
    const QString path = QStringLiteral(MERIDANE_SCREENSHOT_DIR "/") + file;
    const bool ok = w.grab().save(path);
    std::printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(path));
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QDir().mkpath(QStringLiteral(MERIDANE_SCREENSHOT_DIR));
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
    feedMcast(QJsonObject{{"event", "masterOffset"}, {"state", "2"}}, "10.9.0.11");
    feedMcast(QJsonObject{{"event", "masterOffset"}, {"state", "2"}}, "10.9.0.12");
    feedMcast(QJsonObject{{"event", "masterOffset"}, {"state", "1"}}, "10.9.0.13");
    feedMcast(QJsonObject{{"event", "adjustFreq"}, {"ppm", "-3"}}, "10.9.0.11");
    feedMcast(QJsonObject{{"event", "adjustFreq"}, {"ppm", "41"}}, "10.9.0.13");
    DevDetailStore& store = DevDetailStore::instance();
    store.updateDevDetail("MRD-A16-0001", [](DevDetail_t& d) { d.ptpPriority = 100; });
    store.updateDevDetail("MRD-A16-0002", [](DevDetail_t& d) { d.ptpPriority = 128; });
    store.updateDevDetail("MRD-P64-0003", [](DevDetail_t& d) {
        d.ptpPriority = 255;
        d.ptpDomain = 1;
    });
    store.updateDevDetail("MRA-4-0006", [](DevDetail_t& d) { d.ptpPriority = 300; });

    ClockForm form;
    form.setChinese(false);
    form.resize(1000, 300);
    form.refresh();
    form.show();
    app.processEvents();
    bool ok = save(form, QStringLiteral("clock_view.png"));

    Clock log(QStringLiteral("MRD-A16-0002"));
    log.resize(560, 220);
    for (int i = 0; i < 8; ++i)
        log.recvBackData(QStringLiteral(R"({"event":"masterOffset","offset":"%1","ops":"clockEvent",)"
                                        R"("remoteIp":"10.9.0.11","state":"2"})")
                             .arg(i * 7 - 20));
    log.show();
    app.processEvents();
    ok = save(log, QStringLiteral("clock_log.png")) && ok;
    return ok ? 0 : 1;
}

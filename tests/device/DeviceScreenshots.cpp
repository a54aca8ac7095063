// Renders the device windows offscreen into PNG files for a person to look at: the settings window plain and
// under the detail lock, the levels page, the level overview, the delay statistics and the lock and password
// dialogs, and the window of a design device in offline mode. Not a test; no network.
#include "DevVolumeForm.h"
#include "DevWin.h"
#include "DeviceTestSupport.h"
#include "DeviceWindow.h"
#include "FactoryAccess.h"
#include "GpioInfo.h"
#include "ManageLock.h"
#include "ManagePasswd.h"
#include "NewDelayCounter.h"
#include "OfflineData.h"
#include "OfflineDeviceType.h"
#include "channelVoice.h"
#include "devtest.h"

#include <QDir>
#include <cmath>
#include <cstdio>

using namespace devicetest;

namespace {

QString g_dir;

bool save(QWidget& w, const char* name)
{
    w.show();
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
    const QString path = g_dir + QLatin1Char('/') + QLatin1String(name);
    const bool ok = w.grab().save(path);
    std::printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(path));
    return ok;
}

/// Levels spread over the meter: a few silent channels, most moving, one hot.
QStringList levels(int count, double phase, bool hot = false)
{
    QStringList out;
    for (int i = 0; i < count; ++i) {
        const double db = hot && i == 5 ? 1.5 : -48.0 + 38.0 * std::sin(phase + i * 0.9);
        out << (i % 7 == 3 ? QStringLiteral("-inf") : QString::number(db, 'f', 1));
    }
    return out;
}

bool settings()
{
    AppState::setChinese(false);
    AppState::setConfig(AppConfig::fromText(QStringLiteral("Title=Meridane\nCanEditDevType=1\nCanShowVolume=1\n")));
    TestDevice d;
    d.name = QStringLiteral("Hall Stagebox");
    addDevice(d);
    bool ok = true;
    for (const int lock : {0, 1}) {
        DevDetailStore::instance().updateDevDetail(d.devId, [lock](DevDetail_t& det) { det.detailLock = lock; });
        DevWin frame(d.devId);
        frame.setAttribute(Qt::WA_DeleteOnClose, false);
        frame.resize(1100, 720);
        frame.recvBackData(R"({"ops":"getIp","devId":"MRD-0001","result":"succ","fixedIp":"1",)"
                           R"("ip":"192.168.1.11","gw":"192.168.1.1","dns":"192.168.1.1"})");
        frame.recvBackData(R"({"ops":"getDebugInfo","devId":"MRD-0001","result":"succ","model":"MRD-A16",)"
                           R"("temp":"41500"})");
        frame.recvBackData(R"({"ops":"sendUdpToUart","devId":"MRD-0001","back":"VER 1.2\r\nOK\r\n"})");
        ok = save(frame, lock ? "settings_locked.png" : "settings_window.png") && ok;
    }
    AppState::setChinese(true);
    return ok;
}

bool offlineSettings()
{
    AppState::setChinese(false);
    AppState::setMode(AppState::kOfflineMode);
    OfflineDeviceType t;
    t.devModel = QStringLiteral("MRD-A16");
    t.version = QStringLiteral("3.1.2-20260101");
    t.chNumRx = t.chNumTx = 8;
    t.phyChNumRx = t.phyChNumTx = 4;
    t.sampleRateList = QStringList{QStringLiteral("48000"), QStringLiteral("96000")};
    t.packetTimeList = QStringList{QStringLiteral("1"), QStringLiteral("0.5"), QStringLiteral("0.25")};
    OfflineData design;
    design.addDevice(OfflineDevice::fromType(t, QStringLiteral("OFF-MRD-A16-1"), QStringLiteral("Design Stagebox")));
    design.updateDevice(QStringLiteral("OFF-MRD-A16-1"), [](OfflineDevice& d) {
        d.detail().channelData.rxChNameList[0] = QStringLiteral("Lectern");
        d.detail().delayMs = 2;
    });
    DevWin frame(QStringLiteral("OFF-MRD-A16-1"), nullptr, &design);
    frame.setAttribute(Qt::WA_DeleteOnClose, false);
    frame.resize(1100, 720);
    const bool ok = save(frame, "settings_offline.png");
    AppState::setMode(10);
    AppState::setChinese(true);
    return ok;
}

bool levelPages()
{
    // Nothing is polled: the pictures show the replies fed below.
    AppState::setMode(AppState::kOfflineMode);
    const QString devId = QStringLiteral("MRD-A16-0001");
    insertDevice(devId, QStringLiteral("MRD-A16"), 8, 8, 8, 8);
    DevDetailStore::instance().updateDevDetail(devId, [](DevDetail_t& d) {
        d.phyRxChNames[0] = QStringLiteral("Kick");
        d.phyRxChNames[1] = QStringLiteral("Vox lead");
    });
    channelVoice page(devId);
    page.resize(980, 760);
    page.show();
    page.recvBackData(pageReply(QStringLiteral("getAllPhyLevel"), devId, 0, 0, 8, levels(8, 0.3, true)));
    page.recvBackData(pageReply(QStringLiteral("getAllNetLevel"), devId, 0, 0, 8, levels(8, 2.1)));
    page.recvBackData(pageReply(QStringLiteral("getAllPhyGain"), devId, 0, 0, 8,
                                {"0", "-6.5", "3", "12", "-inf", "0", "-20", "1.5"}));
    page.recvBackData(
        pageReply(QStringLiteral("getAllPhyMute"), devId, 0, 0, 8, {"0", "0", "1", "0", "0", "0", "1", "0"}));
    while (!page.rowsComplete()) // rows are built a slice per pass of the event loop
        QApplication::processEvents();
    bool ok = save(page, "levels_page.png");

    QVector<DevDetail_t> devices;
    for (int i = 0; i < 5; ++i)
        devices << insertDevice(QStringLiteral("MRD-B-%1").arg(i + 1), QStringLiteral("MRD-A16"), i == 3 ? 0 : 8,
                                i == 3 ? 0 : 8, 16, 16, QStringLiteral("3.0.8"), kDevIp + 16 + i);
    DevVolumeForm overview;
    overview.stopPolling();
    overview.setDevices(devices);
    for (int i = 0; i < devices.size(); ++i) {
        const QString id = devices.at(i).devId;
        for (const int side : {0, 1}) {
            overview.recvBackData(pageReply(QStringLiteral("getAllPhyLevel"), id, side, 0, 8, levels(8, i + side)));
            overview.recvBackData(pageReply(QStringLiteral("getAllNetLevel"), id, side, 0, 16, levels(16, i * 2.0)));
        }
    }
    overview.resize(900, 260);
    ok = save(overview, "device_levels.png") && ok;
    AppState::setMode(10);
    return ok;
}

bool lockAndDelay()
{
    const char* const rx = "192.168.10.21";
    const char* const tx = "192.168.10.40";
    const QJsonObject sdp{{"srcIp", tx}, {"dstIp", rx}, {"dstPort", "5004"}, {"chNum", "2"}, {"sampleByteNum", "3"}};
    announce("S1", tx, "MRD-A16", {{"ucastNumTx", "1"}}, "Stage box");
    announce("D1", rx, "MRD-M16", {{"ucastNumRx", "1"}}, "Mixer");
    fromDevice(tx, {{"ops", "getAllUcastTx"},
                    {"idStart", "0"},
                    {"idNext", "1"},
                    {"arr", QJsonArray{QJsonObject{{"id", "0"}, {"sdp", sdp}, {"name", "StageLeft"}}}}});
    fromDevice(rx, {{"ops", "getAllUcastRx"},
                    {"idStart", "0"},
                    {"idNext", "1"},
                    {"arr", QJsonArray{QJsonObject{{"id", "0"}, {"sdp", sdp}, {"active", "1"}}}}});
    NewDelayCounter page(QStringLiteral("D1"));
    page.resize(900, 600);
    page.show();
    QJsonObject stats{{"ops", "getUcastStats"}, {"sdpId", "0"}, {"result", "succ"}};
    const char* const keys[] = {"total", "in125",  "in250", "in500", "in1ms",       "in2ms",
                                "in4ms", "out4ms", "avgUs", "maxUs", "notContinue", "exceedDelay"};
    const int values[] = {120000, 61000, 30500, 17400, 7300, 2600, 1000, 200, 236, 5120, 3, 200};
    for (int i = 0; i < 12; ++i)
        stats.insert(QLatin1String(keys[i]), QString::number(values[i]));
    for (const QString& m : fromDevice(rx, stats))
        page.recvRequest(m);
    bool ok = save(page, "delay_stats.png");

    fromDevice(rx, {{"ops", "getLock"}, {"val", "0x3"}});
    fromDevice(rx, {{"ops", "getLock"}, {"uiTag", "dspUiTag"}, {"val", "0x1001f"}});
    ManageLock lock(QStringLiteral("D1"));
    ok = save(lock, "manage_lock.png") && ok;
    ManagePasswd passwd(QStringLiteral("D1"), ManagePasswd::ChangePassword);
    return save(passwd, "manage_passwd.png") && ok;
}

/// The test page in factory mode (user mode 2), filled as the device's replies would fill it.
bool testPage()
{
    AppState::setChinese(true);
    AppState::setConfig(AppConfig::fromText(QStringLiteral("Title=Meridane\nCanResetFactory=1\n")));
    AppState::setMode(10);
    TestDevice d;
    d.devId = QStringLiteral("MRD-T-0001");
    // An address of its own: the store lists one device per address.
    insertDevice(d.devId, QStringLiteral("MRD-A16"), 8, 8, 16, 16, QStringLiteral("3.1.4"), kDevIp + 40);
    DevDetailStore::instance().updateDevDetail(d.devId, [](DevDetail_t& det) {
        det.name = QStringLiteral("Hall Stagebox");
        det.firmwareVersion = QStringLiteral("3.1.4");
        det.firmwareBuild = QStringLiteral("20260301");
        det.oemCode = QStringLiteral("000000");
        det.macText = QStringLiteral("00:1d:c1:0a:4d:15");
        det.ptpDomain = 0;
        det.ptpDscp = 46;
        det.dscp = 34;
    });
    FactoryAccess::apply(FactoryAccess::Grant::UserMode2);
    DevWin frame(d.devId);
    frame.setAttribute(Qt::WA_DeleteOnClose, false);
    frame.resize(1100, 900); // tall enough for every panel without scrolling
    frame.deviceWindow()->btGroupclicked(DeviceWindow::BtTest);
    const auto reply = [&frame, &d](QJsonObject o) {
        o.insert(QStringLiteral("devId"), d.devId);
        o.insert(QStringLiteral("result"), QStringLiteral("succ"));
        frame.recvBackData(compact(o));
    };
    reply({{"ops", "getDebugInfo"}, {"model", "MRD-A16"}, {"temp", "41500"}, {"uptime", "93784"}});
    reply({{"ops", "getOemData"}, {"name", "cpuKHz"}, {"val", "816000"}});
    reply({{"ops", "getCfg"},
           {"cfg", "chNum_phyRx=8\nchNum_phyTx=8\nchNum_dspFromNet=16\nchNum_dspToNet=16\nsampleRate=48000\n"
                   "fmtType=tdmI2s\nfmtIndex=0\nmclk=12288000\ninv_lrclk=0\ninv_bclk=1\nmodel=MRD-A16"}});
    GpioInfo g;
    g.direction = 1;
    g.enable = 1;
    g.channelId = 3;
    g.programId = 12;
    g.gainStep = 1.5;
    g.customCmd = QStringLiteral("preset recall 2");
    reply({{"ops", "getGpioInfo"}, {"index", "GPIO_1"}, {"gpioInfo", g.toJson()}});
    const bool ok = save(frame, "test_page.png");
    FactoryAccess::apply(FactoryAccess::Grant::UserMode0);
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    dvm_setSendHook([](void*, const char*, int length, uint32_t, uint16_t) { return length; }, nullptr);
    AppState::setChinese(true);
    g_dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(MERIDANE_SCREENSHOT_DIR);
    QDir().mkpath(g_dir);
    // Levels first: the settings device takes the same address, and the store lists one device per address.
    bool ok = levelPages();
    ok = settings() && ok;
    ok = lockAndDelay() && ok;
    ok = offlineSettings() && ok;
    ok = testPage() && ok;
    return ok ? 0 : 1;
}

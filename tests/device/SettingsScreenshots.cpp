// Renders the settings window of a device offscreen, once plain and once with the detail lock, so a person
// can look at the layout. Not a test.
#include "AppState.h"
#include "DevDetailStore.h"
#include "DevManager.h"
#include "DevWin.h"
#include "DeviceWindow.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QJsonDocument>
#include <QTimer>
#include <cstdio>

namespace {

void addDevice(const QString& devId, const QString& name, const QString& ip)
{
    const QByteArray msg =
        QStringLiteral(R"({"ops":"iAmVeranto","devId":"%1","name":"%2","ip":"%3","port":"9990",)"
                       R"("chNumRx":"4","chNumTx":"4","phyChNumRx":"4","phyChNumTx":"4","canWork":"1",)"
                       R"("model":"MRD-A16","myClkId":"00-1D-C1-FF-FE-12-34-56","sampleRate":"48000",)"
                       R"("pFrameNum":"12","delayUs":"2000","sampleByteNum":"3"})")
            .arg(devId, name, ip)
            .toUtf8();
    userCallLib_handleUdp_mcast(msg.constData(), msg.size(), dvm_parseIp(ip), 9996);
    DevDetailStore::instance().addFromRegistry(devId);
    DevDetailStore::instance().updateDevDetail(devId, [](DevDetail_t& d) {
        d.rxChNames = QStringList{"Lectern", "Wireless 1", "Wireless 2", "Playback"};
        d.txChNames = QStringList{"Main L", "Main R", "Monitor", "Record"};
        d.sampleRates = QStringList{"44100", "48000", "96000"};
        d.packetTimeDivs = QStringList{"1000", "2000", "4000", "8000"};
        d.firmwareVersion = "2.4.1";
        d.firmwareBuild = "20261101";
        d.sampleByteNum = 3;
    });
}

bool render(const QString& devId, int detailLock, const QString& path)
{
    DevDetailStore::instance().updateDevDetail(devId, [detailLock](DevDetail_t& d) { d.detailLock = detailLock; });
    DevWin frame(devId);
    frame.setAttribute(Qt::WA_DeleteOnClose, false);
    frame.resize(1100, 720);
    frame.show();
    frame.recvBackData(R"({"ops":"getIp","devId":"MRD-0001","result":"succ","fixedIp":"1","ip":"192.168.1.11",)"
                       R"("gw":"192.168.1.1","dns":"192.168.1.1"})");
    frame.recvBackData(R"({"ops":"getDebugInfo","devId":"MRD-0001","result":"succ","model":"MRD-A16","temp":"41500"})");
    frame.recvBackData(R"({"ops":"sendUdpToUart","devId":"MRD-0001","back":"VER 1.2\r\nOK\r\n"})");
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
    const bool ok = frame.grab().toImage().save(path);
    std::printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(path));
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString dir = QStringLiteral(MERIDANE_SCREENSHOT_DIR);
    QDir().mkpath(dir);
    // Every optional control shown.
    AppState::setConfig(AppConfig::fromText(QStringLiteral("Title=Meridane\nCanEditDevType=1\nCanShowVolume=1\n")));
    addDevice("MRD-0001", "Hall Stagebox", "192.168.1.11");
    bool ok = render("MRD-0001", 0, dir + "/settings_window.png");
    ok = render("MRD-0001", 1, dir + "/settings_locked.png") && ok;
    return ok ? 0 : 1;
}

// Not a test: renders the archive dialogs (an export half-way, a load with its preview) for a person to look at.
#include "../archive/ScriptedTransport.h"
#include "AppState.h"
#include "ArchivePreviewView.h"
#include "ArchiveProgressPanel.h"
#include "FileDialogs.h"
#include "LoadOfflineDevForm.h"
#include "OfflineDevice.h"
#include "OfflineDeviceType.h"
#include "SelectParametersForm.h"
#include "UserSettings.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>

namespace {

void shoot(QWidget& w, const QString& file)
{
    if (!w.grab().save(QStringLiteral(MERIDANE_SCREENSHOT_DIR) + file))
        qWarning("could not save %s", qPrintable(file));
}

template <typename Pred> bool settle(Pred done)
{
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > 30000)
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

OnlineDeviceFacts facts(const QString& id, const QString& name, const QString& model, uint32_t ip)
{
    OnlineDeviceFacts f;
    f.devId = id;
    f.name = name;
    f.model = model;
    f.ip = ip;
    f.port = 9998;
    f.chNumRx = f.chNumTx = 8;
    f.phyChNumRx = f.phyChNumTx = 2;
    f.sampleRate = 48000;
    f.sampleByteNum = 3;
    f.pFrameNum = 12;
    f.dscp = 34;
    f.delayUs = 5000;
    for (int i = 1; i <= 8; ++i) {
        f.rxChNames << QStringLiteral("NetIn%1").arg(i);
        f.txChNames << QStringLiteral("NetOut%1").arg(i);
    }
    f.phyRxChNames = QStringList{"AnalogIn1", "AnalogIn2"};
    f.phyTxChNames = QStringList{"AnalogOut1", "AnalogOut2"};
    return f;
}

/// The export dialog while a slow device list is being read.
void exportShot(UserSettings& settings, const QString& dir, const QString& file)
{
    ScriptedTransport slow;
    // Answers as a device does, only slowly, so the picture catches the export half-way.
    slow.answer = [](const ScriptedTransport::Sent& s) {
        QThread::msleep(60);
        const QString ops = s.ops();
        if (ops == QLatin1String("getIp"))
            return ScriptedTransport::succ(s, {{"fixedIp", "0"},
                                               {"ip", "192.168.10.21"},
                                               {"mask", "255.255.255.0"},
                                               {"gw", "192.168.10.1"},
                                               {"dns", "192.168.10.1"}});
        if (ops == QLatin1String("getVersion"))
            return ScriptedTransport::succ(s, {{"ptpDscp", "46"}, {"ptpPriority", "128"}});
        if (ops.startsWith(QLatin1String("getAllPhyGainDb")) || ops.startsWith(QLatin1String("getAllPhyMute")))
            return ScriptedTransport::succ(s, {{"idStart", "0"}, {"idNext", "2"}, {"arr", QJsonArray{"0", "0"}}});
        if (ops == QLatin1String("getInfo"))
            return ScriptedTransport::succ(s, {{"gainArr", QJsonArray{"0", "0"}}, {"powerArr", QJsonArray{"0", "1"}}});
        return ScriptedTransport::succ(s);
    };
    FileDialogs::setAnswerer(
        [dir](FileDialogs::Kind, const QString&) { return std::optional<QString>(dir + "/a.odt"); });
    SelectParametersForm form(SelectParametersForm::Mode::ExportOnline, settings);
    form.setOnlineDevices({facts("A16-01", "Stage Box Left", "MRD-A16", 0xC0A80A15),
                           facts("A16-02", "Stage Box Right", "MRD-A16", 0xC0A80A16),
                           facts("D8-01", "Lectern Panel", "MRD-D8", 0xC0A80A17)},
                          &slow);
    form.choose({}, ArchiveCategories::all());
    form.show();
    form.findChild<QPushButton*>("export_bt")->click();
    const QProgressBar* bar = form.progressPanel()->progressBar();
    settle([bar] { return bar->maximum() > 0 && bar->value() * 2 >= bar->maximum(); });
    shoot(form, file);
    form.progressPanel()->cancelButton()->click();
    settle([&form] { return !form.isBusy(); });
    form.waitForWorker();
    FileDialogs::setAnswerer(nullptr);
}

/// The load dialog with the preview of a device whose name, one channel name and one gain differ.
void loadShot(const QString& file)
{
    OfflineDeviceType type;
    type.devModel = QStringLiteral("MRD-A16");
    type.version = QStringLiteral("1.0");
    type.chNumRx = type.chNumTx = 8;
    type.phyChNumRx = type.phyChNumTx = 2;
    std::vector<OfflineDevice> archive;
    archive.push_back(*OfflineDevice::fromType(type, "A16-01", "Stage Box Left"));
    archive.push_back(*OfflineDevice::fromType(type, "A16-02", "Stage Box Right"));
    OnlineDeviceFacts changed = facts("A16-01", "Stage Box L (spare)", "MRD-A16", 0xC0A80A15);
    changed.rxChNames[2] = QStringLiteral("Lectern mic");
    const QVector<OnlineDeviceFacts> online{changed, facts("A16-02", "Stage Box Right", "MRD-A16", 0xC0A80A16)};

    ScriptedTransport device;
    device.answer = [](const ScriptedTransport::Sent& s) {
        const QJsonObject req = s.json();
        if (req.value("ops") == QLatin1String("getAllPhyGainDbRx") && req.value("devId") == QLatin1String("A16-01"))
            return ScriptedTransport::succ(s, {{"arr", QJsonArray{"-12", "0"}}});
        if (req.value("ops").toString().startsWith(QLatin1String("getAllPhy")))
            return ScriptedTransport::succ(s, {{"arr", QJsonArray{"0", "0"}}});
        if (req.value("ops") == QLatin1String("getVersion"))
            return ScriptedTransport::succ(s, {{"ptpDscp", "46"}, {"ptpPriority", "128"}});
        return ScriptedTransport::succ(s);
    };
    LoadOfflineDevForm form(archive);
    form.setOnlineSource([online] { return online; }, &device);
    form.show();
    bool shown = false;
    QObject::connect(&form, &LoadOfflineDevForm::signal_previewShown, [&shown] { shown = true; });
    form.findChild<QPushButton*>("preview_bt")->click();
    settle([&shown] { return shown; });
    QApplication::processEvents();
    shoot(form, file);
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QDir().mkpath(QStringLiteral(MERIDANE_SCREENSHOT_DIR));
    QTemporaryDir dir;
    UserSettings settings(dir.filePath("UserConfig.ini"), dir.filePath("Config.ini"));
    for (const bool chinese : {true, false}) {
        AppState::setChinese(chinese);
        const QString suffix = chinese ? QStringLiteral(".png") : QStringLiteral("_en.png");
        exportShot(settings, dir.path(), "/archive_export" + suffix);
        loadShot("/archive_load_preview" + suffix);
    }
    return 0;
}

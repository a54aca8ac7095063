// Renders the levels page of a 16-channel device and the level overview of five devices into PNG files
// for a person to look at. Runs offscreen; no network.
#include "AppState.h"
#include "DevDetailStore.h"
#include "DevVolumeForm.h"
#include "channelVoice.h"

#include <QApplication>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPixmap>
#include <QTextStream>
#include <QTranslator>
#include <cmath>

namespace {

QString reply(const QString& ops, const QString& devId, int inOrOut, const QStringList& values)
{
    const QJsonObject o{{QStringLiteral("ops"), ops},
                        {QStringLiteral("devId"), devId},
                        {QStringLiteral("inOrOut"), QString::number(inOrOut)},
                        {QStringLiteral("idStart"), QStringLiteral("0")},
                        {QStringLiteral("idNext"), QString::number(values.size())},
                        {QStringLiteral("arr"), QJsonArray::fromStringList(values)},
                        {QStringLiteral("result"), QStringLiteral("succ")}};
    return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact));
}

/// Levels spread over the meter: a few silent channels, most moving, one hot.
QStringList levels(int count, double phase, bool hot = false)
{
    QStringList out;
    for (int i = 0; i < count; ++i) {
        if (i % 7 == 3) {
            out << QStringLiteral("-inf");
            continue;
        }
        const double db = -48.0 + 38.0 * std::sin(phase + i * 0.9);
        out << QString::number(hot && i == 5 ? 1.5 : db, 'f', 1);
    }
    return out;
}

DevDetail_t device(const QString& devId, const QString& name, uint32_t ip, int phy, int net)
{
    DevDetail_t d;
    d.devId = devId;
    d.name = name;
    d.ip = ip;
    d.port = 9990;
    d.model = QStringLiteral("MRD-A16");
    d.firmwareVersion = QStringLiteral("3.0.8");
    d.phyRxChNames = DevDetail_t::numberedNames(QStringLiteral("AnalogIn"), phy);
    d.phyTxChNames = DevDetail_t::numberedNames(QStringLiteral("AnalogOut"), phy);
    d.rxChNames = DevDetail_t::numberedNames(QStringLiteral("NetIn"), net);
    d.txChNames = DevDetail_t::numberedNames(QStringLiteral("NetOut"), net);
    d.phyRxGains = QVector<double>(phy, 0.0);
    d.phyTxGains = QVector<double>(phy, 0.0);
    d.phyRxMutes = QVector<int>(phy, 0);
    d.phyTxMutes = QVector<int>(phy, 0);
    return d;
}

bool save(QWidget& w, const QString& path)
{
    const bool ok = w.grab().save(path);
    QTextStream(stdout) << (ok ? "wrote " : "FAILED ") << path << "\n";
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    AppState::setChinese(true);
    // Nothing is polled: the pictures show the replies fed below.
    AppState::setMode(AppState::kOfflineMode);

    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(MERIDANE_SCREENSHOT_DIR);
    QDir().mkpath(dir);

    DevDetailStore& store = DevDetailStore::instance();
    const QString devId = QStringLiteral("MRD-A16-0001");
    DevDetail_t main = device(devId, QStringLiteral("Stage box"), 0xC0A8010B, 8, 8);
    main.phyRxChNames[0] = QStringLiteral("Kick");
    main.phyRxChNames[1] = QStringLiteral("Snare");
    main.phyRxChNames[2] = QStringLiteral("Vox lead");
    store.insertDevDetail(main);

    channelVoice page(devId);
    page.resize(980, 760);
    page.show();
    page.recvBackData(reply(QStringLiteral("getAllPhyLevel"), devId, 0, levels(8, 0.3, true)));
    page.recvBackData(reply(QStringLiteral("getAllNetLevel"), devId, 0, levels(8, 2.1)));
    page.recvBackData(
        reply(QStringLiteral("getAllPhyGain"), devId, 0, {"0", "-6.5", "3", "12", "-inf", "0", "-20", "1.5"}));
    page.recvBackData(reply(QStringLiteral("getAllPhyMute"), devId, 0, {"0", "0", "1", "0", "0", "0", "1", "0"}));
    while (!page.rowsComplete()) // rows are built a slice per pass of the event loop
        app.processEvents();
    app.processEvents();
    bool ok = save(page, dir + QStringLiteral("/levels_page.png"));

    QVector<DevDetail_t> devices;
    const char* const names[5] = {"Stage box", "FOH rack", "Monitor desk", "Wall panel", "Amp room"};
    for (int i = 0; i < 5; ++i) {
        DevDetail_t d = device(QStringLiteral("MRD-B-%1").arg(i + 1), QString::fromLatin1(names[i]), 0xC0A80120 + i,
                               i == 3 ? 0 : 8, 16);
        store.insertDevDetail(d);
        devices << d;
    }
    DevVolumeForm overview;
    overview.stopPolling();
    overview.setDevices(devices);
    for (int i = 0; i < devices.size(); ++i) {
        const QString id = devices.at(i).devId;
        overview.recvBackData(reply(QStringLiteral("getAllPhyLevel"), id, 0, levels(8, i * 0.7)));
        overview.recvBackData(reply(QStringLiteral("getAllPhyLevel"), id, 1, levels(8, i * 1.3 + 1)));
        overview.recvBackData(
            reply(QStringLiteral("getAllNetLevel"), id, 0, i == 4 ? QStringList{"-inf"} : levels(16, i)));
        overview.recvBackData(reply(QStringLiteral("getAllNetLevel"), id, 1, levels(16, i * 2.0)));
    }
    overview.resize(900, 260);
    overview.show();
    app.processEvents();
    ok = save(overview, dir + QStringLiteral("/device_levels.png")) && ok;
    return ok ? 0 : 1;
}

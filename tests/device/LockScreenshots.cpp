// Renders the delay-statistics page with a reply, a page under the lock overlay, the lock and password dialogs into
// PNG files for a look by eye. Runs offscreen against the registry and detail store of this process only.
#include "AppState.h"
#include "DevDetailStore.h"
#include "DevManager.h"
#include "LockOverlays.h"
#include "ManageLock.h"
#include "ManagePasswd.h"
#include "NewDelayCounter.h"
#include "ReplyDispatcher.h"
#include "TestAnnouncement.h"

#include <QApplication>
#include <QDir>
#include <QFormLayout>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <cstdio>

namespace {

const char* const kRxIp = "192.168.10.21";
const char* const kTxIp = "192.168.10.40";

QByteArray text(const QJsonObject& o)
{
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

void announce(const QString& devId, const QString& name, const char* ip, const char* model, const QJsonObject& extra)
{
    QJsonObject a = testAnnouncement(devId, name, QLatin1String(ip));
    a.insert("model", model);
    for (auto it = extra.begin(); it != extra.end(); ++it)
        a.insert(it.key(), it.value());
    const QByteArray b = text(a);
    userCallLib_handleUdp_mcast(b.constData(), b.size(), dvm_parseIp(ip), 9996);
    DevDetailStore::instance().addFromRegistry(devId);
}

/// A datagram from a device, through the registry and the dispatcher; returns what the windows get.
QStringList fromDevice(const char* ip, const QJsonObject& o)
{
    QStringList out;
    ReplyDispatcher::Sink sink;
    sink.recvMessage = [&out](const QString& m) { out << m; };
    ReplyDispatcher dispatcher(DevDetailStore::instance(), sink);
    const QByteArray b = text(o);
    if (userCallLib_handleUdp_ucast(b.constData(), b.size(), dvm_parseIp(ip), 9995) == 0)
        dispatcher.dispatch(b.constData(), b.size(), dvm_parseIp(ip));
    return out;
}

QJsonObject sdp(const char* src, const char* dst)
{
    return QJsonObject{{"srcIp", src}, {"dstIp", dst},         {"dstPort", "5004"},
                       {"chNum", "2"}, {"sampleByteNum", "3"}, {"rtpTsOffset", "0"}};
}

bool save(QWidget& w, const QString& dir, const char* name)
{
    w.show();
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
    const QString path = dir + QLatin1Char('/') + QLatin1String(name);
    const bool ok = w.grab().save(path);
    std::printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(path));
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    AppState::setChinese(true);
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(MERIDANE_SCREENSHOT_DIR);
    QDir().mkpath(dir);

    announce("S1", "Stage box", kTxIp, "MRD-A16", {{"ucastNumTx", "1"}});
    announce("D1", "Mixer", kRxIp, "MRD-M16", {{"ucastNumRx", "2"}, {"mcastNumRx", "1"}});
    fromDevice(kTxIp, {{"ops", "getAllUcastTx"},
                       {"idStart", "0"},
                       {"idNext", "1"},
                       {"arr", QJsonArray{QJsonObject{{"id", "0"},
                                                      {"sdp", sdp(kTxIp, kRxIp)},
                                                      {"srcChIdArr", QJsonArray{"0", "1"}},
                                                      {"name", "StageLeft"}}}}});
    fromDevice(kRxIp, {{"ops", "getAllUcastRx"},
                       {"idStart", "0"},
                       {"idNext", "2"},
                       {"arr", QJsonArray{QJsonObject{{"id", "0"}, {"sdp", sdp(kTxIp, kRxIp)}, {"active", "1"}}}}});
    fromDevice(kRxIp,
               {{"ops", "getAllMcastRx"},
                {"idStart", "0"},
                {"idNext", "1"},
                {"arr", QJsonArray{QJsonObject{{"id", "0"}, {"sdp", sdp(kTxIp, "239.69.1.2")}, {"active", "1"}}}}});

    bool ok = true;
    {
        NewDelayCounter page(QStringLiteral("D1"));
        page.resize(900, 600);
        page.show();
        for (const QString& m : fromDevice(kRxIp, {{"ops", "getUcastStats"},
                                                   {"sdpId", "0"},
                                                   {"result", "succ"},
                                                   {"total", "120000"},
                                                   {"in125", "61000"},
                                                   {"in250", "30500"},
                                                   {"in500", "17400"},
                                                   {"in1ms", "7300"},
                                                   {"in2ms", "2600"},
                                                   {"in4ms", "1000"},
                                                   {"out4ms", "200"},
                                                   {"avgUs", "236"},
                                                   {"maxUs", "5120"},
                                                   {"notContinue", "3"},
                                                   {"exceedDelay", "200"}}))
            page.recvRequest(m);
        ok &= save(page, dir, "delay_stats.png");
    }
    {
        QWidget sample;
        sample.setObjectName(QStringLiteral("sample"));
        sample.setAttribute(Qt::WA_StyledBackground);
        sample.setStyleSheet(
            QStringLiteral("QWidget#sample{background:#1e242c;}QLabel{color:#d8dee6;}"
                           "QLineEdit{color:#fff;background:#2a313b;border:1px solid #3a4552;}"
                           "QPushButton{color:#fff;background:#0a84c6;border:none;padding:4px 12px;}"));
        auto* form = new QFormLayout(&sample);
        form->addRow(new QLabel(QStringLiteral("设备名称")), new QLineEdit(QStringLiteral("Mixer")));
        form->addRow(new QLabel(QStringLiteral("IP")), new QLineEdit(QStringLiteral("192.168.10.21")));
        form->addRow(new QLabel(QStringLiteral("采样率")), new QLineEdit(QStringLiteral("48000")));
        form->addRow(new QPushButton(QStringLiteral("修改IP")));
        LockOverlays overlays(&sample);
        sample.resize(700, 420);
        overlays.apply(1);
        ok &= save(sample, dir, "lock_overlay.png");
    }
    {
        fromDevice(kRxIp, {{"ops", "getLock"}, {"val", "0x3"}});
        fromDevice(kRxIp, {{"ops", "getLock"}, {"uiTag", "dspUiTag"}, {"val", "0x1001f"}});
        ManageLock dialog(QStringLiteral("D1"));
        ok &= save(dialog, dir, "manage_lock.png");
    }
    {
        ManagePasswd dialog(QStringLiteral("D1"), ManagePasswd::ChangePassword);
        ok &= save(dialog, dir, "manage_passwd.png");
    }
    return ok ? 0 : 1;
}

// Renders the stream view of one device into screenshots/stream_view.png (list page) and stream_create.png
// (creation page) for a look by eye. Not a unit test: runs offscreen against this process's registry only.
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

const QString kIp = QStringLiteral("10.9.0.20");

bool save(QWidget& w, const QString& dir, const QString& file)
{
    const QString path = dir + QLatin1Char('/') + file;
    const bool ok = w.grab().save(path);
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

    QJsonObject counts{{"chNumRx", "16"}, {"chNumTx", "16"}};
    for (const char* k : {"ucastNumRx", "ucastNumTx", "mcastNumRx", "mcastNumTx"})
        counts.insert(k, "2");
    announce("MRD-A16-0020", "Stage box", kIp, counts);
    QJsonArray rx;
    for (int ch : {0, 1, 2, 5})
        rx.append(QJsonObject{{"id", QString::number(ch)}, {"rtpChId", QString::number(ch + 8)}});
    tablePage(kIp, "getAllRxCh", 0, 16, rx);
    tablePage(kIp, "getAllRtpCh", 0, 16,
              QJsonArray{QJsonObject{{"id", "8"}, {"srcDevId", "MRD-A16-0001"}, {"srcChId", "0"}},
                         QJsonObject{{"id", "9"}, {"srcDevId", "MRD-A16-0001"}, {"srcChId", "1"}},
                         QJsonObject{{"id", "10"}, {"srcDevId", "MRV-VSC-0005"}, {"srcChId", "0"}}});
    tablePage(kIp, "getAllUcastRx", 0, 2, QJsonArray{rxEntry(0, sdp("10.9.0.10", kIp, 2), 2, 8)});
    QJsonObject idle = rxEntry(0, sdp("10.9.0.14", "239.69.1.1", 1), 1, 10);
    idle.insert("active", "0");
    tablePage(kIp, "getAllMcastRx", 0, 2, QJsonArray{idle});
    tablePage(kIp, "getAllUcastTx", 0, 2, QJsonArray{txEntry(0, sdp(kIp, "10.9.0.11", 2), 2, "")});
    tablePage(kIp, "getAllMcastTx", 0, 2,
              QJsonArray{txEntry(0, sdp(kIp, "239.69.20.1", 4), 4, "Front of house"),
                         txEntry(1, sdp(kIp, "239.69.20.2", 2), 2, "Monitor", 4)});
    DevDetailStore::instance().addFromRegistry("MRD-A16-0020");
    DevDetailStore::instance().updateDevDetail("MRD-A16-0020",
                                               [](DevDetail_t& d) { d.firmwareVersion = QStringLiteral("3.1.5.0"); });

    stream view(QStringLiteral("MRD-A16-0020"));
    view.resize(900, 560);
    view.show();
    app.processEvents();
    bool ok = save(view, dir, QStringLiteral("stream_view.png"));

    view.change_btGroupclicked(1);
    view.findChild<QLineEdit*>("stream_name_le")->setText("Balcony");
    for (int ch : {0, 1, 3})
        view.findChild<QCheckBox*>(QStringLiteral("channel_cb:%1").arg(ch))->setChecked(true);
    view.findChild<QListWidget*>("send_listWidget")->item(1)->setSelected(true);
    app.processEvents();
    ok = save(view, dir, QStringLiteral("stream_create.png")) && ok;
    return ok ? 0 : 1;
}

// Renders the stream view of one device into screenshots/stream_view.png (list page) and stream_create.png
// (creation page) for a look by eye. Not a unit test: runs offscreen against this process's registry only.
#include "DevDetailStore.h"
#include "DevManager.h"
#include "TestAnnouncement.h"
#include "stream.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLineEdit>
#include <QListWidget>
#include <cstdio>

namespace {

const QString kIp = QStringLiteral("10.9.0.20");

void feed(const QJsonObject& o, bool ucast)
{
    const QByteArray b = QJsonDocument(o).toJson(QJsonDocument::Compact);
    if (ucast)
        userCallLib_handleUdp_ucast(b.constData(), b.size(), dvm_parseIp(kIp), 9990);
    else
        userCallLib_handleUdp_mcast(b.constData(), b.size(), dvm_parseIp(kIp), 9996);
}

QJsonObject sdp(const QString& src, const QString& dst, int ch)
{
    return QJsonObject{{"srcIp", src},         {"dstIp", dst},      {"dstPort", "5004"}, {"chNum", QString::number(ch)},
                       {"sampleByteNum", "3"}, {"rtpTsOffset", "0"}};
}

QJsonArray chans(int first, int n)
{
    QJsonArray a;
    for (int i = 0; i < 8; ++i)
        a.append(QString::number(i < n ? first + i : -1));
    return a;
}

QJsonObject page(const char* ops, int next, const QJsonArray& arr)
{
    return QJsonObject{{"ops", ops}, {"idStart", "0"}, {"idNext", QString::number(next)}, {"arr", arr}};
}

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

    QJsonObject ann = testAnnouncement("MRD-A16-0020", "Stage box", kIp);
    for (const char* k : {"chNumRx", "chNumTx"})
        ann.insert(k, "16");
    for (const char* k : {"ucastNumRx", "ucastNumTx", "mcastNumRx", "mcastNumTx"})
        ann.insert(k, "2");
    feed(ann, false);
    QJsonArray rx;
    for (int ch : {0, 1, 2, 5})
        rx.append(QJsonObject{{"id", QString::number(ch)}, {"rtpChId", QString::number(ch + 8)}});
    feed(page("getAllRxCh", 16, rx), true);
    feed(page("getAllRtpCh", 16,
              QJsonArray{QJsonObject{{"id", "8"}, {"srcDevId", "MRD-A16-0001"}, {"srcChId", "0"}},
                         QJsonObject{{"id", "9"}, {"srcDevId", "MRD-A16-0001"}, {"srcChId", "1"}},
                         QJsonObject{{"id", "10"}, {"srcDevId", "MRV-VSC-0005"}, {"srcChId", "0"}}}),
         true);
    feed(page("getAllUcastRx", 2,
              QJsonArray{QJsonObject{
                  {"id", "0"}, {"sdp", sdp("10.9.0.10", kIp, 2)}, {"rtpChIdArr", chans(8, 2)}, {"active", "1"}}}),
         true);
    feed(page("getAllMcastRx", 2,
              QJsonArray{QJsonObject{{"id", "0"},
                                     {"sdp", sdp("10.9.0.14", "239.69.1.1", 1)},
                                     {"rtpChIdArr", chans(10, 1)},
                                     {"active", "0"}}}),
         true);
    feed(page("getAllUcastTx", 2,
              QJsonArray{QJsonObject{
                  {"id", "0"}, {"sdp", sdp(kIp, "10.9.0.11", 2)}, {"srcChIdArr", chans(0, 2)}, {"name", ""}}}),
         true);
    feed(page("getAllMcastTx", 2,
              QJsonArray{QJsonObject{{"id", "0"},
                                     {"sdp", sdp(kIp, "239.69.20.1", 4)},
                                     {"srcChIdArr", chans(0, 4)},
                                     {"name", "Front of house"}},
                         QJsonObject{{"id", "1"},
                                     {"sdp", sdp(kIp, "239.69.20.2", 2)},
                                     {"srcChIdArr", chans(4, 2)},
                                     {"name", "Monitor"}}}),
         true);
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

#include "RefreshBench.h"

#include "AppState.h"
#include "ClockForm.h"
#include "DevDetailStore.h"
#include "DevListForm.h"
#include "DevManager.h"
#include "MainWindow.h"
#include "NetStateForm.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QHeaderView>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>

namespace {

double msSince(const QElapsedTimer& t)
{
    return double(t.nsecsElapsed()) / 1e6;
}

QString devIdOf(int i)
{
    return QStringLiteral("MRD-%1").arg(i, 4, 16, QLatin1Char('0')).toUpper();
}

// Distinct addresses in 10.20.0.0/16; only the registry sees them, nothing is sent.
QString ipOf(int i)
{
    return QStringLiteral("10.20.%1.%2").arg(i / 250).arg(i % 250 + 1);
}

void announce(int i)
{
    const QJsonObject o{{"ops", "iAmVeranto"},
                        {"devId", devIdOf(i)},
                        {"name", QStringLiteral("Stagebox %1").arg(i, 4, 10, QLatin1Char('0'))},
                        {"ip", ipOf(i)},
                        {"port", "9990"},
                        {"chNumRx", "16"},
                        {"chNumTx", "16"},
                        {"sampleRate", "48000"},
                        {"sampleByteNum", "3"},
                        {"pFrameNum", "48"},
                        {"delayUs", "2000"},
                        {"model", "MRD-A16"},
                        {"myClkId", "00-1D-C1-FF-FE-00-00-01"},
                        {"phyChNumRx", "16"},
                        {"phyChNumTx", "16"},
                        {"canWork", "1"}};
    const QByteArray bytes = QJsonDocument(o).toJson(QJsonDocument::Compact);
    userCallLib_handleUdp_mcast(bytes.constData(), bytes.size(), dvm_parseIp(ipOf(i)), 9996);
}

int dropDatagram(void*, const char*, int length, uint32_t, uint16_t)
{
    return length;
}

// The first refresh as the network thread starts it (queued), then the event loop runs until the network page
// has made every row. A zero-time timer beats once per turn of the loop: the longest gap between two beats is
// the longest the window could not answer the user.
void measureFirstRefresh(MainWindow& window, RefreshBench::Result& r)
{
    QElapsedTimer total;
    QElapsedTimer sinceBeat;
    QTimer beat;
    beat.setInterval(0);
    QObject::connect(&beat, &QTimer::timeout, [&] {
        r.firstLongestStepMs = std::max(r.firstLongestStepMs, msSince(sinceBeat));
        sinceBeat.restart();
        ++r.firstSteps;
    });
    QMetaObject::invokeMethod(
        &window,
        [&] {
            QElapsedTimer call;
            call.start();
            window.slot_refreshUi();
            r.firstRefreshMs = msSince(call);
        },
        Qt::QueuedConnection);
    total.start();
    sinceBeat.start();
    beat.start();
    QEventLoop loop;
    QTimer done;
    QObject::connect(&done, &QTimer::timeout, [&] {
        if (r.firstRefreshMs > 0 && !window.netStateForm()->isBuildingRows() && !window.devListForm()->isAddingRows())
            loop.quit();
    });
    done.start(0);
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    loop.exec();
    r.firstTotalMs = msSince(total);
    beat.stop();
    QCoreApplication::processEvents();
}

} // namespace

RefreshBench::Result RefreshBench::run(int devices, int repeats, int page)
{
    Result r;
    QTemporaryDir appDir;
    dvm_resetForTest();
    DevDetailStore::instance().clear();
    AppState::setConfig(AppConfig::fromText(QStringLiteral("Title=Meridane\n")));
    {
        MainWindow::Setup setup;
        setup.appDir = appDir.path();
        setup.startNetwork = false;
        MainWindow window(setup);
        window.netStateForm()->setProbeOnRefresh(false);
        dvm_setSendHook(&dropDatagram, nullptr);
        window.resize(1280, 720);
        window.show();
        window.on_top_btn_click(page);
        QCoreApplication::processEvents();

        dvm_resetForTest();
        for (int i = 0; i < devices; ++i)
            announce(i);
        // The registry's own notices would list the devices again: the bench calls the slot itself.
        QCoreApplication::sendPostedEvents();
        QCoreApplication::removePostedEvents(&window, QEvent::MetaCall);
        DevDetailStore::instance().clear();

        QElapsedTimer t;
        t.start();
        for (int i = 0; i < devices; ++i)
            window.slot_recv_addDev(devIdOf(i));
        r.addAllMs = msSince(t);
        r.listed = DevDetailStore::instance().devCount();

        const QString last = devIdOf(devices - 1);
        for (int k = 0; k < repeats; ++k) {
            window.slot_recv_delDev(last);
            t.restart();
            window.slot_recv_addDev(last);
            r.addAtFullMs.add(msSince(t));
        }

        measureFirstRefresh(window, r);
        for (int k = 0; k < repeats; ++k) {
            t.restart();
            window.slot_refreshUi();
            r.refreshMs.add(msSince(t));
            t.restart();
            QCoreApplication::processEvents();
            r.paintMs.add(msSince(t));
        }
        // Where a refresh spends its time: the same two calls slot_refreshUi makes, one at a time.
        for (int k = 0; k < repeats; ++k) {
            t.restart();
            window.devListForm()->refresh(DevDetailStore::instance().devDetails());
            r.devListMs.add(msSince(t));
            t.restart();
            window.netStateForm()->refresh();
            r.netStateMs.add(msSince(t));
            QCoreApplication::processEvents();
        }
        for (int k = 0; k < repeats; ++k) {
            window.slot_recv_delDev(last);
            window.slot_recv_addDev(last);
            t.restart();
            window.slot_refreshUi();
            r.refreshAfterAddMs.add(msSince(t));
            QCoreApplication::processEvents();
        }
        // What the page costs without the main window translating and sending its 1 request per device.
        QObject::disconnect(window.netStateForm(), &NetStateForm::sendChangedata, nullptr, nullptr);
        for (int k = 0; k < repeats; ++k) {
            t.restart();
            window.netStateForm()->refresh();
            r.netStateQuietMs.add(msSince(t));
        }
        // Diagnosis: the device list's header sizing to its contents is what a refresh pays for.
        window.devListForm()->table()->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
        for (int k = 0; k < repeats; ++k) {
            t.restart();
            window.devListForm()->refresh(DevDetailStore::instance().devDetails());
            r.devListFixedHeaderMs.add(msSince(t));
        }
        QCoreApplication::removePostedEvents(nullptr, QEvent::MetaCall);
    }
    dvm_setSendHook(nullptr, nullptr);
    dvm_resetForTest();
    DevDetailStore::instance().clear();
    return r;
}

// Not a test: renders the channel-volume page with 16 inputs, 8 outputs, named groups and live meters for a person
// to look at, and prints how long the strips take to build for large processors.
#include "DspWidgetTestSupport.h"

#include "Channel.h"
#include "DspAecChannel.h"
#include "DspAutomixerChannel.h"

#include <QDir>
#include <QElapsedTimer>
#include <QScrollArea>
#include <QScrollBar>

#include <cstdio>

using namespace dsptest;

namespace {

/// Opens a dialog for `device`, downloads its configuration as `edit` leaves it and shows the channel page.
template <typename Edit> std::unique_ptr<DevDspDialog> openPage(const TestDevice& device, Edit edit)
{
    addDevice(device);
    auto dialog = std::make_unique<DevDspDialog>();
    dialog->setLinkEnabled(false);
    dialog->setUdpSender([](const QByteArray&, uint32_t, quint16) { return 0; });
    dialog->initOnlineUi(device.devId);
    const int in = device.phyIn + device.netIn;
    const int out = device.phyOut + device.netOut;
    dialog->recvBackData(versionReply(in, out, device.devId));
    dialog->handle_recvTcpMsg(configReply(in, out, edit));
    dialog->on_pb_channelvoice_clicked();
    return dialog;
}

QJsonArray levels(int count, int seed)
{
    QJsonArray arr;
    for (int i = 0; i < count; ++i)
        arr.append((i * 7 + seed) % 5 == 0 ? QStringLiteral("-inf") : QString::number(-6 - (i * 13 + seed) % 50));
    return arr;
}

void measure(int channelsPerSide)
{
    resetAll();
    TestDevice device;
    device.phyIn = device.netIn = device.phyOut = device.netOut = channelsPerSide / 2;
    QElapsedTimer t;
    t.start();
    std::unique_ptr<DevDspDialog> dialog = openPage(device, [](CDeviceDspData&) {});
    dialog->resize(1280, 760);
    dialog->show();
    QApplication::processEvents();
    const qint64 build = t.elapsed();
    Channel* page = dialog->channelForm();
    // The page's own share: its strips built again for the same configuration.
    CDeviceDspData* data = dialog->dspData();
    page->setDspData(nullptr);
    t.restart();
    page->setDspData(data);
    QApplication::processEvents();
    const qint64 pageBuild = t.elapsed();
    QScrollBar* bar = page->scrollArea(false)->horizontalScrollBar();
    t.restart();
    const int steps = 50;
    for (int i = 1; i <= steps; ++i) {
        bar->setValue(bar->maximum() * i / steps);
        QApplication::processEvents(); // the window paints what the step exposed
    }
    const double scroll = double(t.elapsed()) / steps;
    t.restart();
    const int ticks = 40;
    for (int i = 0; i < ticks; ++i)
        dialog->recvBackData(
            reply(QStringLiteral("getVolumeDb"), true,
                  {{"inArr", levels(channelsPerSide, i)}, {"outArr", levels(channelsPerSide, i + 1)}}));
    const double meters = double(t.elapsed()) / ticks;
    t.restart();
    for (int i = 0; i < ticks; ++i)
        page->recvBackData(reply(QStringLiteral("getVolumeDb"), true,
                                 {{"inArr", levels(channelsPerSide, i)}, {"outArr", levels(channelsPerSide, i + 1)}}));
    const double pageMeters = double(t.elapsed()) / ticks;
    std::printf("%4d in x %4d out: dialog open and show %5lld ms (page strips %5lld ms), scroll step redrawn "
                "%6.2f ms, meter reply %6.3f ms through the dialog, %6.3f ms on the page\n",
                channelsPerSide, channelsPerSide, build, pageBuild, scroll, meters, pageMeters);
}

} // namespace

int main()
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    app();
    resetAll();
    AppState::setChinese(true);
    TestDevice device;
    device.phyIn = device.netIn = 8;
    device.phyOut = device.netOut = 4;
    std::unique_ptr<DevDspDialog> dialog = openPage(device, [](CDeviceDspData& d) {
        const char* names[] = {"人声", "乐器", "环境"};
        for (int g = 0; g < 3; ++g)
            d.groups()[g].name = QString::fromUtf8(names[g]);
        d.groups()[1].gainDb = -4.5;
        d.groups()[2].mute = true;
        for (int i : {0, 1, 2, 3})
            d.input(i)->setGroupId(0);
        for (int i : {4, 5, 8})
            d.input(i)->setGroupId(1);
        for (int i : {12, 13})
            d.input(i)->setGroupId(2);
        d.input(2)->setMute(true);
        d.input(6)->setMute(true);
        d.input(1)->setGainDb(-8);
        d.input(3)->setGainDb(4.5);
        d.input(7)->setInverse(true);
        d.output(1)->setMute(true);
        d.output(0)->setGainDb(-3);
        d.output(5)->setGainDb(-12.5);
        d.updateGroupMembers();
    });
    dialog->resize(1280, 760);
    dialog->show();
    QApplication::processEvents();
    dialog->recvBackData(
        reply(QStringLiteral("getVolumeDb"), true, {{"inArr", levels(16, 3)}, {"outArr", levels(8, 1)}}));
    QApplication::processEvents();
    const QString dir = QStringLiteral(MERIDANE_SCREENSHOT_DIR);
    QDir().mkpath(dir);
    if (!dialog->grab().save(dir + QStringLiteral("/dsp_channel_page.png")))
        qWarning("could not save dsp_channel_page.png");
    dialog.reset();

    for (int n : {16, 128, 256, 512})
        measure(n);
    return 0;
}

// Not a test: renders the processor dialog's matrix page with a routed 16 x 16 matrix, some gains, one output with
// gain share and live levels, for a person to look at.
#include "DspWidgetTestSupport.h"

#include "DspMatrix.h"
#include "DspMatrixForm.h"
#include "DspMatrixGrid.h"

#include <QDir>

using namespace dsptest;

int main()
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    app();
    resetAll();
    AppState::setChinese(true);
    TestDevice device;
    device.phyIn = device.netIn = device.phyOut = device.netOut = 8;
    addDevice(device);
    DevDspDialog dialog;
    dialog.setLinkEnabled(false);
    dialog.setUdpSender([](const QByteArray& data, uint32_t, quint16) { return data.size(); });
    dialog.initOnlineUi(device.devId);
    dialog.recvBackData(versionReply(16, 16));
    dialog.handle_recvTcpMsg(configReply(16, 16, [](CDeviceDspData& data) {
        DspMatrix* m = data.matrix();
        const double gains[] = {0, -3, -6, 2.5, -12, 0, -1.5, 6};
        for (int c = 0; c < 16; ++c) {
            m->setCell(c, c, gains[c % 8], true);
            if (c % 4 == 0)
                m->setCell(c, (c + 1) % 16, -9.75, true);
        }
        for (int r = 0; r < 6; ++r)
            m->setCell(2, r, -r * 2.0, true);
        m->setShare(2, true);
    }));
    dialog.volumeTimer()->stop();
    dialog.resize(1280, 760);
    dialog.show();
    dialog.on_pb_matrix_clicked();
    QJsonArray in, out;
    const char* levels[] = {"-12", "-24", "-6", "-inf", "-35", "-3", "-18", "-48"};
    for (int i = 0; i < 8; ++i) {
        in.append(QLatin1String(levels[i]));
        out.append(QLatin1String(levels[(i + 3) % 8]));
    }
    for (const char* ops : {"getAllPhyVolumeDbRx", "getAllVolumeDbRx"})
        dialog.recvBackData(reply(QLatin1String(ops), true, {{"idStart", "0"}, {"arr", in}}));
    for (const char* ops : {"getAllPhyVolumeDbTx", "getAllVolumeDbTx"})
        dialog.recvBackData(reply(QLatin1String(ops), true, {{"idStart", "0"}, {"arr", out}}));
    dialog.matrixForm()->selectCell(3, 3);
    QApplication::processEvents();
    QDir().mkpath(QStringLiteral(MERIDANE_SCREENSHOT_DIR));
    const QString file = QStringLiteral(MERIDANE_SCREENSHOT_DIR "/dsp_matrix.png");
    if (!dialog.grab().save(file))
        qWarning("could not save %s", qPrintable(file));
    return 0;
}

// Not a test: renders the processor dialog with a small configuration for a person to look at.
#include "DspWidgetTestSupport.h"

#include "DspBlockBaseForm.h"
#include "DspDiagramForm.h"

#include <QDir>
#include <QPixmap>

using namespace dsptest;

int main(int argc, char** argv)
{
    Q_UNUSED(argc)
    Q_UNUSED(argv)
    qputenv("QT_QPA_PLATFORM", "offscreen");
    app();
    resetAll();
    AppState::setChinese(true);
    addDevice();
    DevDspDialog dialog;
    dialog.setLinkEnabled(false);
    dialog.setUdpSender([](const QByteArray&, uint32_t, quint16) { return 0; });
    dialog.initOnlineUi(kDevId);
    dialog.recvBackData(versionReply(4, 4));
    dialog.handle_recvTcpMsg(configReply(4, 4, [](CDeviceDspData& d) {
        addBlocks(d, true, 0, {CBaseItem::KindEq, CBaseItem::KindDelay, CBaseItem::KindCompress});
        addBlocks(d, true, 1, {CBaseItem::KindNoiseGate});
        addBlocks(d, false, 2, {CBaseItem::KindLimit, CBaseItem::KindFir});
        d.input(1)->setMute(true);
    }));
    dialog.recvBackData(reply(QStringLiteral("getCpuUsage"), true, {{"arr", QJsonArray{"50", "95"}}}));
    dialog.diagramForm()->selectPosition(true, 1, 1);
    dialog.resize(1280, 600);
    dialog.show();
    QDir().mkpath(QStringLiteral(MERIDANE_SCREENSHOT_DIR));
    dialog.grab().save(QStringLiteral(MERIDANE_SCREENSHOT_DIR "/dsp_dialog.png"));
    DspBlockBaseForm* editor = dialog.diagramForm()->showBlockDialog(true, 0, 0);
    editor->grab().save(QStringLiteral(MERIDANE_SCREENSHOT_DIR "/dsp_block_editor.png"));
    return 0;
}
